// The smpp driver end to end: the real engine starts the real driver, which binds to the
// message-centre simulator over loopback TCP; messages go out with the command-line client or
// a client object of the engine, and come back as events and files.

#include <map>
#include <ostream>
#include <random>

#include "case_name.h"
#include "file_text.h"
#include "loopback_peer.h"
#include "smpp_end_to_end_fixture.h"

namespace nimbra::testing_support {
namespace {

// Bytes of a fixed pseudo-random sequence, as hex.
std::string RandomHex(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(random() & 0xFF);
    return Hex(bytes);
}

TEST_F(SmppEndToEndTest, AMessageGoesOutWithItsReceiptAndAnIncomingOneLandsInTheInbox) {
    ASSERT_TRUE(StartAll({}, {{"cbDelivery", "1"}, {"eSender", "+3670555"}}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    EXPECT_NE(simulator->Log().find("-> bind_transceiver"), std::string::npos);

    const std::string id = SendWithNbsms("+3620111", "Hello over SMPP");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();
    const std::string log = simulator->Log();
    const std::vector<std::string> submits = LoggedPdus(log, "-> submit_sm");
    ASSERT_EQ(submits.size(), 1u) << log;
    EXPECT_NE(submits[0].find(Hex("Hello over SMPP")), std::string::npos) << submits[0];
    // The connection's own number is the source_addr: international, without its "+".
    EXPECT_NE(submits[0].find("0101" + Hex("3670555") + "00"), std::string::npos) << submits[0];
    // The simulator's message id is the reference of the message in Sent Items.
    const std::vector<std::string> answers = LoggedPdus(log, "<- submit_sm_resp");
    ASSERT_EQ(answers.size(), 1u) << log;
    const std::string messageId = MessageIdOf(answers[0]);
    ASSERT_FALSE(messageId.empty());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !FileHolding(Folder("Sent Items"), id).empty(); },
                                   kTimeoutMs));
    const std::string stored = ReadFileText(FileHolding(Folder("Sent Items"), id));
    EXPECT_NE(stored.find(messageId), std::string::npos) << stored;
    // The Outbox's original goes once its copy is on disk.
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return FileHolding(Folder("Outbox"), id).empty(); }, kTimeoutMs));

    // The delivery receipt is matched to the message by that id.
    EXPECT_TRUE(ProcessEventsUntil([&] { return Delivered(id); }, kTimeoutMs))
        << ScreenLog() << simulator->Log();

    EXPECT_EQ(simulator->Control("deliver +3630999 +36201234567 Reply from afar").substr(0, 2),
              "ok");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.isEmpty(); }, kTimeoutMs)) << ScreenLog();
    EXPECT_TRUE(received[0].contains(QStringLiteral("{+3630999}"))) << received[0].toStdString();
    EXPECT_TRUE(received[0].contains(QStringLiteral("{Reply from afar}")));
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return !FileHolding(Folder("Inbox"), "Reply from afar").empty(); }, kTimeoutMs));
    // Both the receipt and the message were answered with deliver_sm_resp.
    EXPECT_TRUE(simulator->WaitForCount("acks", 2, kTimeout)) << simulator->Log();
}

TEST_F(SmppEndToEndTest, ATransmitterBindSubmitsWithTheEnginesSenderWhenTheSenderIsDynamic) {
    ASSERT_TRUE(
        StartAll({}, {{"rbTransmitter", "1"}, {"rbTransceiver", "0"}, {"eSender", "_DYNAMIC_"}}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    EXPECT_NE(simulator->Log().find("-> bind_transmitter"), std::string::npos) << simulator->Log();

    const std::string id = SendRecord("+3611222333", "From the engine's sender");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();
    const std::vector<std::string> submits = LoggedPdus(simulator->Log(), "-> submit_sm");
    ASSERT_EQ(submits.size(), 1u) << simulator->Log();
    EXPECT_NE(submits[0].find("0101" + Hex("3611222333") + "00"), std::string::npos) << submits[0];
    EXPECT_EQ(submits[0].find(Hex("_DYNAMIC_")), std::string::npos) << submits[0];
}

// A refused first bind waits for the next start of the server (the link's own tests show
// that nothing asks for the retry timer).
TEST_F(SmppEndToEndTest, ARefusedBindIsReported) {
    ASSERT_TRUE(StartAll({"--login-error", "0x0E"}));
    ASSERT_TRUE(WaitForScreenLog("Invalid username or password")) << ScreenLog();
    EXPECT_EQ(Occurrences(simulator->Log(), "-> bind_"), 1) << simulator->Log();
}

// The retry timer's interval, 15 seconds (a fifth of it with the tests' time scale), is the
// driver's configuration's (shown in the link's own tests).
TEST_F(SmppEndToEndTest, AFailedConnectIsRetriedUntilTheMessageCentreListens) {
    const int port = FreeLoopbackPort();
    ASSERT_TRUE(StartEngine(port));
    ASSERT_TRUE(
        WaitForScreenLog("Cannot connect to smpp server 127.0.0.1 on port " + std::to_string(port)))
        << ScreenLog();
    StartSimulator(port);
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    EXPECT_TRUE(WaitForScreenLog("## Trying to reconnect")) << ScreenLog();
    const std::string id = SendWithNbsms("+3620111", "Once it listens");
    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();
}

// Harmless PDUs keep the link: an enquire_link from the message centre is answered, a lone
// generic_nack is ignored, an unknown command is refused with generic_nack, a deliver_sm with
// a garbled body is answered.
TEST_F(SmppEndToEndTest, HarmlessPdusFromThePeerAreAnsweredOrIgnoredAndTheLinkStays) {
    ASSERT_TRUE(StartAll({}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    // Header only: enquire_link (seq 0x71), generic_nack (0x72), command 0x0000ABCD (0x73);
    // then a deliver_sm (0x74) whose 24 bytes of body are noise.
    for (const std::string& hex : {std::string("00000010000000150000000000000071"),
                                   std::string("00000010800000000000000000000072"),
                                   std::string("000000100000ABCD0000000000000073"),
                                   "00000028000000050000000000000074" + RandomHex(7, 24)}) {
        EXPECT_EQ(simulator->Control("raw " + hex).substr(0, 2), "ok");
    }
    EXPECT_TRUE(simulator->WaitForLog("-> enquire_link_resp seq=113", kTimeout))
        << simulator->Log();
    EXPECT_TRUE(simulator->WaitForLog("-> generic_nack seq=115 status=0x00000003", kTimeout))
        << simulator->Log();
    EXPECT_TRUE(simulator->WaitForLog("-> deliver_sm_resp seq=116", kTimeout)) << simulator->Log();

    const std::string id = SendWithNbsms("+3620111", "Still bound");
    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();
    EXPECT_EQ(simulator->Count("logins"), 1);
    EXPECT_EQ(simulator->Count("connections"), 1);
}

struct Refusal {
    const char* name;
    std::vector<std::string> simulatorOptions;
    std::map<std::string, std::string> driverFields;
    std::string text;
    const char* logLine;
    bool submitted;  // whether a submit_sm reaches the simulator
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class SmppRefusalTest : public SmppEndToEndTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SmppRefusalTest, FailsTheMessageAndKeepsItForAnotherTry) {
    ASSERT_TRUE(StartAll(GetParam().simulatorOptions, GetParam().driverFields));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    const std::string id = SendRecord("", GetParam().text);
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(WaitForScreenLog(GetParam().logLine)) << ScreenLog();
    EXPECT_TRUE(ProcessEventsUntil([&] { return KeptForRetry(id); }, kTimeoutMs));
    EXPECT_FALSE(Sent(id));
    EXPECT_TRUE(FileHolding(Folder("Sent Items"), id).empty());
    EXPECT_EQ(LoggedPdus(simulator->Log(), "-> submit_sm").size(), GetParam().submitted ? 1u : 0u)
        << simulator->Log();
}

INSTANTIATE_TEST_SUITE_P(
    Submits, SmppRefusalTest,
    ::testing::Values(Refusal{"ErrorStatus",
                              {"--submit-error", "0x45"},
                              {},
                              "Refused",
                              "Undeliverable message.  (0x00000045 ESME_RSUBMITFAIL)",
                              true},
                      // An alphanumeric sender has at most 11 characters.
                      Refusal{"SenderTooLong",
                              {},
                              {{"eSender", "AVeryLongShopName"}},
                              "Refused",
                              "Sender AVeryLongShopName is longer than 11 characters",
                              false}),
    CaseName<Refusal>);

// What ends a bound link while a message waits for its submit_sm_resp (the simulator never
// answers a submit): the control command that causes it and the driver's line about it. How
// long the driver waits for the rest of a PDU, for a submit's answer and before it rebuilds
// the link is shown on the fake clock and in the driver's configuration by its own tests.
struct LinkBreak {
    const char* name;
    std::string command;  // empty: nothing comes at all
    const char* logLine;
};

void PrintTo(const LinkBreak& linkBreak, std::ostream* out) {
    *out << linkBreak.name;
}

class SmppLinkBreakTest : public SmppEndToEndTest,
                          public ::testing::WithParamInterface<LinkBreak> {};

TEST_P(SmppLinkBreakTest, FailsTheMessageInFlightAndRebuildsTheLink) {
    ASSERT_TRUE(StartAll({"--no-submit-answer"}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    const std::vector<pid_t> driver = ProcessesOf(Driver());
    ASSERT_EQ(driver.size(), 1u);

    const std::string id = SendWithNbsms("+3620111", "In flight");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(simulator->WaitForLog("submit left unanswered", kTimeout)) << simulator->Log();
    if (!GetParam().command.empty()) {
        ASSERT_EQ(simulator->Control(GetParam().command).substr(0, 2), "ok");
    }
    ASSERT_TRUE(WaitForScreenLog(GetParam().logLine)) << ScreenLog();
    // The message is failed, never lost, and waits for another try.
    EXPECT_TRUE(ProcessEventsUntil([&] { return KeptForRetry(id); }, kTimeoutMs)) << ScreenLog();
    EXPECT_FALSE(Sent(id));

    // A message queued while the link is down waits for the new link, where the same driver
    // process submits it.
    ASSERT_FALSE(SendWithNbsms("+3620111", "After the break").empty());
    ASSERT_TRUE(WaitForBinds(2)) << ScreenLog();
    EXPECT_TRUE(WaitForScreenLog("## Trying to reconnect")) << ScreenLog();
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            const std::vector<std::string> submits = LoggedPdus(simulator->Log(), "-> submit_sm");
            return submits.size() == 2 &&
                   submits[1].find(Hex("After the break")) != std::string::npos;
        },
        kTimeoutMs))
        << simulator->Log();
    EXPECT_EQ(ProcessesOf(Driver()), driver);
}

INSTANTIATE_TEST_SUITE_P(
    Peer, SmppLinkBreakTest,
    ::testing::Values(
        LinkBreak{"LengthZero", "raw 00000000", "Invalid PDU length 0;"},
        LinkBreak{"LengthAllOnes", "raw FFFFFFFF00000004", "Invalid PDU length 4294967295"},
        // Its first four bytes, 99 BF 50 5B, are far too long a PDU.
        LinkBreak{"RandomBytes", "raw " + RandomHex(11, 64), "Invalid PDU length 2579451995"},
        // The rest of a PDU that has begun does not come.
        LinkBreak{"HalfAPdu", "raw 0000002D0000000500000000000000090001",
                  "Incomplete PDU (18 of 45 bytes)"},
        LinkBreak{"Dropped", "drop", "Connection to the smpp server lost"},
        // No answer to the submit at all.
        LinkBreak{"Silence", "", "Submit timeout.  "}),
    CaseName<LinkBreak>);

}  // namespace
}  // namespace nimbra::testing_support
