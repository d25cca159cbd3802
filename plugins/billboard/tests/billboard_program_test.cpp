// The built billboard program end to end, watched from outside: the real engine with its
// window and the real smpp driver bound to the message-centre simulator, and billboard
// started as the engine's plugin, all on an X screen of the test's own. The engine's
// Plugins menu is used with the keyboard as an operator would; what the wall does is read
// from the watch file the program keeps when asked (NIMBRA_BILLBOARD_WATCH) and from the
// windows the X server shows.

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "child_process.h"
#include "engine_with_driver.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "simulator_process.h"
#include "x_screen.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
constexpr auto kTimeout = std::chrono::milliseconds(kTimeoutMs);
const char kHandsetNumberKey[] =
    "HKEY_CURRENT_USER\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\GSM Device1";
const char kEngineWindow[] = "^Nimbra SMS Server";
const char kModerateWindow[] = "^Moderate$";
const char kPreferencesWindow[] = "^Preferences$";

// The watch file's sections, each a list of lines.
using Watch = std::map<std::string, std::vector<std::string>>;

Watch ReadWatch(const fs::path& file) {
    Watch watch;
    std::error_code error;
    if (!fs::exists(file, error))
        return watch;
    std::istringstream lines(ReadFileText(file));
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            watch[section];
        } else {
            watch[section].push_back(line);
        }
    }
    return watch;
}

bool Holds(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines) {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

// The page's "message" field as the watch last read it; "<none>" before the first read.
std::string PageMessage(const Watch& watch) {
    const auto page = watch.find("Page");
    if (page == watch.end() || page->second.empty() || !page->second[0].starts_with("message="))
        return "<none>";
    return page->second[0].substr(8);
}

class WallOnScreen : public ::testing::Test, protected EngineWithDriver {
protected:
    WallOnScreen()
        : EngineWithDriver(
              {TRANSMIT, NBSMS, MCSIM},
              {SMPP, "smpp", "eSMPPInstalledNumber", "smpp1", {"--protocol", "smpp"}}) {}

    void SetUp() override {
        if (!XScreen::Available())
            GTEST_SKIP() << "Xvfb and xdotool are needed to run billboard on an X screen";
        screen = std::make_unique<XScreen>();
        engine.ShowWindowsOn(screen->display());
    }

    // The engine with its window, the driver, the simulator, and billboard started with the
    // engine's home as its folder; the server restarted so that the wall loads its page.
    void StartWall(const std::string& inboxTime) {
        WriteFileText(engine.home() / "Billboard/index.html", ReadFileText(BILLBOARD_PAGE));
        engine.WriteSetting(kHandsetNumberKey, "ePhoneNumber", "+36 201234567");
        engine.WriteSetting(PluginKeyPath("Billboard"), "eInboxTime", inboxTime);
        engine.WriteSetting(PluginKeyPath("Billboard"), "eDisplayTime", "1");
        ASSERT_TRUE(StartAll({}));
        ASSERT_TRUE(simulator->WaitForCount("logins", 1, kTimeout)) << ScreenLog();
        ASSERT_TRUE(ShowsWindow(kEngineWindow));

        auto options = engine.ClientProgram(BILLBOARD, {});
        options.workingDirectory = engine.home();
        options.environment["DISPLAY"] = screen->display();
        options.environment["QT_QPA_PLATFORM"] = "xcb";
        options.environment["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
        options.environment["NIMBRA_BILLBOARD_WATCH"] = watchFile().string();
        wall = std::make_unique<ChildProcess>(options);
        // The first step's watch: the wall has logged in and made its windows.
        ASSERT_TRUE(ProcessEventsUntil([&] { return !ReadWatch(watchFile()).empty(); }, kTimeoutMs))
            << wall->Errors();
        ASSERT_EQ(client->stopServer(), QVariant(1));
        ASSERT_EQ(client->startServer(), QVariant(1));
        // The page is there once its "message" field reads (empty) instead of failing.
        ASSERT_TRUE(ProcessEventsUntil([&] { return PageMessage(Look()).empty(); }, kTimeoutMs))
            << PageMessage(Look()) << "\n"
            << wall->Errors();
        ASSERT_TRUE(simulator->WaitForCount("logins", 2, kTimeout)) << ScreenLog();
    }

    fs::path watchFile() const { return engine.home() / "wall-watch.txt"; }
    Watch Look() const { return ReadWatch(watchFile()); }
    bool WaitForWatch(const std::function<bool(const Watch&)>& condition) const {
        return ProcessEventsUntil([&] { return condition(Look()); }, kTimeoutMs);
    }
    void Deliver(const std::string& text) {
        ASSERT_EQ(simulator->Control("deliver +3630999 +36201234567 " + text).substr(0, 2), "ok");
    }
    // Whether the X screen shows the window within the time-out.
    // (Looked for every 200 ms: each look runs the X input tool.)
    bool ShowsWindow(const char* title) const {
        auto next = std::chrono::steady_clock::now();
        return ProcessEventsUntil(
            [&] {
                if (std::chrono::steady_clock::now() < next)
                    return false;
                next += std::chrono::milliseconds(200);
                return screen->ShowsWindow(title);
            },
            kTimeoutMs);
    }
    // Chooses the n-th plugin command of the engine's Plugins menu with the keyboard: a menu
    // opened with its key starts on its first entry, "Install plugins", and the plugins'
    // commands follow below a separator, which the arrow keys pass over.
    bool ChoosePluginCommand(int n) const {
        std::vector<std::string> keys{"alt+p"};
        for (int i = 0; i < n; ++i)
            keys.push_back("Down");
        keys.push_back("Return");
        return screen->Type(kEngineWindow, keys);
    }

    std::unique_ptr<XScreen> screen;
    std::unique_ptr<ChildProcess> wall;
};

TEST_F(WallOnScreen, ADeliveredMessagePassesModerationOntoThePage) {
    StartWall("2");
    const std::string text = "Hello wall, greetings from row 7!";
    Deliver(text);
    ASSERT_TRUE(WaitForWatch([&](const Watch& w) { return Holds(w.at("Inbox"), text); }))
        << ScreenLog();
    const Watch waiting = Look();
    EXPECT_TRUE(waiting.at("Inbox").back().starts_with("{+3630999}{" + text + "}{"))
        << waiting.at("Inbox").back();
    EXPECT_FALSE(Holds(waiting.at("Displayed"), text));
    ASSERT_TRUE(WaitForWatch([&](const Watch& w) { return PageMessage(w) == text; }))
        << PageMessage(Look());
    const Watch shown = Look();
    EXPECT_TRUE(Holds(shown.at("Displayed"), text));
    EXPECT_TRUE(shown.at("Inbox").empty());
    EXPECT_TRUE(shown.at("Display").empty());
    EXPECT_EQ(shown.at("Put"), std::vector<std::string>{text});
}

TEST_F(WallOnScreen, TheEnginesPluginsMenuOpensTheWindowsAndADeletedMessageNeverReachesThePage) {
    StartWall("6");
    EXPECT_FALSE(screen->ShowsWindow(kModerateWindow));
    EXPECT_FALSE(screen->ShowsWindow(kPreferencesWindow));

    // "Billboard Moderation", the first command of the engine's Plugins menu.
    ASSERT_TRUE(ChoosePluginCommand(1));
    ASSERT_TRUE(ShowsWindow(kModerateWindow));
    EXPECT_FALSE(screen->ShowsWindow(kPreferencesWindow));

    // The operator deletes a message while it waits in the inbox: all of the inbox
    // selected (the list is the fourth stop of the window's tab order), then its Delete
    // button (four stops further).
    Deliver("Rude words");
    ASSERT_TRUE(WaitForWatch([](const Watch& w) { return Holds(w.at("Inbox"), "Rude words"); }))
        << ScreenLog();
    ASSERT_TRUE(screen->Type(kModerateWindow,
                             {"Tab", "Tab", "Tab", "ctrl+a", "Tab", "Tab", "Tab", "Tab", "space"}));
    ASSERT_TRUE(WaitForWatch([](const Watch& w) { return w.at("Inbox").empty(); }));
    // What arrives later comes later: once it is on the page, the deleted one had its turn.
    Deliver("Kind words");
    ASSERT_TRUE(WaitForWatch([](const Watch& w) { return PageMessage(w) == "Kind words"; }))
        << PageMessage(Look());
    const Watch after = Look();
    EXPECT_EQ(after.at("Put"), std::vector<std::string>{"Kind words"});
    EXPECT_FALSE(Holds(after.at("Displayed"), "Rude words"));

    // "Billboard Configuration", the second.
    ASSERT_TRUE(ChoosePluginCommand(2));
    EXPECT_TRUE(ShowsWindow(kPreferencesWindow));
}

TEST_F(WallOnScreen, TheWallTakesItsCommandsOutOfTheMenuWhenItEnds) {
    StartWall("8");
    // A command of another client, after the wall's two.
    QSignalSpy clicked(client.get(), &com::TnbMessageServerProxy::MenuItemClick);
    client->registerMenuItem(QStringLiteral("Probe"));
    ASSERT_TRUE(ChoosePluginCommand(3));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !clicked.isEmpty(); }, kTimeoutMs));
    EXPECT_EQ(clicked.takeFirst().value(0).toString(), QStringLiteral("Probe"));

    wall->Signal(SIGTERM);
    ASSERT_TRUE(wall->WaitForExit(kTimeout));
    EXPECT_EQ(wall->ExitCode(), 0) << wall->Errors();
    // With the wall's commands gone, the first command is the other client's.
    ASSERT_TRUE(ChoosePluginCommand(1));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !clicked.isEmpty(); }, kTimeoutMs));
    EXPECT_EQ(clicked.takeFirst().value(0).toString(), QStringLiteral("Probe"));
    EXPECT_TRUE(engine.Running());
}

}  // namespace
}  // namespace nimbra::testing_support
