// The smpp driver's link between the frame and the protocol client, on a real loopback socket
// with the test as the message centre: what it asks of the frame when a connect fails, a bind
// is refused or a bound link ends, and what the retry timer and the engine's calls do to it.
// Whether the link is rebuilt shows in what it asks of the frame's retry timer, so no test
// waits to see that nothing happens.

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "case_name.h"
#include "framed_link.h"
#include "smpp_wire.h"
#include "smppconfig.h"
#include "smpplink.h"
#include "unSmpp.h"

namespace nimbra::smpp {
namespace {

using testing_support::CaseName;
using testing_support::FramedLink;
using testing_support::LoopbackPeer;
constexpr std::uint32_t kResp = 0x80000000;
constexpr std::uint32_t kStatusInvalidPassword = 0x0E;

class SmppLinkTest : public ::testing::Test, protected FramedLink<SmppLink> {
protected:
    SmppLinkTest() : FramedLink(SmppFrameConfig()) {}

    // Takes the link's connection and answers its bind with status.
    std::unique_ptr<LoopbackPeer> AnswerBind(std::uint32_t status) {
        std::unique_ptr<LoopbackPeer> peer = Accept();
        if (!peer)
            return nullptr;
        const auto bind = testing_support::ReadPdu(*peer);
        if (!bind || bind->command != kBindTransceiver) {
            ADD_FAILURE() << "no bind_transceiver came";
            return nullptr;
        }
        peer->Send(testing_support::Pdu(kBindTransceiver | kResp, bind->sequence,
                                        std::string("\0", 1), status));
        return peer;
    }
    std::unique_ptr<LoopbackPeer> Bound() {
        auto peer = AnswerBind(0);
        if (peer && !WaitFor("log:Successful login"))
            ADD_FAILURE() << frame.Shown();
        return peer;
    }
    // The engine hands a message over, as the frame does.
    void Transmit(const std::string& text) {
        TGsmSms record(0.0);
        record.sender = "+3620111";
        record.receiver = "+3630222";
        record.text = text;
        link.SetBusy(true);
        link.Submit(record);
    }
    std::string Connecting(int port) const {
        return "log:Connecting to smpp server 127.0.0.1 on port " + std::to_string(port);
    }
};

// How a link ends decides whether the retry timer rebuilds it.
struct Ending {
    const char* name;
    bool listening;           // false: nothing listens on the port
    std::optional<int> bind;  // the bind's answer; nullopt: no bind is reached
    bool closedByCentre;      // the centre closes a bound link
    const char* logLine;      // what the link logs about it
    bool rebuilt;
    friend void PrintTo(const Ending& e, std::ostream* os) { *os << e.name; }
};

class SmppLinkEnding : public SmppLinkTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(SmppLinkEnding, AsksForTheRetryTimerOnlyWhenTheLinkIsToBeRebuilt) {
    const Ending& e = GetParam();
    const int port = e.listening ? centre.port() : testing_support::FreeLoopbackPort();
    frame.fields.Set(fields::kPort, std::to_string(port));
    link.Start();
    std::unique_ptr<LoopbackPeer> peer;
    if (e.bind) {
        peer = AnswerBind(static_cast<std::uint32_t>(*e.bind));
        ASSERT_TRUE(peer);
    }
    if (e.closedByCentre) {
        ASSERT_TRUE(WaitFor("log:Successful login")) << frame.Shown();
        peer.reset();
    } else if (e.bind == 0) {
        ASSERT_TRUE(WaitFor("log:Successful login")) << frame.Shown();
        link.Stop();
    }
    ASSERT_TRUE(Ended());

    EXPECT_TRUE(frame.Has(Connecting(port))) << frame.Shown();
    EXPECT_TRUE(frame.Logged(e.logLine)) << frame.Shown();
    EXPECT_EQ(frame.AskedForRetry(), e.rebuilt) << frame.Shown();
    EXPECT_EQ(frame.Has("connected"), e.listening);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmppLinkEnding,
    ::testing::Values(Ending{"ConnectFails", false, std::nullopt, false,
                             "Cannot connect to smpp server 127.0.0.1 on port", true},
                      Ending{"BindRefused", true, kStatusInvalidPassword, false,
                             "Invalid username or password", false},
                      Ending{"ClosedByTheCentre", true, 0, true,
                             "Connection to the smpp server lost", true},
                      Ending{"Stopped", true, 0, false, "Disconnected from smpp server", false}),
    CaseName<Ending>);

TEST_F(SmppLinkTest, AFailedConnectIsRetriedByTheTimerAndTheWaitingMessageGoesOnTheNewLink) {
    const int closed = testing_support::FreeLoopbackPort();
    frame.fields.Set(fields::kPort, std::to_string(closed));
    link.Start();
    ASSERT_TRUE(Ended());
    ASSERT_TRUE(frame.Has("arm retry")) << frame.Shown();
    EXPECT_TRUE(
        frame.Has("log:Cannot connect to smpp server 127.0.0.1 on port " + std::to_string(closed)))
        << frame.Shown();
    // The status panel shows why.
    const std::vector<std::string> calls = frame.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_TRUE(calls[1].starts_with("status:")) << calls[1];

    // A message handed over meanwhile waits for the retry.
    Transmit("Waits for the link");
    EXPECT_FALSE(frame.Has("failed"));
    EXPECT_TRUE(link.Busy());

    frame.fields.Set(fields::kPort, std::to_string(centre.port()));
    link.RetryTimer();
    EXPECT_TRUE(frame.Has("log:## Trying to reconnect"));
    auto peer = Bound();
    ASSERT_TRUE(peer);
    const auto submit = testing_support::ReadPdu(*peer);
    ASSERT_TRUE(submit);
    EXPECT_EQ(submit->command, kSubmitSm);
    EXPECT_NE(submit->body.find("Waits for the link"), std::string::npos);
    peer->Send(testing_support::Pdu(kSubmitSm | kResp, submit->sequence, std::string("ID7\0", 4)));
    EXPECT_TRUE(WaitFor("sent:ID7")) << frame.Shown();
}

// A bind refused on a first connection waits for the next start, one refused while the link
// is being rebuilt is tried again.
TEST_F(SmppLinkTest, ABindRefusedWhileTheLinkIsRebuiltIsRetried) {
    link.Start();
    ASSERT_TRUE(Bound());  // the centre closes it at once
    ASSERT_TRUE(Ended());
    ASSERT_EQ(frame.Count("start retry timer"), 1) << frame.Shown();

    link.RetryTimer();
    ASSERT_TRUE(AnswerBind(kStatusInvalidPassword));
    ASSERT_TRUE(Ended());
    EXPECT_EQ(frame.Count("log:Invalid username or password"), 1);
    EXPECT_EQ(frame.Count("start retry timer"), 2) << frame.Shown();
}

TEST_F(SmppLinkTest, ARetryThatFindsTheLinkBoundIsIgnored) {
    link.Start();
    auto peer = Bound();
    ASSERT_TRUE(peer);
    link.RetryTimer();
    EXPECT_FALSE(frame.Has("log:## Trying to reconnect"));
    EXPECT_EQ(frame.Count(Connecting(centre.port())), 1);
    EXPECT_TRUE(link.ProtocolThreadRunning());
}

TEST_F(SmppLinkTest, AMessageWithNoLinkToComeFailsAtOnce) {
    link.Start();
    ASSERT_TRUE(AnswerBind(kStatusInvalidPassword));
    ASSERT_TRUE(Ended());
    Transmit("Nowhere to go");
    EXPECT_TRUE(frame.Has("log:Not connected to the smpp server"));
    EXPECT_EQ(frame.Count("failed"), 1);
    EXPECT_FALSE(link.Busy());
}

TEST_F(SmppLinkTest, TheEnginesDisconnectEndsTheLinkAndStopsTheRetryTimer) {
    link.EngineDisconnect();
    EXPECT_FALSE(frame.Has("log:Disconnected from smpp server"));
    EXPECT_EQ(frame.Count("stop retry timer"), 1);

    link.Start();
    auto peer = Bound();
    ASSERT_TRUE(peer);
    link.EngineDisconnect();
    EXPECT_TRUE(frame.Has("log:Disconnected from smpp server"));
    EXPECT_EQ(frame.Count("stop retry timer"), 2);
    EXPECT_TRUE(peer->ClosedByPeer());
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(frame.AskedForRetry()) << frame.Shown();
}

TEST(SmppFrameConfigTest, ALinkIsRebuiltFifteenSecondsAfterItFailed) {
    EXPECT_EQ(SmppFrameConfig().retryIntervalMs, 15000);
}

}  // namespace
}  // namespace nimbra::smpp
