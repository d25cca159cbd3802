// The message wall end to end: the real engine with the real smpp driver bound to the
// message-centre simulator, and the wall's main object logged in to that engine from this
// process, where its lists and its page can be watched; and the built billboard program
// itself, started by the engine or by the test.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QAbstractItemModel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "child_process.h"
#include "engine_with_driver.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "simulator_process.h"
#include "unBillboardDisplay.h"
#include "unBillboardMain.h"
#include "unDate.h"
#include "unModerator.h"
#include "unPreferences.h"
#include "wait.h"
#include "wall_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
constexpr auto kTimeout = std::chrono::milliseconds(kTimeoutMs);
const char kHandsetNumberKey[] =
    "HKEY_CURRENT_USER\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\GSM Device1";
const char kPhoneNumLine[] = "topPhoneNumber=SMS:+%2B36+201234567\r\n";

QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

// The engine and the smpp driver bound to the simulator, the wall page in the engine's home
// and the handset's number in the settings.
class WallEndToEnd : public ::testing::Test, protected EngineWithDriver {
protected:
    WallEndToEnd()
        : EngineWithDriver(
              {TRANSMIT, NBSMS, MCSIM},
              {SMPP, "smpp", "eSMPPInstalledNumber", "smpp1", {"--protocol", "smpp"}}) {}

    void PrepareHome(const std::string& inboxTime) {
        WriteFileText(engine.home() / "Billboard/index.html", ReadFileText(BILLBOARD_PAGE));
        engine.WriteSetting(kHandsetNumberKey, "ePhoneNumber", "+36 201234567");
        engine.WriteSetting(PluginKeyPath("Billboard"), "eInboxTime", inboxTime);
        engine.WriteSetting(PluginKeyPath("Billboard"), "eDisplayTime", "1");
    }

    // Starts everything and the wall of this process, and restarts the server so that the
    // wall hears it start and loads its page.
    void StartWall(const std::string& inboxTime) {
        PrepareHome(inboxTime);
        ASSERT_TRUE(StartAll({}));
        ASSERT_TRUE(simulator->WaitForCount("logins", 1, kTimeout)) << ScreenLog();
        // The wall of this process shares the engine's settings store (each test sets it).
        ::setenv("NIMBRA_SETTINGS_DIR", engine.settings().c_str(), 1);
        wall = std::make_unique<TfrmMain>(
            com::TransmitEngine::Attach(engine.Connect()),
            TfrmMain::Options{QStringLiteral("billboard"), QString::fromStdString(engine.home()),
                              [] { return LocalEpochSeconds(); }});
        ASSERT_TRUE(wall->FormCreate());
        QSignalSpy loaded(wall->display(), &TfrmDisplay::pageLoaded);
        ASSERT_EQ(client->stopServer(), QVariant(1));
        ASSERT_EQ(client->startServer(), QVariant(1));
        ASSERT_TRUE(ProcessEventsUntil([&] { return !loaded.isEmpty(); }, kTimeoutMs));
        ASSERT_TRUE(simulator->WaitForCount("logins", 2, kTimeout)) << ScreenLog();
    }

    void Deliver(const std::string& text) {
        ASSERT_EQ(simulator->Control("deliver +3630999 +36201234567 " + text).substr(0, 2), "ok");
    }
    QListWidget* List(const char* name) const {
        return wall->moderate()->findChild<QListWidget*>(QString::fromLatin1(name));
    }
    bool InboxHolds(const QString& text) const {
        return !Lines(List("qInbox")).filter(text).isEmpty();
    }

    std::unique_ptr<TfrmMain> wall;
};

TEST_F(WallEndToEnd, StartsUpAsTheEnginesPluginWithTheNumberToTextTo) {
    StartWall("8");
    EXPECT_EQ(wall->realName(), QStringLiteral("billboard 1"));
    EXPECT_EQ(fs::path(wall->engineDir().toStdString()), engine.home() / "");
    EXPECT_EQ(wall->preferences()->TemplatePath().toStdString(),
              (engine.home() / "Billboard/index.html").string());
    EXPECT_EQ(ReadFileText(engine.home() / "phonenum.txt"), kPhoneNumLine);
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            return RunScript(*wall->display(),
                             QStringLiteral("document.getElementById('number').textContent")) ==
                   QStringLiteral("+36 201234567");
        },
        kTimeoutMs));
    EXPECT_FALSE(wall->moderate()->isVisible());
    EXPECT_FALSE(wall->preferences()->isVisible());
}

TEST_F(WallEndToEnd, ADeliveredMessagePassesModerationOntoThePage) {
    StartWall("2");
    QSignalSpy intoDisplay(List("qDisplay")->model(), &QAbstractItemModel::rowsInserted);
    Deliver("Hello wall, greetings from row 7!");
    const QString text = QStringLiteral("Hello wall, greetings from row 7!");
    ASSERT_TRUE(ProcessEventsUntil([&] { return InboxHolds(text); }, kTimeoutMs)) << ScreenLog();
    const QString entry = Lines(List("qInbox")).filter(text).first();
    EXPECT_TRUE(entry.startsWith(QStringLiteral("{+3630999}{") + text + QStringLiteral("}{")))
        << entry.toStdString();
    EXPECT_TRUE(ProcessEventsUntil([&] { return !intoDisplay.isEmpty(); }, kTimeoutMs));
    EXPECT_FALSE(InboxHolds(text));
    EXPECT_TRUE(ProcessEventsUntil([&] { return WallText(*wall->display()) == text; }, kTimeoutMs));
    EXPECT_TRUE(Lines(List("qDisplay")).isEmpty());
}

TEST_F(WallEndToEnd, AMessageDeletedDuringModerationNeverReachesThePage) {
    StartWall("3");
    QSignalSpy put(wall->display(), &TfrmDisplay::messagePut);
    QSignalSpy intoDisplay(List("qDisplay")->model(), &QAbstractItemModel::rowsInserted);
    Deliver("Rude words");
    ASSERT_TRUE(ProcessEventsUntil([&] { return InboxHolds(QStringLiteral("Rude")); }, kTimeoutMs))
        << ScreenLog();
    List("qInbox")->item(0)->setSelected(true);
    QTest::mouseClick(wall->moderate()->findChild<QPushButton*>(QStringLiteral("bDeleteInbox")),
                      Qt::LeftButton);
    EXPECT_TRUE(Lines(List("qInbox")).isEmpty());
    // What arrives later comes later: once it is on the page, the deleted one had its turn.
    Deliver("Kind words");
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return WallText(*wall->display()) == QStringLiteral("Kind words"); }, kTimeoutMs))
        << ScreenLog();
    ASSERT_EQ(put.size(), 1);
    EXPECT_EQ(put[0][1].toString(), QStringLiteral("Kind words"));
    EXPECT_EQ(intoDisplay.size(), 1);
}

TEST_F(WallEndToEnd, EngineCommandsOpenTheWindowsAndItsClosingEndsTheWall) {
    StartWall("8");
    QSignalSpy closed(wall.get(), &TfrmMain::closed);
    // The engine raises these when its Plugins menu commands are chosen.
    emit wall->server().MenuItemClick(QStringLiteral("Billboard Configuration"));
    EXPECT_TRUE(wall->preferences()->isVisible());
    EXPECT_FALSE(wall->moderate()->isVisible());
    emit wall->server().MenuItemClick(QStringLiteral("Billboard Moderation"));
    EXPECT_TRUE(wall->moderate()->isVisible());
    ASSERT_TRUE(engine.Stop());
    EXPECT_TRUE(ProcessEventsUntil([&] { return !closed.isEmpty(); }, kTimeoutMs));
}

TEST_F(WallEndToEnd, AnEngineThatDiesEndsTheWall) {
    StartWall("8");
    QSignalSpy closed(wall.get(), &TfrmMain::closed);
    engine.process().Signal(SIGKILL);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !closed.isEmpty(); }, kTimeoutMs));
}

// The built program in an engine's home.
class WallProgram : public ::testing::Test {
protected:
    WallProgram() : engine(TRANSMIT) {
        engine.WriteServerSetting("eInstalledNumber", "0");
        engine.WriteSetting(kHandsetNumberKey, "ePhoneNumber", "+36 201234567");
    }
    fs::path PhoneNumFile() const { return engine.home() / "phonenum.txt"; }
    // The program as the engine starts it: in the engine's home, on its bus and settings.
    std::unique_ptr<ChildProcess> StartProgram() const {
        auto options = engine.ClientProgram(BILLBOARD, {});
        options.workingDirectory = engine.home();
        return std::make_unique<ChildProcess>(options);
    }
    // Waits for billboard to end and tells whether it ended with exit code 0.
    static ::testing::AssertionResult EndedWell(ChildProcess& billboard) {
        if (!billboard.WaitForExit(kTimeout))
            return ::testing::AssertionFailure() << "still running";
        if (billboard.ExitCode() != 0)
            return ::testing::AssertionFailure() << "ended badly: " << billboard.Errors();
        return ::testing::AssertionSuccess();
    }

    RunningEngine engine;
};

TEST_F(WallProgram, TheEngineStartsItFromItsPluginList) {
    fs::create_directories(engine.home() / "Plugins");
    fs::copy_file(BILLBOARD, engine.home() / "Plugins/billboard");
    engine.WriteServerSetting("lbCOMPlugins", "billboard");
    engine.Start();
    ASSERT_TRUE(WaitForFileContaining(PhoneNumFile(), kPhoneNumLine, kTimeout));
    EXPECT_EQ(ReadFileText(PhoneNumFile()), kPhoneNumLine);
}

TEST_F(WallProgram, EndsWhenTheEngineCloses) {
    engine.Start();
    auto billboard = StartProgram();
    ASSERT_TRUE(WaitForFile(PhoneNumFile(), kTimeout)) << billboard->Errors();
    ASSERT_TRUE(engine.Stop());
    EXPECT_TRUE(EndedWell(*billboard));
}

TEST_F(WallProgram, EndsOnRequestAndLeavesTheEngineRunning) {
    engine.Start();
    auto billboard = StartProgram();
    ASSERT_TRUE(WaitForFile(PhoneNumFile(), kTimeout)) << billboard->Errors();
    billboard->Signal(SIGTERM);
    EXPECT_TRUE(EndedWell(*billboard));
    EXPECT_TRUE(engine.Running());
}

TEST_F(WallProgram, EndsAtOnceWithoutAnEngine) {
    auto billboard = StartProgram();
    EXPECT_TRUE(EndedWell(*billboard));
    EXPECT_FALSE(fs::exists(PhoneNumFile()));
}

}  // namespace
}  // namespace nimbra::testing_support
