// Traffic on a bound link: incoming messages and receipts, submits and their answers, and
// the requests of the centre.
#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

using namespace std::string_literals;

std::string DataSm(std::uint32_t sequence, std::string_view octets, int dataCoding) {
    std::string body = "00" + Address("+3630222") + Address("3620111") + "00" + "00";
    pdu::AppendHexOctet(body, static_cast<unsigned>(dataCoding));
    body += "0424";
    pdu::AppendHexOctet(body, 0);
    pdu::AppendHexOctet(body, static_cast<unsigned>(octets.size()));
    body += pdu::HexOfBytes(octets);
    return PeerPdu(kDataSm, sequence, body);
}

struct DeliverCase {
    const char* name;
    std::string pdu;  // arrives with sequence number 0x2A
    std::string type;
    std::string text;
    std::string reference;
    std::string status;
    std::string answer;
    friend void PrintTo(const DeliverCase& c, std::ostream* os) { *os << c.name; }
};

class Incoming : public LinkTest, public ::testing::WithParamInterface<DeliverCase> {};

TEST_P(Incoming, BecomesARecordAndIsAnsweredWithItsSequenceNumber) {
    const DeliverCase& c = GetParam();
    LogIn();
    link.Arrive(clock.ms + 500, c.pdu);
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    ASSERT_EQ(events.received.size(), 1u);
    const TGsmSms record = events.ReceivedRecord(0);
    EXPECT_EQ(record.type, c.type);
    EXPECT_EQ(record.text, c.text);
    EXPECT_EQ(record.reference, c.reference);
    EXPECT_EQ(record.status, c.status);
    EXPECT_EQ(record.operatorName, "Op-Test");
    EXPECT_EQ(record.sender, "+3630222");
    EXPECT_EQ(record.receiver, "3620111");
    EXPECT_EQ(record.created, std::to_string(kBaseSeconds));
    EXPECT_EQ(events.Count("Incoming Message [+3630222][3620111][" + c.text + "]"), 1);
    EXPECT_EQ(Written(ReadLength(pdu::BytesOfHex(c.answer.substr(8, 8)))),
              std::vector<std::string>{c.answer});
}

// A message the engine did not take is left unanswered, so that the centre delivers it again
// instead of it being lost with a driver or engine that dies before storing it.
TEST_F(LinkTest, MessageTheEngineDidNotTakeIsLeftUnanswered) {
    events.takes = false;
    LogIn();
    link.Arrive(clock.ms + 500, Deliver(0x2A, "+3630222", "3620111", "hi"));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    EXPECT_EQ(events.received.size(), 1u);
    EXPECT_TRUE(Written(kDeliverSmResp).empty());
    EXPECT_EQ(events.Count("Incoming message left unanswered: the engine did not take it"), 1);
    EXPECT_EQ(events.CountStartingWith("Incoming Message ["), 0);
}

const std::string kDelivered = "id:ABC123 sub:001 dlvrd:001 stat:DELIVRD err:000";
const std::string kUndeliverable = "id:0A1B sub:001 dlvrd:000 stat:UNDELIV err:001";

INSTANTIATE_TEST_SUITE_P(
    Cases, Incoming,
    ::testing::Values(
        DeliverCase{"GsmText", Deliver(0x2A, "+3630222", "3620111", "\x00 \x01 \x05 \x7B"s),
                    "GSMSMS", "@ \xA3 \xE9 \xE4", "", "", BuildDeliverResp("0000002A")},
        DeliverCase{"Ucs2Text", Deliver(0x2A, "+3630222", "3620111", "\x04\x1F\x04\x40"s, 8),
                    "GSMSMS", "_UCS2_041F0440", "", "", BuildDeliverResp("0000002A")},
        DeliverCase{"DataSm", DataSm(0x2A, "caf\xE9", 3), "GSMSMS", "caf\xE9", "", "",
                    BuildDataSmResp("0000002A")},
        DeliverCase{"Receipt", Deliver(0x2A, "+3630222", "3620111", kDelivered, 0, 0x04),
                    "GSMSMS_DELIVERY_REPORT", kDelivered, "ABC123", "0",
                    BuildDeliverResp("0000002A")},
        // receipted_message_id and message_state (5: undeliverable) come before the text.
        DeliverCase{"UndeliverableReceipt",
                    Deliver(0x2A, "+3630222", "3620111", kUndeliverable, 0, 0x04,
                            "001E0005" + CString("0A1B") + "04270001" + "05"),
                    "GSMSMS_DELIVERY_REPORT", kUndeliverable, "0A1B", "UNDELIV",
                    BuildDeliverResp("0000002A")},
        DeliverCase{"ReceiptByItsText", Deliver(0x2A, "+3630222", "3620111", kDelivered),
                    "GSMSMS_DELIVERY_REPORT", kDelivered, "ABC123", "0",
                    BuildDeliverResp("0000002A")}),
    CaseName<DeliverCase>);

// ACCEPTD, ENROUTE and intermediate notifications are answered but reach nobody: they
// neither confirm nor fail the message.
TEST_F(LinkTest, ReceiptsThatAreNotFinalStayInTheDriver) {
    LogIn();
    link.Arrive(clock.ms + 500, Deliver(1, "+3630222", "3620111", "id:A stat:ENROUTE", 0, 0x04));
    link.Arrive(clock.ms + 600, Deliver(2, "+3630222", "3620111", "id:A stat:ACCEPTD", 0, 0x04));
    link.Arrive(clock.ms + 700, Deliver(3, "+3630222", "3620111", "id:A stat:DELIVRD", 0, 0x20));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    EXPECT_TRUE(events.received.empty());
    EXPECT_EQ(Written(kDeliverSmResp).size(), 3u);
    EXPECT_EQ(events.Count("Receipt for A: ENROUTE (not final)"), 1);
    EXPECT_EQ(events.Count("Receipt for A: DELIVRD (not final)"), 1);
}

struct SubmitCase {
    const char* name;
    bool deliveryReport;
    std::string answer;
    std::vector<std::string> outcomes;
    std::string logLine;
    std::vector<std::string> infos;
    friend void PrintTo(const SubmitCase& c, std::ostream* os) { *os << c.name; }
};

class Outgoing : public LinkTest, public ::testing::WithParamInterface<SubmitCase> {};

TEST_P(Outgoing, LeavesOnAQuietPassAndItsAnswerDecides) {
    const SubmitCase& c = GetParam();
    fields.Set("cbDelivery", c.deliveryReport ? "1" : "0");
    LogIn();
    Transmit("Hi there");
    link.ReplyWhen(IsCommand(kSubmitSm), c.answer);
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    SubmitOptions options;
    options.deliveryReport = c.deliveryReport;
    const Submits submits = BuildSubmits(kSender, kReceiver, "Hi there", options, 0);
    ASSERT_EQ(submits.bodies.size(), 1u);
    EXPECT_EQ(Written(kSubmitSm),
              std::vector<std::string>{BuildPdu(kSubmitSm, 1, submits.bodies[0])});
    EXPECT_EQ(events.Count("Outgoing message [+3620111][+3650444][Hi there]"), 1);
    EXPECT_EQ(events.Count(c.logLine), 1) << c.logLine;
    EXPECT_EQ(events.outcomes, c.outcomes);
    // A pause that the loop's end cuts short tells the engine it may send again.
    EXPECT_EQ(events.infos, c.infos);
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.pending);
    EXPECT_FALSE(client.reconnect);
}

const std::vector<std::string> kPaused = {"cansend=0", "cansend=1"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Outgoing,
    ::testing::Values(
        SubmitCase{
            "Accepted", false, SubmitResp("MSG-7"), {"sent:MSG-7"}, "Message sent. MSG-7", {}},
        SubmitCase{"WithDeliveryReport",
                   true,
                   SubmitResp("MSG-7"),
                   {"sent:MSG-7"},
                   "Message sent. MSG-7",
                   {}},
        SubmitCase{"Refused",
                   false,
                   SubmitResp("MSG-7", 0x45),
                   {"failed"},
                   "Undeliverable message.  MSG-7 (0x00000045 ESME_RSUBMITFAIL)",
                   {}},
        SubmitCase{"NackedAsUnknown",
                   false,
                   PeerPdu(kGenericNack, 1, "", 0x03),
                   {"failed"},
                   "Undeliverable message.  (0x00000003 ESME_RINVCMDID)",
                   {}},
        SubmitCase{"Throttled",
                   false,
                   SubmitResp("", 0x58),
                   {"handed back"},
                   "The smpp server is busy (0x00000058 ESME_RTHROTTLED); submits pause for 1 s",
                   kPaused},
        SubmitCase{"QueueFull",
                   false,
                   SubmitResp("", 0x14),
                   {"handed back"},
                   "The smpp server is busy (0x00000014 ESME_RMSGQFUL); submits pause for 1 s",
                   kPaused},
        SubmitCase{"SystemError",
                   false,
                   SubmitResp("", 0x08),
                   {"handed back"},
                   "The smpp server is busy (0x00000008 ESME_RSYSERR); submits pause for 1 s",
                   kPaused},
        SubmitCase{"ThrottledByNack",
                   false,
                   PeerPdu(kGenericNack, 1, "", 0x58),
                   {"handed back"},
                   "The smpp server is busy (0x00000058 ESME_RTHROTTLED); submits pause for 1 s",
                   kPaused}),
    CaseName<SubmitCase>);

// A submit waits while PDUs keep arriving; the bind response may bring the first of them.
TEST_F(LinkTest, SubmitWaitsForAPassWithoutTraffic) {
    link.ReplyWhen(IsCommand(kBindTransceiver), PeerPdu(kBindTransceiverResp, 1, "00") +
                                                    Deliver(1, "1", "2", "a") +
                                                    Deliver(2, "1", "2", "b"));
    ASSERT_TRUE(client.Login(link));
    Transmit("x");
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    ASSERT_GE(link.written.size(), 4u);
    EXPECT_EQ(CommandOf(link.written[1].bytes), kDeliverSmResp);
    EXPECT_EQ(CommandOf(link.written[2].bytes), kDeliverSmResp);
    EXPECT_EQ(CommandOf(link.written[3].bytes), kSubmitSm);
    EXPECT_EQ(events.received.size(), 2u);
}

// A response is the answer to the submit with its sequence number; a stray one, or one for
// another number, is not taken for it.
TEST_F(LinkTest, SubmitResponseNobodyWaitsForIsIgnored) {
    LogIn();
    link.Arrive(clock.ms, SubmitResp("STRAY"));
    Transmit("x");
    link.ReplyWhen(IsCommand(kSubmitSm), SubmitResp("OTHER", 0, 9) + SubmitResp("REAL"), 1000);
    link.Arrive(clock.ms + 3000, SubmitResp("LATE", 8));
    StopAt(clock.ms + 5000);
    client.ThreadLoop(link);

    EXPECT_EQ(events.Count("Unexpected submit response"), 3);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:REAL"});
    EXPECT_EQ(Written(kSubmitSm).size(), 1u);
}

TEST_F(LinkTest, MessageTheCodecRefusesFailsWithoutASubmit) {
    LogIn();
    TGsmSms record(0.0);
    record.sender = "AVeryLongShopName";
    record.receiver = kReceiver;
    record.text = "x";
    client.busy = true;
    client.Submit(record);
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    EXPECT_EQ(events.Count("Sender AVeryLongShopName is longer than 11 characters"), 1);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_TRUE(Written(kSubmitSm).empty());
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.reconnect);
}

// The centre's requests: enquire_link is answered; a request the driver does not take gets
// generic_nack with ESME_RINVCMDID; alert_notification and responses to nothing are dropped.
TEST_F(LinkTest, RequestsOfTheCentreAreAnsweredByTheirKind) {
    LogIn();
    link.Arrive(clock.ms + 500, PeerPdu(kEnquireLink, 7));
    link.Arrive(clock.ms + 600, PeerPdu(0x0000ABCD, 8));
    link.Arrive(clock.ms + 700, PeerPdu(kAlertNotification, 9, "0101" + CString("1")));
    link.Arrive(clock.ms + 800, PeerPdu(kUnbindResp, 10));
    link.Arrive(clock.ms + 900, PeerPdu(0x80000003, 11));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    EXPECT_EQ(Written(kEnquireLinkResp),
              std::vector<std::string>{BuildEnquireLinkResp("00000007")});
    EXPECT_EQ(Written(kGenericNack), std::vector<std::string>{"00000010800000000000000300000008"});
    EXPECT_TRUE(events.Logged("-> 00000010000000150000000000000007", "2"));
    EXPECT_TRUE(events.Logged("<- 00000010800000150000000000000007", "2"));
    EXPECT_EQ(events.Count("Unknown request 0000ABCD answered with generic_nack"), 1);
    EXPECT_EQ(events.Count("alert_notification ignored"), 1);
    EXPECT_TRUE(link.IsUp() || client.stop);
    EXPECT_FALSE(client.reconnect);
}

// The centre's unbind is answered, and the link ends to be rebuilt.
TEST_F(LinkTest, UnbindFromTheCentreIsAnsweredAndTheLinkRebuilt) {
    LogIn();
    link.Arrive(clock.ms + 500, PeerPdu(kUnbind, 0x33));
    client.ThreadLoop(link);

    EXPECT_EQ(Written(kUnbindResp), std::vector<std::string>{BuildUnbindResp("00000033")});
    EXPECT_TRUE(Written(kUnbind).empty());
    EXPECT_EQ(events.Count("Unbound by the smpp server"), 1);
    EXPECT_EQ(events.CountStartingWith("Connection to the smpp server lost"), 0);
    EXPECT_EQ(link.closedByClient, 1);
    EXPECT_TRUE(client.reconnect);
    EXPECT_LT(clock.ms, 2000);
}

}  // namespace
}  // namespace nimbra::smpp::testing
