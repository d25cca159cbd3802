// The shared engine fixture: the real transmit on a private bus, with its settings read from
// the fixture's own folder.

#include "running_engine.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "child_process.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 20s;

TEST(RunningEngineTest, RunsTheEngineOnItsOwnBusUntilStopped) {
    RunningEngine engine(TRANSMIT);
    EXPECT_FALSE(engine.OwnsBusName());
    engine.Start();
    EXPECT_TRUE(engine.OwnsBusName());
    EXPECT_TRUE(std::filesystem::is_directory(engine.home() / "SysFolders"));

    // Programs started with the client environment reach the same engine.
    ChildProcess query(engine.ClientProgram(
        "dbus-send",
        {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
         "org.freedesktop.DBus.GetNameOwner", "string:org.nimbra.Transmit"}));
    ASSERT_TRUE(query.WaitForExit(kTimeout));
    EXPECT_EQ(query.ExitCode(), 0) << query.Errors();
    EXPECT_NE(query.Output().find("\":1."), std::string::npos) << query.Output();

    ASSERT_TRUE(engine.Stop());
    EXPECT_EQ(engine.process().ExitCode(), 0) << engine.process().Errors();
    EXPECT_TRUE(WaitUntil([&] { return !engine.OwnsBusName(); }, kTimeout));
}

TEST(RunningEngineTest, SettingsWrittenBeforeTheStartAreTheEngines) {
    RunningEngine engine(TRANSMIT);
    engine.WriteServerSetting("cbStartup2", "1");
    engine.WriteServerSetting("eAutoStart", "2");
    engine.Start();
    EXPECT_TRUE(WaitForFileContaining(engine.home() / "logs/status0.txt", "The Server is Started",
                                      kTimeout));
}

}  // namespace
}  // namespace nimbra::testing_support
