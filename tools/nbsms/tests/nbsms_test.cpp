// nbsms, the built program, against the real engine on a private bus.

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "codepage.h"
#include "file_text.h"
#include "nbsms_runner.h"
#include "private_bus.h"
#include "running_engine.h"
#include "temp_dir.h"
#include "unGSMSMS.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = kNbsmsTimeout;

std::string Record(const std::string& receiver, const std::string& text) {
    TGsmSms sms;
    sms.receiver = receiver;
    sms.text = text;
    return sms.ToText();
}

class NbsmsTest : public ::testing::Test {
protected:
    void SetUp() override { engine.Start(); }
    Outcome Nbsms(std::vector<std::string> arguments) {
        return RunToEnd(engine.ClientProgram(NBSMS, std::move(arguments)));
    }

    RunningEngine engine{TRANSMIT};
};

TEST_F(NbsmsTest, SendCountGetAndDelete) {
    const Outcome sent = Nbsms({"send", "+3620111,abc;+3620222", "hello"});
    ASSERT_EQ(sent.exitCode, 0) << sent.errors;
    EXPECT_TRUE(Contains(sent.errors, "nbsms: Invalid phone number: abc\n")) << sent.errors;
    const std::string messageId = sent.output.substr(0, sent.output.find('\n'));
    ASSERT_FALSE(messageId.empty());
    EXPECT_EQ(messageId.find_first_not_of("0123456789"), std::string::npos) << messageId;

    EXPECT_EQ(Nbsms({"count"}).output, "2\n");
    const Outcome got = Nbsms({"get", messageId});
    EXPECT_EQ(got.exitCode, 0) << got.errors;
    EXPECT_TRUE(Contains(got.output, "{+3620222}{hello}{" + messageId + "}")) << got.output;

    EXPECT_EQ(Nbsms({"delete", messageId}).exitCode, 0);
    EXPECT_EQ(Nbsms({"count"}).output, "1\n");
    // Gone: neither found nor deleted again.
    for (const char* command : {"get", "delete", "resend"}) {
        SCOPED_TRACE(command);
        const Outcome again = Nbsms({command, messageId});
        EXPECT_EQ(again.exitCode, 1);
        EXPECT_TRUE(Contains(again.errors, "no stored message has")) << again.errors;
    }
}

// The engine keeps texts in its code page; one the code page cannot hold is kept in the
// Unicode form, so it leaves exactly as typed instead of with question marks.
TEST_F(NbsmsTest, SendKeepsEveryCharacterOfTheText) {
    struct Case {
        const char* typed;  // UTF-8, as on a command line
        const char* stored;
    };
    const Case cases[] = {
        {"\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1 \xCF\x83\xCE\xBF\xCF\x85",  // Greek
         "_UCS2_039303B503B903B1002003C303BF03C5"},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",  // Cyrillic
         "_UCS2_041F04400438043204350442"},
        {"@ \xC2\xA3 \xC3\xA9 \xC3\xA4", "@ \xA3 \xE9 \xE4"},  // the code page holds these
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const Outcome sent = Nbsms({"send", "+3620111", c.typed});
        ASSERT_EQ(sent.exitCode, 0) << sent.errors;
        const std::string messageId = sent.output.substr(0, sent.output.find('\n'));
        const Outcome got = Nbsms({"get", messageId});
        ASSERT_EQ(got.exitCode, 0) << got.errors;
        TGsmSms record;
        record.FromText(Utf8ToAnsi(got.output.substr(0, got.output.find('\n'))));
        EXPECT_EQ(record.text, c.stored);
    }
}

TEST_F(NbsmsTest, ASendThatQueuesNothingFails) {
    // Also the last number of the list is checked and reported.
    const Outcome sent = Nbsms({"send", "abc", "hello"});
    EXPECT_EQ(sent.exitCode, 1);
    EXPECT_TRUE(Contains(sent.errors, "Invalid phone number: abc")) << sent.errors;
    EXPECT_TRUE(Contains(sent.errors, "No recepient specified")) << sent.errors;
    EXPECT_EQ(sent.output, "");
    EXPECT_EQ(Nbsms({"count"}).output, "0\n");
}

TEST_F(NbsmsTest, StartAndStopSayWhenTheServerStateDoesNotFit) {
    struct Step {
        const char* command;
        int exitCode;
        const char* said;  // on stdout for 0, on stderr otherwise
    };
    const Step steps[] = {
        {"stop", 1, "nbsms: Server is not running\n"},
        {"start", 0, "Server started\n"},
        {"start", 1, "nbsms: Server already running\n"},
        {"stop", 0, "Server stopped\n"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        // After a start the engine offers Stop once its devices have answered (here: none),
        // at its next device check.
        if (std::string(step.command) == "stop" && step.exitCode == 0) {
            ASSERT_TRUE(
                WaitForFileContaining(engine.home() / "logs/stopbtn.state", "enabled", kTimeout));
        }
        const Outcome run = Nbsms({step.command});
        EXPECT_EQ(run.exitCode, step.exitCode) << run.errors;
        EXPECT_EQ(step.exitCode == 0 ? run.output : run.errors, step.said);
    }
}

TEST_F(NbsmsTest, MassSendQueuesEveryLineOfTheFile) {
    const TempDir dir;
    WriteFileText(dir / "list.txt",
                  Record("+3620111", "one") + "\r\n" + Record("+3620222", "two") + "\r\n");
    const Outcome run = Nbsms({"masssend", (dir / "list.txt").string()});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(Nbsms({"count"}).output, "2\n");

    const Outcome missing = Nbsms({"masssend", (dir / "none.txt").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Contains(missing.errors, "cannot read")) << missing.errors;
}

TEST_F(NbsmsTest, WatchPrintsEventsUntilItIsStopped) {
    ChildProcess watch(engine.ClientProgram(NBSMS, {"watch"}));
    ASSERT_TRUE(
        WaitUntil([&] { return Contains(watch.Output(), " watching as nbsms 1\n"); }, kTimeout))
        << watch.Output() << watch.Errors();
    ASSERT_EQ(Nbsms({"start"}).exitCode, 0);
    EXPECT_TRUE(WaitUntil([&] { return Contains(watch.Output(), " ServerStarted\n"); }, kTimeout))
        << watch.Output();

    watch.Signal(SIGTERM);
    ASSERT_TRUE(watch.WaitForExit(kTimeout));
    EXPECT_EQ(watch.ExitCode(), 0) << watch.Errors();
}

TEST_F(NbsmsTest, WatchEndsWhenTheEngineCloses) {
    ChildProcess watch(engine.ClientProgram(NBSMS, {"watch"}));
    ASSERT_TRUE(WaitUntil([&] { return Contains(watch.Output(), " watching as "); }, kTimeout))
        << watch.Errors();
    ASSERT_TRUE(engine.Stop());
    ASSERT_TRUE(watch.WaitForExit(kTimeout));
    EXPECT_EQ(watch.ExitCode(), 0) << watch.Errors();
    EXPECT_TRUE(Contains(watch.Output(), " ServerShutdown\n")) << watch.Output();
}

TEST(NbsmsWithoutEngineTest, EveryCommandSaysThatNoEngineRuns) {
    const PrivateBus bus;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"count"}, {"send", "+3620111", "hello"}, {"watch"}}) {
        SCOPED_TRACE(arguments.front());
        const Outcome run =
            RunToEnd({NBSMS, arguments, {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}}, {}});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.errors,
                  "nbsms: no engine is running on the session bus (start it with scripts/run)\n");
    }
}

TEST(NbsmsWithoutEngineTest, AWrongCommandLineIsAUsageError) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"sned"}, {"get"}, {"send", "+3620111"}}) {
        const Outcome run = RunToEnd({NBSMS, arguments, {}, {}});
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_TRUE(Contains(run.errors, "nbsms --help")) << run.errors;
    }
    const Outcome help = RunToEnd({NBSMS, {"--help"}, {}, {}});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.output, "nbsms send NUMBERS TEXT")) << help.output;
}

}  // namespace
}  // namespace nimbra::testing_support
