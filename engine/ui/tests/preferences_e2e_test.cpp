// The server options window over the engine on its real host, on a private D-Bus, with real
// programs in its home: an SMPP driver installed from the window logs in and is uninstalled
// again, a plugin program is installed, started, configured and uninstalled, and a filter
// library chosen in the window filters the next message.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include <QComboBox>
#include <QDBusConnection>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "automationregistry.h"
#include "driver_time_scale.h"
#include "enginebus.h"
#include "event_wait.h"
#include "file_text.h"
#include "mainwindow.h"
#include "manual_host.h"
#include "preferencesform.h"
#include "private_bus.h"
#include "qtenginehost.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "temp_dir.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr int kTimeoutMs = 20000;

// How many running processes run the program at path.
int ProcessesOf(const fs::path& path) {
    const fs::path program = fs::canonical(path);
    int count = 0;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(it->path() / "exe", linkError);
        count += !linkError && exe == program ? 1 : 0;
    }
    return count;
}

void Install(const fs::path& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_all);
}

class PreferencesEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        previousFolder_ = QDir::currentPath();
        previousBus_ = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        // The programs the engine starts find the private bus and the engine's home.
        qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(bus_.address()));
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(home_.path().string())));
        Install(SMPP_PROGRAM, home_ / "Devices" / "smpp");
        Install(TEST_PLUGIN, home_ / "Plugins" / "optionsplugin");
        Install(SIGNATURE_FILTER, home_ / "OutFilters" / "signature.so");
        WriteFileText(home_ / "Languages.txt", "English\r\n");
        WritePluginSetting(settings::kServerSection, "eInstalledNumber", "0");
        WritePluginSetting(settings::kServerSection, "cbWav", "0");

        connection_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(bus_.address()), QStringLiteral("options-test-engine")));
        engineBus_ = std::make_unique<EngineBus>(*connection_);
        QString error;
        ASSERT_EQ(engineBus_->ClaimName(error), EngineBus::Claim::Owned) << error.toStdString();
        engine_ = std::make_unique<Engine>(host_);
        engine_->Init();
        objects_ = std::make_unique<AutomationRegistry>(*engine_, *connection_);
        engineBus_->Root().SetCreateHandler(
            [this](const QString& className, const QString& caller, QString& failure) {
                return objects_->Create(className, caller, failure);
            });
        window_ = std::make_unique<ui::TNbsmForm>(*engine_);
        form_ = window_->Preferences();
    }

    void TearDown() override {
        if (engine_ && !engine_->HasShutDown()) {
            // Every program the engine started hears ServerShutdown and ends.
            engine_->Exit();
            EXPECT_TRUE(ProcessEventsUntil([this] { return engine_->HasShutDown(); }, kTimeoutMs));
            EXPECT_TRUE(ProcessEventsUntil(
                [this] {
                    return ProcessesOf(home_ / "Devices" / "smpp") == 0 &&
                           ProcessesOf(home_ / "Plugins" / "optionsplugin") == 0;
                },
                kTimeoutMs));
        }
        window_.reset();
        if (engineBus_)
            engineBus_->Root().SetCreateHandler({});
        objects_.reset();
        engine_.reset();
        engineBus_.reset();
        connection_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("options-test-engine"));
        QDir::setCurrent(previousFolder_);
        qputenv("DBUS_SESSION_BUS_ADDRESS", previousBus_);
    }

    void ShowOptions(ui::TfrmPref::Page page) {
        form_->Prepare(page);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_));
    }

    template <class T>
    T* Child(const char* name) const {
        return form_->findChild<T*>(QString::fromLatin1(name));
    }
    Texts Entries(const char* list) const { return ListEntries(Child<QListWidget>(list)); }
    void Select(const char* list, const char* entry) const {
        SelectEntry(Child<QListWidget>(list), entry);
    }
    static std::string Stored(const char* name) {
        return ReadPluginSetting(settings::kServerSection, name, "(none)");
    }
    bool PluginCommandRegistered() const {
        for (const ServerMenu::Item& item : engine_->PluginMenu().Items()) {
            if (item.caption == "optionsplugin Settings")
                return true;
        }
        return false;
    }

    ScopedSettingsDir settings_;
    ScopedDriverTimeScale timeScale_;
    TempDir home_;
    PrivateBus bus_;
    QtEngineHost host_;
    std::unique_ptr<QDBusConnection> connection_;
    std::unique_ptr<EngineBus> engineBus_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<AutomationRegistry> objects_;
    std::unique_ptr<ui::TNbsmForm> window_;
    ui::TfrmPref* form_ = nullptr;
    QString previousFolder_;
    QByteArray previousBus_;
};

TEST_F(PreferencesEndToEndTest, AnInstalledSmppConnectionLogsInAndUninstallEndsIt) {
    const fs::path smpp = home_ / "Devices" / "smpp";
    ShowOptions(ui::TfrmPref::DevicePage);
    Child<QComboBox>("cbDeviceType")->setCurrentIndex(2);
    form_->Button("bInstall")->click();
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "1");
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return Entries("lbHandsets") == Texts{"smpp1"}; }, kTimeoutMs));
    EXPECT_EQ(ProcessesOf(smpp), 1);

    // A second one is the next smppN.
    form_->Button("bInstall")->click();
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "2");
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return Entries("lbHandsets") == Texts{"smpp1", "smpp2"};
        },
        kTimeoutMs));

    Select("lbHandsets", "smpp1");
    form_->Button("bUninstall")->click();
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "1");
    // The last SMPP device that logged in ends, whichever entry was selected.
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return Entries("lbHandsets") == Texts{"smpp1"}; }, kTimeoutMs));
    EXPECT_TRUE(ProcessEventsUntil([&] { return ProcessesOf(smpp) == 1; }, kTimeoutMs));

    Select("lbHandsets", "smpp1");
    form_->Button("bUninstall")->click();
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "0");
    EXPECT_TRUE(ProcessEventsUntil([&] { return Entries("lbHandsets").empty(); }, kTimeoutMs));
    EXPECT_TRUE(ProcessEventsUntil([&] { return ProcessesOf(smpp) == 0; }, kTimeoutMs));
    form_->reject();
}

TEST_F(PreferencesEndToEndTest, AnInstalledPluginStartsIsConfiguredAndUninstalled) {
    const fs::path plugin = home_ / "Plugins" / "optionsplugin";
    ShowOptions(ui::TfrmPref::PluginPage);
    auto* available = Child<QComboBox>("cbPlugins");
    ASSERT_EQ(available->findText(QStringLiteral("optionsplugin")), 0);
    available->setCurrentIndex(0);
    form_->Button("bPluginInstall")->click();
    EXPECT_EQ(Stored("lbCOMPlugins"), "optionsplugin");
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return Entries("lbCOMClients") == Texts{"optionsplugin 1"} && PluginCommandRegistered();
        },
        kTimeoutMs));

    Select("lbCOMPlugins", "optionsplugin");
    form_->Button("bPluginConfigure")->click();
    const fs::path clicked = home_ / "Plugins" / "optionsplugin.clicked";
    ASSERT_TRUE(ProcessEventsUntil([&] { return fs::exists(clicked); }, kTimeoutMs));
    EXPECT_EQ(ReadFileText(clicked), "optionsplugin Settings\n");

    form_->Button("bPluginUninstall")->click();
    EXPECT_EQ(Stored("lbCOMPlugins"), "");
    EXPECT_TRUE(ProcessEventsUntil([&] { return ProcessesOf(plugin) == 0; }, kTimeoutMs));
    EXPECT_TRUE(ProcessEventsUntil([&] { return Entries("lbCOMClients").empty(); }, kTimeoutMs));
    form_->reject();
}

TEST_F(PreferencesEndToEndTest, AFilterLibraryChosenInTheWindowSignsTheNextMessage) {
    ShowOptions(ui::TfrmPref::FilterPage);
    auto* outgoing = Child<QComboBox>("cbFilterOut");
    outgoing->setCurrentIndex(outgoing->findText(QStringLiteral("signature.so")));
    form_->accept();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(Stored("cbFilterOut"), "signature.so");

    RecordingDevice sink;
    auto device = engine_->CreateDevice();
    device->SetSink(&sink);
    device->login("smpp");
    engine_->StartbtnClick(false);
    device->connectionSuccess();
    auto message = std::make_unique<TSms>(engine_->Sms());
    message->SetTo("+447009001");
    message->text = "hello";
    TSms::QueueForSending(std::move(message), engine_->Queue(SystemFolder::Outbox));
    engine_->SendTick();
    ASSERT_EQ(sink.transmitted.size(), 1u);
    EXPECT_EQ(sink.transmitted[0].text, "hello -- sent by Nimbra");
    device->SetSink(nullptr);
}

}  // namespace
}  // namespace nimbra::testing_support
