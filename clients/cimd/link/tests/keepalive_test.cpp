#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"

namespace nimbra::cimd::testing {
namespace {

struct PeriodCase {
    std::string field;
    std::string inUse;
    friend void PrintTo(const PeriodCase& c, std::ostream* os) { *os << '"' << c.field << '"'; }
};

class KeepalivePeriod : public LinkTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(KeepalivePeriod, OutOfRangeOrNoNumberFallsBackTo300AndIsShown) {
    fields.Set("eKeepalive", GetParam().field);
    link.CloseAt(0);
    client.ThreadLoop(link);
    EXPECT_EQ(fields.Get("eKeepalive"), GetParam().inUse);
}

INSTANTIATE_TEST_SUITE_P(Cases, KeepalivePeriod,
                         ::testing::Values(PeriodCase{"2", "300"}, PeriodCase{"10001", "300"},
                                           PeriodCase{"abc", "300"}, PeriodCase{"", "300"},
                                           PeriodCase{"3", "3"}, PeriodCase{"10000", "10000"}));

TEST_F(LinkTest, AlivePacketGoesOutAfterAFullPeriodOfSilence) {
    fields.Set("eKeepalive", "3");
    LogIn();
    const long long start = clock.ms;
    link.ReplyTo("40:", "90:3\t\r\n>");
    link.ReplyTo("40:", "90:5\t\r\n>");
    RunUntil(start + 16000);

    const long long firstAlive = link.FirstWriteAt("40:3\t\r\n");
    ASSERT_GE(firstAlive, 0);
    EXPECT_GT(firstAlive, start + 3000);
    EXPECT_TRUE(link.AllWritten().find("40:5\t\r\n") != std::string::npos);
    EXPECT_EQ(events.Count("Checking link"), 2);
    EXPECT_FALSE(events.Logged("Keepalive failed"));
    EXPECT_EQ(link.closedByClient, 0);
}

TEST_F(LinkTest, TrafficPutsTheAlivePacketOff) {
    fields.Set("eKeepalive", "3");
    LogIn();
    const long long start = clock.ms;
    for (int second = 1; second < 10; ++second)
        link.Arrive(start + second * 1000, "90:1\t\r\n");
    RunUntil(start + 10000);
    EXPECT_EQ(link.FirstWriteAt("40:"), -1);
}

TEST_F(LinkTest, NoPromptAfterTheAlivePacketClosesTheLink) {
    fields.Set("eKeepalive", "3");
    LogIn();
    const long long start = clock.ms;
    RunUntil(start + 60000);

    const long long alive = link.FirstWriteAt("40:3\t\r\n");
    ASSERT_GE(alive, 0);
    EXPECT_TRUE(events.Logged("Keepalive failed"));
    EXPECT_EQ(link.closedByClient, 1);
    EXPECT_LE(clock.ms, alive + 6100);
}

// Packets that come in while the client waits for the prompt are handled, not swallowed.
TEST_F(LinkTest, PacketsInTheAliveAnswerAreHandled) {
    fields.Set("eKeepalive", "3");
    LogIn();
    Transmit("+3650444", "x");
    link.ReplyTo("40:", "53:3\t060:T\t\r\n20:9\t023:+3630222\t033:hi\t\r\n90:5\t\r\n>", 1000);
    RunUntil(clock.ms + 12000);

    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:T"});
    EXPECT_EQ(events.received.size(), 1u);
    EXPECT_TRUE(link.AllWritten().find("70:9\t\r\n") != std::string::npos);
    EXPECT_FALSE(events.Logged("Keepalive failed"));
}

}  // namespace
}  // namespace nimbra::cimd::testing
