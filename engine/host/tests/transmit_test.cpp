// The engine program as a whole: `transmit --headless` on a private bus, with a temporary
// home and a temporary settings folder.

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "child_process.h"
#include "file_text.h"
#include "private_bus.h"
#include "temp_dir.h"
#include "wait.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::ReadFileText;
using testing_support::WaitForFile;
using testing_support::WaitForFileContaining;
using testing_support::WaitUntil;

// Only an upper bound for what is due; above the engine's own 5 s hand-over timeout.
constexpr auto kTimeout = 20s;

class TransmitTest : public ::testing::Test {
protected:
    TransmitTest() {
        // The handset driver is installed by default; this one only shows that it was started.
        const fs::path handset = home_ / "Devices/handset";
        testing_support::WriteFileText(handset, "#!/bin/sh\necho started > handset-started.txt\n");
        ::chmod(handset.c_str(), 0755);
    }

    // transmit with the home on the command line, or else in NIMBRA_HOME.
    ChildProcess::Options Engine(bool homeAsOption = true) const {
        ChildProcess::Options options{TRANSMIT,
                                      {"--headless"},
                                      {{"DBUS_SESSION_BUS_ADDRESS", bus_.address()},
                                       {"NIMBRA_SETTINGS_DIR", settings_.path().string()},
                                       {"NIMBRA_HOME", std::nullopt},
                                       {"DISPLAY", std::nullopt},
                                       {"WAYLAND_DISPLAY", std::nullopt}},
                                      {}};
        if (homeAsOption) {
            options.arguments.push_back("--home");
            options.arguments.push_back(home_.path().string());
        } else {
            options.environment["NIMBRA_HOME"] = home_.path().string();
        }
        return options;
    }

    // Starts the engine and waits until it has created its home, so that it owns the bus name.
    std::unique_ptr<ChildProcess> StartEngine(bool homeAsOption = true) {
        auto engine = std::make_unique<ChildProcess>(Engine(homeAsOption));
        EXPECT_TRUE(WaitForFile(home_ / "servercontrol", kTimeout)) << engine->Errors();
        return engine;
    }

    fs::path Home(const std::string& relative) const { return home_ / relative; }

    testing_support::PrivateBus bus_;
    testing_support::TempDir home_;
    testing_support::TempDir settings_;
};

TEST_F(TransmitTest, StartUpPreparesTheHomeAndStartsTheHandset) {
    const auto engine = StartEngine(false);
    const std::vector<std::string> expected = {
        "SysFolders",
        "Folders",
        "logs",
        "servercontrol",
        "InFilters",
        "OutFilters",
        "logs/send-log.txt",
        "logs/receive-log.txt",
        "logs/error-log.txt",
        "logs/status-log.txt",
        "logs/sql-log.txt",
        "logs/screen-log.txt",
    };
    for (const std::string& path : expected)
        EXPECT_TRUE(WaitForFile(Home(path), kTimeout)) << path;
    EXPECT_TRUE(WaitForFileContaining(Home("handset-started.txt"), "started", kTimeout));
    EXPECT_TRUE(engine->Running()) << engine->Errors();
}

TEST_F(TransmitTest, ControlFilesStartAndStopTheServer) {
    const auto engine = StartEngine();
    testing_support::WriteFileText(Home("servercontrol/StartServer.act"), "");
    EXPECT_TRUE(WaitForFileContaining(Home("logs/status0.txt"), "The Server is Started", kTimeout));
    EXPECT_TRUE(WaitForFileContaining(Home("logs/startbtn.state"), "disabled", kTimeout));
    EXPECT_TRUE(
        WaitUntil([&] { return !fs::exists(Home("servercontrol/StartServer.act")); }, kTimeout));

    testing_support::WriteFileText(Home("servercontrol/StopServer.act"), "");
    EXPECT_TRUE(WaitForFileContaining(Home("logs/status0.txt"), "The Server is Stoped", kTimeout));
    EXPECT_TRUE(
        WaitUntil([&] { return !fs::exists(Home("servercontrol/StopServer.act")); }, kTimeout));
    EXPECT_TRUE(engine->Running()) << engine->Errors();
}

TEST_F(TransmitTest, ASecondEngineHandsOverToTheRunningOneAndEnds) {
    const auto first = StartEngine();
    ChildProcess second(Engine());
    ASSERT_TRUE(second.WaitForExit(kTimeout));
    EXPECT_EQ(second.ExitCode(), 0) << second.Errors();
    EXPECT_EQ(second.Errors().find("did not answer"), std::string::npos) << second.Errors();
    EXPECT_TRUE(WaitForFileContaining(Home("logs/screen-log.txt"),
                                      "Another start of transmit was handed over to this engine",
                                      kTimeout))
        << ReadFileText(Home("logs/screen-log.txt"));
    EXPECT_TRUE(first->Running()) << first->Errors();
}

TEST_F(TransmitTest, WithoutAHomeGivenTheProgramsFolderIsTheHome) {
    const testing_support::TempDir programDir;
    const fs::path program = programDir / "transmit";
    fs::copy_file(TRANSMIT, program);
    ChildProcess::Options options = Engine();
    options.program = program.string();
    options.arguments = {"--headless"};  // and NIMBRA_HOME is removed
    // Started elsewhere, so that the current folder is not taken for the home either.
    options.workingDirectory = home_.path();
    ChildProcess engine(options);
    EXPECT_TRUE(WaitForFile(programDir / "logs/screen-log.txt", kTimeout)) << engine.Errors();
    EXPECT_FALSE(fs::exists(Home("logs")));
}

class TransmitStopTest : public TransmitTest, public ::testing::WithParamInterface<int> {};

TEST_P(TransmitStopTest, AStopSignalEndsTheEngineInOrder) {
    const auto engine = StartEngine();
    ASSERT_TRUE(WaitForFile(Home("logs/screen-log.txt"), kTimeout));
    engine->Signal(GetParam());
    ASSERT_TRUE(engine->WaitForExit(kTimeout));
    EXPECT_EQ(engine->ExitCode(), 0)
        << "signal " << engine->TermSignal() << ": " << engine->Errors();
}

INSTANTIATE_TEST_SUITE_P(Signals, TransmitStopTest, ::testing::Values(SIGTERM, SIGINT));

TEST_F(TransmitTest, AnEngineThatStopsSaysSoOnTheBus) {
    const auto engine = StartEngine();
    ASSERT_TRUE(WaitForFile(Home("logs/screen-log.txt"), kTimeout));
    ChildProcess monitor(
        {"dbus-monitor",
         {"--address", bus_.address(), "type='signal',interface='org.nimbra.Transmit.Server'"},
         {},
         {}});
    // dbus-monitor prints its first line (its own NameAcquired) once it listens.
    ASSERT_TRUE(
        WaitUntil([&] { return monitor.Output().find('\n') != std::string::npos; }, kTimeout))
        << monitor.Errors();
    EXPECT_EQ(monitor.Output().find("EngineClosing"), std::string::npos);

    engine->Signal(SIGTERM);
    ASSERT_TRUE(engine->WaitForExit(kTimeout));
    EXPECT_EQ(engine->ExitCode(), 0) << engine->Errors();
    EXPECT_TRUE(WaitUntil(
        [&] { return monitor.Output().find("member=EngineClosing") != std::string::npos; },
        kTimeout))
        << monitor.Output();
}

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string busAddress;  // empty: the test's bus
    std::string expected;    // part of the one line on stderr
};

TEST_F(TransmitTest, StartUpFailuresEndWithOneLineOfExplanation) {
    const FailureCase cases[] = {
        {"no bus", {}, "unix:path=/nonexistent", "cannot reach the D-Bus session bus"},
        {"no home", {"--home", "/nonexistent/home"}, "", "cannot enter the engine home"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ChildProcess::Options options = Engine(c.arguments.empty());
        options.arguments.insert(options.arguments.end(), c.arguments.begin(), c.arguments.end());
        if (!c.busAddress.empty())
            options.environment["DBUS_SESSION_BUS_ADDRESS"] = c.busAddress;
        ChildProcess engine(options);
        ASSERT_TRUE(engine.WaitForExit(kTimeout));
        EXPECT_EQ(engine.ExitCode(), 1);
        const std::string errors = engine.Errors();
        EXPECT_NE(errors.find(c.expected), std::string::npos) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
    // Neither got as far as writing into a home.
    EXPECT_FALSE(fs::exists(Home("logs")));
}

}  // namespace
}  // namespace nimbra
