// The window's menus and its Language switch reaching the engine's clients over a real
// D-Bus: the engine's objects on a private bus, clients speaking the bus protocol by hand.
#include <gtest/gtest.h>

#include <memory>

#include <QAction>
#include <QDBusConnection>
#include <QMenu>

#include "automationregistry.h"
#include "bus_client.h"
#include "enginebus.h"
#include "private_bus.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

class WindowOnBusTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        StartEngine();
        connection_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(bus_.address()), QStringLiteral("window-test-engine")));
        engineBus_ = std::make_unique<EngineBus>(*connection_);
        QString error;
        ASSERT_EQ(engineBus_->ClaimName(error), EngineBus::Claim::Owned) << error.toStdString();
        objects_ = std::make_unique<AutomationRegistry>(*engine, *connection_);
        engineBus_->Root().SetCreateHandler(
            [this](const QString& className, const QString& caller, QString& failure) {
                return objects_->Create(className, caller, failure);
            });
        Open();
        client_ = std::make_unique<BusClient>(bus_.address(), QStringLiteral("plugin"));
    }

    void TearDown() override {
        WindowTest::TearDown();
        client_.reset();
        engineBus_->Root().SetCreateHandler({});
        objects_.reset();
        engineBus_.reset();
        connection_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("window-test-engine"));
    }

    // A message-server object of the client, advised and logged in as name.
    QString LoggedIn(const QString& name) {
        const QString path = client_->Create(QStringLiteral("nbMessageServer"));
        EXPECT_FALSE(path.isEmpty());
        client_->Advise(path);
        client_->CallObject(path, QStringLiteral("login"), {name});
        return path;
    }

    // The last event of that name.
    const Event* Last(const char* name) const {
        const auto& events = client_->Events();
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->name == QLatin1String(name))
                return &*it;
        }
        return nullptr;
    }

    QAction* Command(const char* menu, const QString& caption) const {
        for (QAction* action : window->FindMenu(QString::fromLatin1(menu))->actions()) {
            if (action->text() == caption)
                return action;
        }
        return nullptr;
    }

    PrivateBus bus_;
    std::unique_ptr<QDBusConnection> connection_;
    std::unique_ptr<EngineBus> engineBus_;
    std::unique_ptr<AutomationRegistry> objects_;
    std::unique_ptr<BusClient> client_;
};

TEST_F(WindowOnBusTest, APluginsCommandRaisesMenuItemClickOnTheClientThatAddedIt) {
    const QString path = LoggedIn(QStringLiteral("billboard"));
    client_->CallObject(path, QStringLiteral("registerMenuItem"), {Wrap(QStringLiteral("Wall"))});
    QAction* command = Command("Plugins1", QStringLiteral("Wall"));
    ASSERT_NE(command, nullptr);
    command->trigger();
    ASSERT_TRUE(client_->WaitForEvent(QStringLiteral("MenuItemClick")));
    EXPECT_EQ(Last("MenuItemClick")->path.toStdString(), path.toStdString());
    EXPECT_EQ(Show(Last("MenuItemClick")->args.value(0)), "Wall");

    client_->CallObject(path, QStringLiteral("disableMenuItem"), {QStringLiteral("Wall")});
    EXPECT_FALSE(Command("Plugins1", QStringLiteral("Wall"))->isEnabled());
    client_->CallObject(path, QStringLiteral("unRegisterMenuItem"), {Wrap(QStringLiteral("Wall"))});
    EXPECT_EQ(Command("Plugins1", QStringLiteral("Wall")), nullptr);
}

TEST_F(WindowOnBusTest, ADevicesConfigurationCommandReachesItsDriver) {
    const QString device = client_->Create(QStringLiteral("nbSMSPhone"));
    client_->Advise(device);
    client_->CallObject(device, QStringLiteral("login"), {QStringLiteral("smpp")});
    client_->CallObject(device, QStringLiteral("registerMenuItem"),
                        {QStringLiteral("smpp1 Configuration")});
    QAction* command = Command("Server1", QStringLiteral("smpp1 Configuration"));
    ASSERT_NE(command, nullptr);
    command->trigger();
    ASSERT_TRUE(client_->WaitForEvent(QStringLiteral("MenuItemClick")));
    EXPECT_EQ(Last("MenuItemClick")->path.toStdString(), device.toStdString());
    EXPECT_EQ(Show(Last("MenuItemClick")->args.value(0)), "smpp1 Configuration");
}

TEST_F(WindowOnBusTest, ChoosingALanguageStoresItTellsTheClientsAndClosesTheEngine) {
    const QString path = LoggedIn(QStringLiteral("billboard"));
    QAction* german = Command("Language1", QStringLiteral("German"));
    ASSERT_NE(german, nullptr);
    german->trigger();
    ASSERT_TRUE(client_->WaitForEvent(QStringLiteral("info")));
    EXPECT_EQ(Last("info")->path.toStdString(), path.toStdString());
    EXPECT_EQ(Show(Last("info")->args.value(0)), "setlanguage(German)");
    EXPECT_EQ(ReadSetting(settings::kLanguageKey, settings::kLanguageValue, ""), "German");
    // Every window was translated, which fills the new language's files.
    EXPECT_NE(ReadHomeFile("Languages/German/MainForm.txt").find("Caption=&Delete"),
              std::string::npos);
    EXPECT_NE(ReadHomeFile("Languages/German/AboutForm.txt").find("Caption=OK"), std::string::npos);
    EXPECT_NE(ReadHomeFile("logs/error-log.txt")
                  .find("After changing the language, you need to restart the application"),
              std::string::npos);
    host.RunPosted();
    EXPECT_TRUE(engine->HasShutDown());
    ASSERT_TRUE(client_->WaitForEvent(QStringLiteral("ServerShutdown")));
}

}  // namespace
}  // namespace nimbra::testing_support
