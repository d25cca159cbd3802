// Keeping the link alive, and how it ends: keepalive failure, submit timeout, a lost or broken
// link, a Stop.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

struct AnswerCase {
    const char* name;
    std::string answer;  // empty: none comes
    int delayMs;
    bool fails;
    std::size_t receivedPerCheck;
    friend void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
};

class KeepaliveAnswer : public LinkTest, public ::testing::WithParamInterface<AnswerCase> {};

// Two checks fit in the run unless the first fails; the second carries the next number.
TEST_P(KeepaliveAnswer, KeepsOrEndsTheLink) {
    const AnswerCase& c = GetParam();
    LogIn();
    const long long start = clock.ms;
    for (int check = 0; check < 2 && !c.answer.empty(); ++check)
        link.ReplyWhen(IsCommand(kEnquireLink), c.answer, c.delayMs);
    StopAt(start + 45000);
    client.ThreadLoop(link);

    const long long checkAt = FirstWriteAt(kEnquireLink);
    EXPECT_GE(checkAt, start + 20000);
    EXPECT_LE(checkAt, start + 22000);
    const std::vector<std::string> checks =
        c.fails ? std::vector{BuildEnquireLink(1)}
                : std::vector{BuildEnquireLink(1), BuildEnquireLink(2)};
    EXPECT_EQ(Written(kEnquireLink), checks);
    EXPECT_EQ(events.Count("Keepalive failed"), c.fails ? 1 : 0);
    EXPECT_EQ(client.reconnect, c.fails);
    EXPECT_EQ(link.closedByClient, c.fails ? 1 : 0);
    if (c.fails) {
        EXPECT_LE(clock.ms, checkAt + 7000);
    }
    EXPECT_EQ(events.received.size(), 2 * c.receivedPerCheck);
    EXPECT_EQ(Written(kDeliverSmResp).size(), 2 * c.receivedPerCheck);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeepaliveAnswer,
    ::testing::Values(AnswerCase{"Prompt", PeerPdu(kEnquireLinkResp, 1), 100, false, 0},
                      AnswerCase{"WithinFiveSeconds", PeerPdu(kEnquireLinkResp, 1), 4000, false, 0},
                      AnswerCase{"MessageInstead", Deliver(5, "+3630222", "3620111", "hi"), 500,
                                 false, 1},
                      AnswerCase{"None", "", 0, true, 0}),
    CaseName<AnswerCase>);

TEST_F(LinkTest, ReceivedPduPutsTheKeepaliveOff) {
    LogIn();
    link.Arrive(clock.ms + 15000, PeerPdu(kEnquireLink, 3));
    StopAt(clock.ms + 34000);
    client.ThreadLoop(link);
    EXPECT_TRUE(Written(kEnquireLink).empty());
}

TEST_F(LinkTest, SubmitWithoutAnswerTimesOutAndTheLinkIsRebuilt) {
    LogIn();
    Transmit("x");
    client.ThreadLoop(link);

    const long long submitAt = FirstWriteAt(kSubmitSm);
    ASSERT_GE(submitAt, 0);
    EXPECT_GE(clock.ms, submitAt + 20000);
    EXPECT_LE(clock.ms, submitAt + 22000);
    EXPECT_EQ(events.Count("Submit timeout.  "), 1);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_TRUE(Written(kEnquireLink).empty());
    EXPECT_TRUE(client.reconnect);
    EXPECT_FALSE(client.busy);
}

// Traffic from the centre (here its keepalives every 5 s) does not keep a submit without
// answer alive for ever.
TEST_F(LinkTest, SubmitTimesOutWhateverElseArrives) {
    LogIn();
    Transmit("x");
    for (int i = 1; i <= 8; ++i)
        link.Arrive(clock.ms + i * 5000, PeerPdu(kEnquireLink, static_cast<std::uint32_t>(i)));
    client.ThreadLoop(link);

    const long long submitAt = FirstWriteAt(kSubmitSm);
    ASSERT_GE(submitAt, 0);
    EXPECT_LE(clock.ms, submitAt + 22000);
    EXPECT_EQ(events.Count("Submit timeout.  "), 1);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
}

// A link that ends between the window thread marking busy and handing the record over does
// not fail the message it never had; the message waits for the next link.
TEST_F(LinkTest, MessageOnlyMarkedBusyIsNotFailedWhenTheLinkEnds) {
    client.busy = true;
    client.FailInFlight();
    EXPECT_TRUE(events.outcomes.empty());
    EXPECT_TRUE(client.busy);
    TGsmSms record(0.0);
    record.text = "x";
    client.Submit(record);
    client.FailInFlight();
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_FALSE(client.busy);
}

// However the link is lost or broken, the message in flight fails exactly once.
struct LossCase {
    const char* name;
    std::function<void(ScriptedTransport&, long long now)> lose;
    bool submitted;
    std::string logPrefix;
    friend void PrintTo(const LossCase& c, std::ostream* os) { *os << c.name; }
};

class LinkLost : public LinkTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(LinkLost, FailsTheMessageInFlightOnceAndAsksForReconnect) {
    const LossCase& c = GetParam();
    LogIn();
    Transmit("x");
    c.lose(link, clock.ms);
    client.ThreadLoop(link);

    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_EQ(Written(kSubmitSm).size(), c.submitted ? 1u : 0u);
    EXPECT_TRUE(client.reconnect);
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.pending);
    EXPECT_FALSE(link.IsUp());
    if (!c.logPrefix.empty()) {
        EXPECT_EQ(events.CountStartingWith(c.logPrefix), 1) << c.logPrefix;
    }
    EXPECT_LT(clock.ms, 10000);
}

const std::string kHalfResponse = SubmitResp("ID").substr(0, 10);

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkLost,
    ::testing::Values(
        LossCase{"ClosedBeforeTheSubmit",
                 [](ScriptedTransport& link, long long now) { link.CloseAt(now); }, false, ""},
        LossCase{"ClosedAfterTheSubmit",
                 [](ScriptedTransport& link, long long now) { link.CloseAt(now + 2000); }, true,
                 ""},
        LossCase{"WriteFails", [](ScriptedTransport& link, long long) { link.FailWrites(); }, false,
                 ""},
        LossCase{"LengthBelowHeader",
                 [](ScriptedTransport& link, long long now) {
                     link.Arrive(now, std::string("\0\0\0\x0F", 4) + std::string(11, '\0'));
                 },
                 false, "Invalid PDU length"},
        LossCase{"LengthAbove64K",
                 [](ScriptedTransport& link, long long now) {
                     link.Arrive(now, std::string("\0\x01\0\x01", 4) + std::string(12, '\0'));
                 },
                 false, "Invalid PDU length"},
        LossCase{"ResponseNeverCompletes",
                 [](ScriptedTransport& link, long long) {
                     link.ReplyWhen(IsCommand(kSubmitSm), kHalfResponse);
                 },
                 true, "Incomplete PDU"}),
    CaseName<LossCase>);

// What the centre sent just before it closed the link is still taken in, in order: the
// submit response decides its message; the message, which cannot be answered any more, is
// left for the centre to send again rather than taken in twice.
TEST_F(LinkTest, PdusThatCameWithTheCloseAreHandled) {
    LogIn();
    Transmit("x");
    link.ArriveAndClose(clock.ms + 2000, Deliver(3, "+3630222", "3620111", "hi") +
                                             SubmitResp("ID") + PeerPdu(kEnquireLink, 4));
    client.ThreadLoop(link);

    EXPECT_TRUE(events.received.empty());
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:ID"});
    EXPECT_TRUE(client.reconnect);
}

struct StopCase {
    const char* name;
    int responseDelayMs;  // negative: none comes
    std::string outcome;
    friend void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }
};

class StopWhileSubmitted : public LinkTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopWhileSubmitted, AwaitsTheResponseForFiveSeconds) {
    const StopCase& c = GetParam();
    LogIn();
    Transmit("x");
    if (c.responseDelayMs >= 0)
        link.ReplyWhen(IsCommand(kSubmitSm), SubmitResp("ID"), c.responseDelayMs);
    StopAt(clock.ms + 400);
    client.ThreadLoop(link);

    ASSERT_EQ(Written(kSubmitSm).size(), 1u);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{c.outcome});
    EXPECT_LE(clock.ms, FirstWriteAt(kSubmitSm) + 7000);
    EXPECT_FALSE(client.reconnect);
    EXPECT_FALSE(client.busy);
}

INSTANTIATE_TEST_SUITE_P(Cases, StopWhileSubmitted,
                         ::testing::Values(StopCase{"ResponseComes", 4000, "sent:ID"},
                                           StopCase{"NoResponse", -1, "failed"}),
                         CaseName<StopCase>);

struct UnbindCase {
    const char* name;
    std::string answer;  // empty: none comes
    long long atMostMs;  // from the Stop to the end of the loop
    friend void PrintTo(const UnbindCase& c, std::ostream* os) { *os << c.name; }
};

class StopUnbinds : public LinkTest, public ::testing::WithParamInterface<UnbindCase> {};

// A Stop ends the session with unbind and gives the centre a moment for its unbind_resp;
// what else comes meanwhile is left unanswered for the centre to send again.
TEST_P(StopUnbinds, AndWaitsBrieflyForTheAnswer) {
    const UnbindCase& c = GetParam();
    link.ReplyWhen(IsCommand(kBindTransceiver), PeerPdu(kBindTransceiverResp, 1, "00"));
    ASSERT_TRUE(client.Login(link));
    link.ReplyWhen(IsCommand(kUnbind), Deliver(9, "+3630222", "3620111", "late") + c.answer);
    const long long stopAt = clock.ms + 1000;
    StopAt(stopAt);
    client.ThreadLoop(link);

    EXPECT_EQ(Written(kUnbind), std::vector<std::string>{BuildUnbind(1)});
    EXPECT_TRUE(Written(kDeliverSmResp).empty());
    EXPECT_TRUE(events.received.empty());
    EXPECT_LE(clock.ms, stopAt + c.atMostMs);
    EXPECT_FALSE(client.reconnect);
}

INSTANTIATE_TEST_SUITE_P(Cases, StopUnbinds,
                         ::testing::Values(UnbindCase{"Answered", PeerPdu(kUnbindResp, 1), 1000},
                                           UnbindCase{"Nacked", PeerPdu(kGenericNack, 1, "", 0x04),
                                                      1000},
                                           UnbindCase{"Unanswered", "", kUnbindWaitMs + 700}),
                         CaseName<UnbindCase>);

TEST_F(LinkTest, ReadPduIsEmptyAfterOnePollWhenNothingBegan) {
    link.Arrive(0, std::string("\0\0\0", 3));
    EXPECT_EQ(client.ReadPdu(link, 5), "");
    EXPECT_EQ(clock.ms, 300);
    EXPECT_TRUE(link.IsUp());
}

TEST_F(LinkTest, ReadPduAwaitsTheRestOfAPduUpToItsLimit) {
    const std::string pdu = PeerPdu(kEnquireLink, 4);
    link.Arrive(0, pdu.substr(0, 5));
    link.Arrive(1000, pdu.substr(5, 3));
    link.Arrive(2500, pdu.substr(8) + pdu.substr(0, 6));
    EXPECT_EQ(client.ReadPdu(link, 5), pdu::HexOfBytes(pdu));
    EXPECT_GE(clock.ms, 2500);

    // The next one has begun and never completes.
    EXPECT_EQ(client.ReadPdu(link, 2), "");
    EXPECT_GE(clock.ms, 4500);
    EXPECT_LE(clock.ms, 6000);
    EXPECT_EQ(link.closedByClient, 1);
    EXPECT_EQ(events.CountStartingWith("Incomplete PDU"), 1);
}

}  // namespace
}  // namespace nimbra::smpp::testing
