// The cimd driver end to end: the real engine starts the real driver, which links to the
// message-centre simulator over loopback TCP; messages go out with the command-line client
// and come back as events and files.

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "case_name.h"
#include "cimd_end_to_end.h"
#include "event_wait.h"
#include "file_text.h"
#include "loopback_peer.h"
#include "simulator_process.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST_F(CimdEndToEndTest, AMessageIsSubmittedSentAndDeliveredAndAnIncomingOneLandsInTheInbox) {
    ASSERT_TRUE(StartAll({}));
    ASSERT_TRUE(WaitForDriverLog("Successful login")) << DriverLog();

    const std::string id = SendWithNbsms("+3620111", "Hello a_b");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << DriverLog();
    // The simulator answered the submit with a time stamp: it is the message's reference.
    ASSERT_TRUE(simulator->WaitForLog("033:Hello a_--b", kTimeout)) << simulator->Log();
    std::smatch stamp;
    const std::string log = simulator->Log();
    ASSERT_TRUE(std::regex_search(log, stamp, std::regex("53:[0-9]+<tab>060:([0-9]{12})"))) << log;
    // The engine files the message a moment after it reports it sent.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !FileHolding(Folder("Sent Items"), id).empty(); },
                                   kTimeoutMs));
    const fs::path file = FileHolding(Folder("Sent Items"), id);
    EXPECT_NE(ReadFileText(file).find(stamp[1].str()), std::string::npos) << ReadFileText(file);
    // The Outbox's original goes once its copy is on disk.
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return FileHolding(Folder("Outbox"), id).empty(); }, kTimeoutMs));

    // The status report that follows the submit is matched to the message.
    EXPECT_TRUE(ProcessEventsUntil([&] { return Delivered(id); }, kTimeoutMs)) << DriverLog();

    EXPECT_EQ(simulator->Control("deliver +3630999 +36201234567 Reply from afar").substr(0, 2),
              "ok");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.isEmpty(); }, kTimeoutMs)) << DriverLog();
    EXPECT_TRUE(received[0].contains(QStringLiteral("{+3630999}"))) << received[0].toStdString();
    EXPECT_TRUE(received[0].contains(QStringLiteral("{Reply from afar}")));
    EXPECT_FALSE(FileHolding(Folder("Inbox"), "Reply from afar").empty());
    EXPECT_TRUE(simulator->WaitForLog("-> 70:", kTimeout)) << simulator->Log();
}

TEST_F(CimdEndToEndTest, ABoundConnectLeavesFromTheSourcePortOnTheLoopbackAddress) {
    const std::string sourcePort = std::to_string(FreeLoopbackPort());
    ASSERT_TRUE(StartAll({}, {{"eSourcePort", " " + sourcePort + " "}}));
    ASSERT_TRUE(WaitForDriverLog("Successful login")) << DriverLog();
    EXPECT_NE(DriverLog().find("with source port " + sourcePort), std::string::npos) << DriverLog();
    EXPECT_TRUE(simulator->WaitForLog("connected from 127.0.0.1 port " + sourcePort, kTimeout))
        << simulator->Log();
}

// Neither is tried again (the link's own tests show that nothing asks for the retry timer).
TEST_F(CimdEndToEndTest, ABoundConnectThatCannotBindIsReported) {
    ASSERT_TRUE(StartAll({}, {{"eSourcePort", "5001"}, {"eSourceIP", "not an address"}}));
    ASSERT_TRUE(WaitForDriverLog("Cannot connect to CIMD server 127.0.0.1 on port")) << DriverLog();
    EXPECT_EQ(simulator->Log().find("connected from"), std::string::npos) << simulator->Log();
}

TEST_F(CimdEndToEndTest, ARefusedLoginIsReported) {
    ASSERT_TRUE(StartAll({"--login-error", "100"}));
    ASSERT_TRUE(WaitForDriverLog("Login failed. Incorrect username or password.")) << DriverLog();
    const std::string log = simulator->Log();
    EXPECT_NE(log.find("-> 01:"), std::string::npos) << log;
    EXPECT_EQ(log.find("-> 01:", log.find("-> 01:") + 1), std::string::npos) << log;
}

struct SubmitFailure {
    const char* name;
    const char* option;
    const char* logLine;
};

void PrintTo(const SubmitFailure& failure, std::ostream* out) {
    *out << failure.option;
}

class CimdSubmitFailureTest : public CimdEndToEndTest,
                              public ::testing::WithParamInterface<SubmitFailure> {};

TEST_P(CimdSubmitFailureTest, FailsTheMessageAndKeepsItForAnotherTry) {
    ASSERT_TRUE(StartAll({GetParam().option}));
    ASSERT_TRUE(WaitForDriverLog("Successful login")) << DriverLog();
    const std::string id = SendWithNbsms("+3620111", "Refused");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(WaitForDriverLog(GetParam().logLine)) << DriverLog();
    // The engine heard of the failure: the message waits for its next try, never "sent".
    EXPECT_TRUE(ProcessEventsUntil([&] { return KeptForRetry(id); }, kTimeoutMs));
    EXPECT_FALSE(Sent(id));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CimdSubmitFailureTest,
    ::testing::Values(
        SubmitFailure{"Error1", "--submit-error=1", "Undeliverable message"},
        SubmitFailure{"Error5", "--submit-error=5", "SMSCi error: No response from MC"},
        SubmitFailure{"Nack", "--submit-nack", "Nack message received"},
        SubmitFailure{"GeneralError", "--general-error", "General error response received"}),
    CaseName<SubmitFailure>);

// The retry timer's interval, three seconds (a fifth of it with the tests' time scale), is the
// driver's configuration's (shown in the link's own tests).
TEST_F(CimdEndToEndTest, ADroppedLinkIsRebuilt) {
    ASSERT_TRUE(StartAll({}));
    ASSERT_TRUE(simulator->WaitForCount("logins", 1, kTimeout));
    EXPECT_EQ(simulator->Control("drop").substr(0, 2), "ok");
    ASSERT_TRUE(simulator->WaitForCount("logins", 2, kTimeout)) << DriverLog();
    EXPECT_NE(DriverLog().find("Disconnected from server"), std::string::npos);
}

TEST_F(CimdEndToEndTest, ASilentLinkGetsAnAlivePacketAndIsClosedWithoutAPrompt) {
    ASSERT_TRUE(StartAll({"--silent-alive"}, {{"eKeepalive", "3"}}));
    ASSERT_TRUE(simulator->WaitForCount("logins", 1, kTimeout));
    ASSERT_TRUE(simulator->WaitForLog("-> 40:", kTimeout)) << simulator->Log();
    ASSERT_TRUE(WaitForDriverLog("Keepalive failed")) << DriverLog();
    EXPECT_TRUE(simulator->WaitForCount("logins", 2, kTimeout)) << DriverLog();
}

TEST_F(CimdEndToEndTest, BadInputFromThePeerIsSurvivedAndTheMessageInFlightIsAnswered) {
    ASSERT_TRUE(StartAll({"--no-submit-answer"}));
    ASSERT_TRUE(simulator->WaitForCount("logins", 1, kTimeout));
    // Line noise, a packet of 60 pieces, 100 KiB without CR, half a packet.
    std::string pieces = "20:9";
    for (int i = 0; i < 60; ++i)
        pieces += "\t021:1";
    pieces += "\t\r";
    const std::vector<std::string> inputs = {"\x01\xff garbage\r", pieces, std::string(100000, 'x'),
                                             "53:3\t060:12"};
    for (const std::string& input : inputs) {
        QByteArray hex = QByteArray::fromStdString(input).toHex();
        EXPECT_EQ(simulator->Control("raw " + hex.toStdString()).substr(0, 2), "ok");
    }
    const std::string id = SendWithNbsms("+3620111", "In flight");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(simulator->WaitForLog("033:In flight", kTimeout)) << simulator->Log();
    // The link drops while the submit waits for its answer: the message is failed, not lost.
    EXPECT_EQ(simulator->Control("drop").substr(0, 2), "ok");
    EXPECT_TRUE(ProcessEventsUntil([&] { return KeptForRetry(id); }, kTimeoutMs)) << DriverLog();
    // The driver is still there and links up again.
    EXPECT_TRUE(simulator->WaitForCount("logins", 2, kTimeout)) << DriverLog();
}

}  // namespace
}  // namespace nimbra::testing_support
