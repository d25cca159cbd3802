// The python3-dbus example against the real engine.

#include <string>

#include <gtest/gtest.h>

#include "child_process.h"
#include "running_engine.h"

namespace nimbra::testing_support {
namespace {

using namespace std::chrono_literals;

// The interpreter the Debian packages python3-dbus and python3-gi are installed for.
constexpr char kSystemPython[] = "/usr/bin/python3";

bool SystemPythonHasDbus() {
    ChildProcess check({kSystemPython, {"-c", "import dbus, gi"}, {}, {}});
    return check.WaitForExit(20s) && check.ExitCode() == 0;
}

TEST(SendAndWatchTest, SendsAMessageAndPrintsTheEventsItGets) {
    if (!SystemPythonHasDbus())
        GTEST_SKIP() << "python3-dbus or python3-gi is not installed";
    RunningEngine engine(TRANSMIT);
    engine.Start();
    ChildProcess example(engine.ClientProgram(
        kSystemPython, {SEND_AND_WATCH, "+3620111", "hello {world}", "--seconds", "1"}));
    ASSERT_TRUE(example.WaitForExit(20s));
    EXPECT_EQ(example.ExitCode(), 0) << example.Errors();
    const std::string output = example.Output();
    EXPECT_NE(output.find("logged in as send_and_watch 1\n"), std::string::npos) << output;
    const auto queued = output.find("queued message ");
    ASSERT_NE(queued, std::string::npos) << output;
    const std::string messageId =
        output.substr(queued + 15, output.find('\n', queued) - queued - 15);
    // The event names the client, the id and the record with the escaped text.
    EXPECT_NE(output.find(" MessageAcceptedForDelivery send_and_watch 1 " + messageId +
                          " {GSMSMS}{}{}{+3620111}{hello \\{world\\}}{" + messageId + "}"),
              std::string::npos)
        << output;
}

TEST(SendAndWatchTest, WithoutAnEngineItSaysSoAndEnds) {
    if (!SystemPythonHasDbus())
        GTEST_SKIP() << "python3-dbus or python3-gi is not installed";
    const RunningEngine engine(TRANSMIT);  // its bus, without the engine
    ChildProcess example(
        engine.ClientProgram(kSystemPython, {SEND_AND_WATCH, "+3620111", "hello"}));
    ASSERT_TRUE(example.WaitForExit(20s));
    EXPECT_EQ(example.ExitCode(), 2);
    EXPECT_NE(example.Errors().find("no engine is running"), std::string::npos) << example.Errors();
}

}  // namespace
}  // namespace nimbra::testing_support
