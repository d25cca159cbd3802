#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"
#include "unGSMSMS.h"

namespace nimbra::cimd::testing {
namespace {

TEST_F(LinkTest, DeliverBecomesARecordAndIsAnsweredWithItsNumber) {
    LogIn();
    link.Arrive(clock.ms + 500, "\n>20:007\t021:+3620111\t023:+3630222\t033:_a`rv_XX=\t\r\n");
    RunUntil(clock.ms + 3000);

    ASSERT_EQ(events.received.size(), 1u);
    const TGsmSms record = events.ReceivedRecord(0);
    EXPECT_EQ(record.type, "GSMSMS");
    EXPECT_EQ(record.operatorName, "T-mobile");
    EXPECT_EQ(record.sender, "+3630222");
    EXPECT_EQ(record.receiver, "+3620111");
    EXPECT_EQ(record.text, "\xE1rv~");
    EXPECT_EQ(record.created, std::to_string(kBaseSeconds));
    EXPECT_TRUE(events.Logged("Incoming Message [+3630222][\xE1rv~]"));
    EXPECT_EQ(link.written.back().bytes, "70:007\t\r\n");
}

TEST_F(LinkTest, StatusReportBecomesADeliveryReportRecordAndIsAnswered) {
    LogIn();
    link.Arrive(clock.ms + 500, "23:9\t021:+3640333\t060:040317090541\t061:4\t\r\n");
    RunUntil(clock.ms + 3000);

    ASSERT_EQ(events.received.size(), 1u);
    const TGsmSms record = events.ReceivedRecord(0);
    EXPECT_EQ(record.type, "GSMSMS_DELIVERY_REPORT");
    EXPECT_EQ(record.operatorName, "T-mobile");
    EXPECT_EQ(record.sender, "+3620111");
    EXPECT_EQ(record.receiver, "+3640333");
    EXPECT_EQ(record.reference, "040317090541");
    EXPECT_EQ(record.text, "Message delivered to: +3640333");
    EXPECT_EQ(record.status, "0");
    EXPECT_TRUE(events.Logged("Status Report: [+3640333][040317090541][4]"));
    EXPECT_EQ(link.written.back().bytes, "73:9\t\r\n");
}

// Other status codes are outcomes that confirm nothing, in the line variant too.
TEST_F(LinkTest, StatusReportOfAFailureCarriesItsStatusCode) {
    LogIn();
    link.Arrive(clock.ms + 500, "23:9\t021:+3640333\t060:040317090541\t061:3\t\r\n");
    RunUntil(clock.ms + 3000);
    ASSERT_EQ(events.received.size(), 1u);
    const TGsmSms record = events.ReceivedRecord(0);
    EXPECT_EQ(record.status, "3");
    EXPECT_EQ(record.text, "Message not delivered to: +3640333 (status 3)");
}

TEST_F(LinkTest, SubmitLeavesOnAQuietPassAndItsResponseReportsTheTimeStamp) {
    LogIn();
    Transmit("+3650444", "Hi_there");
    link.ReplyTo("03:", "\n>53:3\t060:040317090600\t\r\n");
    RunUntil(clock.ms + 8000);

    EXPECT_EQ(link.written.at(1).bytes, "03:3\t021:+3650444\t033:Hi_--there\t056:8\t\r\n");
    EXPECT_TRUE(events.Logged("Outgoing message [+3650444][Hi_there]"));
    EXPECT_TRUE(events.Logged("Message sent"));
    EXPECT_FALSE(events.Logged("Unexpected submit response"));
    EXPECT_FALSE(client.pending);
    EXPECT_FALSE(client.busy);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:040317090600"});
}

TEST_F(LinkTest, SubmitCarriesTheOriginatorWhenAsked) {
    fields.Set("cbOriginator", "1");
    LogIn();
    Transmit("+3650444", "x");
    RunUntil(clock.ms + 4000);
    EXPECT_EQ(link.written.at(1).bytes, "03:3\t021:+3650444\t023:+3620111\t033:x\t056:8\t\r\n");
}

struct ResponseCase {
    const char* name;
    std::string response;
    std::string outcome;
    std::vector<std::string> logLines;
    friend void PrintTo(const ResponseCase& c, std::ostream* os) { *os << c.name; }
};

class SubmitAnswer : public LinkTest, public ::testing::WithParamInterface<ResponseCase> {};

TEST_P(SubmitAnswer, ReportsTheMessageOnceAndFreesTheLink) {
    const ResponseCase& c = GetParam();
    LogIn();
    Transmit("+3650444", "x");
    link.ReplyTo("03:", c.response);
    RunUntil(clock.ms + 8000);

    EXPECT_EQ(events.outcomes, std::vector<std::string>{c.outcome});
    for (const std::string& line : c.logLines)
        EXPECT_TRUE(events.Logged(line)) << line;
    EXPECT_FALSE(client.busy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubmitAnswer,
    ::testing::Values(
        ResponseCase{"NoResponseFromCentre",
                     "53:3\t900:5\t\r\n",
                     "failed",
                     {"SMSCi error: No response from MC"}},
        ResponseCase{"Undeliverable", "53:3\t900:11\t\r\n", "failed", {"Undeliverable message"}},
        ResponseCase{"OtherNumberStillCounts",
                     "53:7\t060:040317090600\t\r\n",
                     "sent:040317090600",
                     {"Unexpected submit response", "Message sent"}},
        ResponseCase{"GeneralError", "98:3\t\r\n", "failed", {"General error response received"}},
        ResponseCase{"Nack", "99:3\t\r\n", "failed", {"Nack message received"}}),
    CaseName<ResponseCase>);

// A message keeps waiting while packets keep coming; answers that arrive before it was
// submitted are not about it and must not report it.
class StrayAnswer : public LinkTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(StrayAnswer, DoesNotAnswerAMessageNotSubmittedYet) {
    LogIn();
    const long long start = clock.ms;
    Transmit("+3650444", "x");
    for (int second = 0; second < 10; ++second)
        link.Arrive(start + 500 + second * 1000, "90:1\t\r\n");
    link.Arrive(start + 5200, GetParam());
    link.ReplyTo("03:", "53:3\t060:T\t\r\n");
    RunUntil(start + 20000);

    const long long submittedAt = link.FirstWriteAt("03:");
    EXPECT_GE(submittedAt, start + 9500);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:T"});
    EXPECT_FALSE(client.busy);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrayAnswer,
                         ::testing::Values("53:1\t060:S\t\r\n", "98:1\t\r\n", "99:1\t\r\n"));

// With nothing in flight the frame ignores the report it gets.
TEST_F(LinkTest, SubmitResponseWithNothingInFlightIsLoggedAndIgnored) {
    LogIn();
    link.Arrive(clock.ms + 500, "53:5\t060:T\t\r\n");
    RunUntil(clock.ms + 3000);
    EXPECT_TRUE(events.Logged("Unexpected submit response"));
    EXPECT_TRUE(events.outcomes.empty());
    EXPECT_FALSE(client.busy);
}

TEST_F(LinkTest, ALogoutWaitsForTheResponseOfASubmitOnItsWay) {
    LogIn();
    Transmit("+3650444", "Hi");
    link.ReplyTo("03:", "53:3\t060:040317090600\t\r\n", 2500);
    // The engine's Disconnect comes after the submit went out, before its response.
    clock.At(clock.ms + 3000, [this] {
        client.logoutRequested = true;
        client.stop = true;
    });
    RunUntil(clock.ms + 20000);
    ASSERT_LT(link.FirstWriteAt("03:"), 3000 + link.FirstWriteAt("01:"));
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:040317090600"});
    EXPECT_FALSE(events.Logged("Link lost while waiting for the submit response"));
}

}  // namespace
}  // namespace nimbra::cimd::testing
