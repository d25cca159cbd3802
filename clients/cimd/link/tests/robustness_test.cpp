#include <gtest/gtest.h>

#include <ostream>

#include <functional>

#include "link_fixture.h"

namespace nimbra::cimd::testing {
namespace {

const std::string kDeliver = "20:5\t021:+3620111\t023:+3630222\t033:ok\t\r\n";

// Whatever arrives first, the link goes on and takes in the packet that follows.
struct NoiseCase {
    const char* name;
    std::string noise;
    std::string logLine;  // empty: ignored silently
    friend void PrintTo(const NoiseCase& c, std::ostream* os) { *os << c.name; }
};

class BadInput : public LinkTest, public ::testing::WithParamInterface<NoiseCase> {};

TEST_P(BadInput, IsDroppedAndTheLinkGoesOn) {
    const NoiseCase& c = GetParam();
    LogIn();
    const long long start = clock.ms;
    link.Arrive(start + 500, c.noise);
    link.Arrive(start + 3000, kDeliver);
    RunUntil(start + 8000);

    ASSERT_EQ(events.received.size(), 1u);
    EXPECT_NE(events.received[0].find("{+3630222}{+3620111}{ok}"), std::string::npos);
    EXPECT_EQ(link.written.back().bytes, "70:5\t\r\n");
    if (!c.logLine.empty()) {
        EXPECT_TRUE(events.Logged(c.logLine)) << c.logLine;
    }
}

// A message the engine did not take is left unanswered, so that the centre delivers it
// again instead of it being lost with a driver or engine that dies before storing it.
TEST_F(LinkTest, MessageTheEngineDidNotTakeIsLeftUnanswered) {
    LogIn();
    const long long start = clock.ms;
    events.takes = false;
    link.Arrive(start + 500, kDeliver);
    RunUntil(start + 2000);
    EXPECT_EQ(events.received.size(), 1u);
    for (const auto& written : link.written)
        EXPECT_NE(written.bytes, "70:5\t\r\n");
    EXPECT_TRUE(events.Logged("Incoming message left unanswered: the engine did not take it"));
}

std::string TooManyPieces() {
    std::string packet = "20:1";
    for (int i = 0; i < 60; ++i)
        packet += "\t033:x";
    return packet + "\t\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInput,
    ::testing::Values(NoiseCase{"LineNoise", "\x01\xff noise ~~ \x7f\r\n>>\r\n", ""},
                      NoiseCase{"TooManyPieces", TooManyPieces(),
                                "Packet with more than 50 parameters ignored"},
                      NoiseCase{"MegabyteWithoutPacketEnd", std::string(1 << 20, 'x'),
                                "Received data without packet end discarded (1048576 bytes)"}),
    CaseName<NoiseCase>);

TEST_F(LinkTest, ReceiveBufferIsCappedWhenDataTrickles) {
    LogIn();
    const long long start = clock.ms;
    for (int i = 0; i < 100; ++i)
        link.Arrive(start + 100 + i * 30, std::string(1000, 'y'));
    link.Arrive(start + 5000, kDeliver);
    RunUntil(start + 9000);
    EXPECT_EQ(events.CountStartingWith("Received data without packet end discarded"), 1);
    EXPECT_EQ(events.received.size(), 1u);
}

// A submitted message is answered exactly once, by a failure, however its link is lost.
struct Surroundings {
    ScriptedTransport& link;
    FakeClock& clock;
    MapFields& fields;
    TCIMDclient& client;
};

struct LossCase {
    const char* name;
    std::function<void(Surroundings)> lose;
    friend void PrintTo(const LossCase& c, std::ostream* os) { *os << c.name; }
};

class LinkLost : public LinkTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(LinkLost, FailsTheSubmittedMessageOnce) {
    LogIn();
    Transmit("+3650444", "x");
    GetParam().lose({link, clock, fields, client});
    client.ThreadLoop(link);

    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_EQ(events.Count("Link lost while waiting for the submit response"), 1);
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkLost,
    ::testing::Values(
        LossCase{"PeerCloses", [](Surroundings s) { s.link.CloseAt(s.clock.ms + 6000); }},
        LossCase{"HalfAResponseThenClose",
                 [](Surroundings s) {
                     s.link.ReplyTo("03:", "53:3\t06");
                     s.link.CloseAt(s.clock.ms + 20000);
                 }},
        LossCase{"KeepaliveFails", [](Surroundings s) { s.fields.Set("eKeepalive", "3"); }},
        LossCase{"Stopped",
                 [](Surroundings s) {
                     s.clock.At(s.clock.ms + 6000, [&client = s.client] { client.stop = true; });
                 }},
        LossCase{"WriteFails", [](Surroundings s) { s.link.FailWrites(); }}),
    CaseName<LossCase>);

TEST_F(LinkTest, StopEndsTheLoopWithinOnePoll) {
    LogIn();
    const long long stopAt = clock.ms + 5000;
    clock.At(stopAt, [this] { client.stop = true; });
    client.ThreadLoop(link);
    EXPECT_LE(clock.ms, stopAt + 30);
    EXPECT_TRUE(link.IsUp());
}

TEST_F(LinkTest, ReadPacketReturnsAtOnceWhenStopIsSet) {
    link.Arrive(0, "53:3\t\r\n");
    client.stop = true;
    EXPECT_EQ(client.ReadPacket(link, "\r", 5), "");
    EXPECT_EQ(clock.ms, 0);
    client.stop = false;
    EXPECT_EQ(client.ReadPacket(link, "\r", 5), "53:3\t\r");
}

TEST_F(LinkTest, ReadPacketKeepsTheRestAndGivesUpAfterItsTime) {
    link.Arrive(0, "40:1\t\r\n>rest");
    EXPECT_EQ(client.ReadPacket(link, ">", 5), "40:1\t\r\n>");
    const long long before = clock.ms;
    EXPECT_EQ(client.ReadPacket(link, ">", 2), "");
    EXPECT_GE(clock.ms - before, 2000);
    EXPECT_LE(clock.ms - before, 3030);
    link.Arrive(clock.ms, "\r");
    EXPECT_EQ(client.ReadPacket(link, "\r", 1), "rest\r");
}

// A message the link never got to submit waits for the next one.
TEST_F(LinkTest, MessageNotSubmittedYetWaitsForTheNextLink) {
    LogIn();
    const long long start = clock.ms;
    Transmit("+3650444", "x");
    link.Arrive(start + 500, "90:1\t\r\n");
    RunUntil(start + 1000);
    EXPECT_TRUE(events.outcomes.empty());
    EXPECT_TRUE(client.busy);
    EXPECT_TRUE(client.pending);
    EXPECT_EQ(link.FirstWriteAt("03:"), -1);

    ScriptedTransport next(clock);
    next.ReplyTo("03:", "53:3\t060:T\t\r\n");
    next.CloseAt(clock.ms + 8000);
    client.ThreadLoop(next);
    EXPECT_EQ(next.AllWritten().substr(0, 5), "03:3\t");
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:T"});
}

// The read that finds the link closed may bring the last packets with it: a submit response
// among them still decides its message, which is not failed and sent again.
TEST_F(LinkTest, PacketsThatCameWithTheCloseAreHandled) {
    LogIn();
    Transmit("+3650444", "x");
    link.ArriveAndClose(clock.ms + 5000, "20:7\t023:+3630\t033:hi\t\r\n53:3\t060:T\t\r\n");
    client.ThreadLoop(link);
    EXPECT_EQ(events.received.size(), 1u);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:T"});
}

}  // namespace
}  // namespace nimbra::cimd::testing
