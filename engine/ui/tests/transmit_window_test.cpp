// The engine program opens its main window when there is a display and not when it runs
// headless; the window closes with the engine and keeps the list's sort order.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "child_process.h"
#include "file_text.h"
#include "private_bus.h"
#include "temp_dir.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class TransmitWindowTest : public testing::Test {
protected:
    TransmitWindowTest() {
        WriteFileText(settings_ / "HKEY_LOCAL_MACHINE.ini",
                      "[Software]\r\n"
                      "Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Server\\eInstalledNumber=0\r\n"
                      "Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Server\\SortCol=2\r\n");
    }

    // transmit on the private bus; the offscreen platform stands in for a display.
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--home", home_.path().string()});
        return std::make_unique<ChildProcess>(
            ChildProcess::Options{TRANSMIT,
                                  arguments,
                                  {{"DBUS_SESSION_BUS_ADDRESS", bus_.address()},
                                   {"NIMBRA_SETTINGS_DIR", settings_.path().string()},
                                   {"NIMBRA_HOME", std::nullopt},
                                   {"DISPLAY", ":nimbra-test"},
                                   {"QT_QPA_PLATFORM", "offscreen"}},
                                  {}});
    }

    bool Ready() const { return fs::exists(home_ / "servercontrol"); }
    fs::path MainFormFile() const { return home_ / "Languages" / "English" / "MainForm.txt"; }

    PrivateBus bus_;
    TempDir home_;
    TempDir settings_;
};

TEST_F(TransmitWindowTest, WithADisplayTheEngineOpensItsWindow) {
    auto engine = Start({});
    // The window's texts fill the language file when it is built.
    ASSERT_TRUE(WaitForFile(MainFormFile(), 20s)) << engine->Errors();
    EXPECT_NE(ReadFileText(MainFormFile()).find("Caption=Device information"), std::string::npos);
    engine->Signal(SIGTERM);
    ASSERT_TRUE(engine->WaitForExit(20s));
    EXPECT_EQ(engine->ExitCode(), 0) << engine->Errors();
    // The window kept the sort order as it closed.
    const std::string stored = ReadFileText(settings_ / "HKEY_LOCAL_MACHINE.ini");
    EXPECT_NE(stored.find("SortCol=2"), std::string::npos) << stored;
    EXPECT_NE(stored.find("SortDirection=Ascending"), std::string::npos) << stored;
}

TEST_F(TransmitWindowTest, HeadlessTheEngineOpensNoWindow) {
    auto engine = Start({"--headless"});
    ASSERT_TRUE(WaitUntil([this] { return Ready(); }, 20s)) << engine->Errors();
    // The stop signal is handled once start-up, windows and all, is over.
    engine->Signal(SIGTERM);
    ASSERT_TRUE(engine->WaitForExit(20s));
    EXPECT_EQ(engine->ExitCode(), 0);
    EXPECT_FALSE(fs::exists(MainFormFile()));
    EXPECT_EQ(ReadFileText(settings_ / "HKEY_LOCAL_MACHINE.ini").find("SortDirection"),
              std::string::npos);
}

}  // namespace
}  // namespace nimbra::testing_support
