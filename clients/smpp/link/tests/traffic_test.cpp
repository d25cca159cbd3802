#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

struct DeliverCase {
    const char* name;
    std::string text;
    std::string type;
    std::string reference;
    friend void PrintTo(const DeliverCase& c, std::ostream* os) { *os << c.name; }
};

class Incoming : public LinkTest, public ::testing::WithParamInterface<DeliverCase> {};

TEST_P(Incoming, BecomesARecordAndIsAnsweredWithItsSequenceNumber) {
    const DeliverCase& c = GetParam();
    LogIn();
    link.Arrive(clock.ms + 500, Deliver(0x2A, "+3630222", "3620111", c.text));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    ASSERT_EQ(events.received.size(), 1u);
    const TGsmSms record = events.ReceivedRecord(0);
    EXPECT_EQ(record.type, c.type);
    EXPECT_EQ(record.reference, c.reference);
    EXPECT_EQ(record.operatorName, "Op-Test");
    EXPECT_EQ(record.sender, "+3630222");
    EXPECT_EQ(record.receiver, "3620111");
    EXPECT_EQ(record.text, c.text);
    EXPECT_EQ(record.created, std::to_string(kBaseSeconds));
    EXPECT_EQ(events.Count("Incoming Message [+3630222][3620111][" + c.text + "]"), 1);
    EXPECT_EQ(Written(kDeliverSmResp), std::vector<std::string>{BuildDeliverResp("0000002A")});
}

INSTANTIATE_TEST_SUITE_P(Cases, Incoming,
                         ::testing::Values(DeliverCase{"Message", "see you {at} 5", "GSMSMS", ""},
                                           DeliverCase{"Receipt",
                                                       "id:ABC123 sub:001 dlvrd:001 stat:DELIVRD",
                                                       "GSMSMS_DELIVERY_REPORT", "ABC123"}),
                         CaseName<DeliverCase>);

struct SubmitCase {
    const char* name;
    bool deliveryReport;
    std::uint32_t status;
    std::string outcome;
    std::string logLine;
    friend void PrintTo(const SubmitCase& c, std::ostream* os) { *os << c.name; }
};

class Outgoing : public LinkTest, public ::testing::WithParamInterface<SubmitCase> {};

TEST_P(Outgoing, LeavesOnAQuietPassAndItsResponseDecides) {
    const SubmitCase& c = GetParam();
    fields.Set("cbDelivery", c.deliveryReport ? "1" : "0");
    LogIn();
    Transmit("Hi there");
    link.ReplyWhen(IsCommand(kSubmitSm), SubmitResp("MSG-7", c.status));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    const SubmitBody body =
        BuildSubmitBody(kSender, kReceiver, "Hi there", c.deliveryReport, kBaseSeconds);
    EXPECT_EQ(Written(kSubmitSm), std::vector<std::string>{BuildPdu(kSubmitSm, 1, body.hex)});
    EXPECT_EQ(events.Count("Outgoing message [+3620111][+3650444][Hi there]"), 1);
    EXPECT_EQ(events.Count(c.logLine), 1) << c.logLine;
    EXPECT_EQ(events.outcomes, std::vector<std::string>{c.outcome});
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.pending);
    EXPECT_FALSE(client.reconnect);
}

INSTANTIATE_TEST_SUITE_P(Cases, Outgoing,
                         ::testing::Values(SubmitCase{"Accepted", false, 0, "sent:MSG-7",
                                                      "Message sent. MSG-7"},
                                           SubmitCase{"WithDeliveryReport", true, 0, "sent:MSG-7",
                                                      "Message sent. MSG-7"},
                                           SubmitCase{"Refused", false, 0x45, "failed",
                                                      "Undeliverable message.  MSG-7"}),
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

    ASSERT_EQ(link.written.size(), 4u);
    EXPECT_EQ(CommandOf(link.written[1].bytes), kDeliverSmResp);
    EXPECT_EQ(CommandOf(link.written[2].bytes), kDeliverSmResp);
    EXPECT_EQ(CommandOf(link.written[3].bytes), kSubmitSm);
    EXPECT_EQ(events.received.size(), 2u);
}

// A stray response that comes before the submit left is not taken as its answer.
TEST_F(LinkTest, SubmitResponseNobodyWaitsForIsIgnored) {
    LogIn();
    link.Arrive(clock.ms, SubmitResp("STRAY"));
    Transmit("x");
    link.ReplyWhen(IsCommand(kSubmitSm), SubmitResp("REAL"), 1000);
    link.Arrive(clock.ms + 3000, SubmitResp("LATE", 8));
    StopAt(clock.ms + 5000);
    client.ThreadLoop(link);

    EXPECT_EQ(events.Count("Unexpected submit response"), 2);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:REAL"});
    EXPECT_EQ(Written(kSubmitSm).size(), 1u);
}

TEST_F(LinkTest, TextTooLongFailsWithoutASubmit) {
    LogIn();
    const std::string text(256, 'a');
    Transmit(text);
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    const std::string why = BuildSubmitBody(kSender, kReceiver, text, false, kBaseSeconds).error;
    ASSERT_FALSE(why.empty());
    EXPECT_EQ(events.Count(why), 1);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_TRUE(Written(kSubmitSm).empty());
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.reconnect);
    EXPECT_TRUE(link.IsUp());
}

TEST_F(LinkTest, EnquireLinkOfTheCentreIsAnsweredWithItsSequenceNumber) {
    LogIn();
    link.Arrive(clock.ms + 500, PeerPdu(kEnquireLink, 7));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);
    EXPECT_EQ(Written(kEnquireLinkResp),
              std::vector<std::string>{BuildEnquireLinkResp("00000007")});
    EXPECT_TRUE(events.Logged("-> 00000010000000150000000000000007", "2"));
    EXPECT_TRUE(events.Logged("<- 00000010800000150000000000000007", "2"));
}

}  // namespace
}  // namespace nimbra::smpp::testing
