// The cimd driver's link between the frame and the protocol client, on a real loopback socket
// with the test as the message centre: where it connects from, what it asks of the frame when
// a connect fails, a login is refused or a link ends, and what the retry timer and the
// engine's calls do to it. Whether the link is rebuilt shows in what it asks of the frame's
// retry timer, so no test waits to see that nothing happens.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "case_name.h"
#include "cimdconfig.h"
#include "cimdlink.h"
#include "fieldstore.h"
#include "framed_link.h"
#include "unCimd.h"

namespace nimbra::cimd {
namespace {

using testing_support::CaseName;
using testing_support::FramedLink;
using testing_support::FreeLoopbackPort;
using testing_support::LoopbackPeer;
const std::string kGreeting = "CIMD2-A ConnectionServer\r\nUse CIMD2 protocol\r\n>";
const std::string kLoginAccepted = "51:1\t\r\n>";
const std::string kLoginRefused = "51:1\t900:100\t\r\n>";
const char kSourcePortInUse[] =
    "message box:Source port is already in use or destination host is not a valid IP address.";

class CimdLinkTest : public ::testing::Test, protected FramedLink<CimdLink> {
protected:
    CimdLinkTest() : FramedLink(CimdFrameConfig()) {}

    // Takes the link's connection, greets it and answers its login packet.
    std::unique_ptr<LoopbackPeer> AnswerLogin(const std::string& answer) {
        std::unique_ptr<LoopbackPeer> peer = Accept();
        if (!peer)
            return nullptr;
        peer->Send(kGreeting);
        if (peer->ReadUntil("\r\n").rfind("01:", 0) != 0) {
            ADD_FAILURE() << "no login packet came";
            return nullptr;
        }
        peer->Send(answer);
        return peer;
    }
    std::unique_ptr<LoopbackPeer> LoggedIn() {
        auto peer = AnswerLogin(kLoginAccepted);
        if (peer && !WaitFor("log:Successful login"))
            ADD_FAILURE() << frame.Shown();
        return peer;
    }
    std::string Connecting(int port) const {
        return "log:Connecting to CIMD server 127.0.0.1 on port " + std::to_string(port);
    }
};

// How a link ends decides whether the retry timer rebuilds it.
struct Ending {
    enum class Centre { kAbsent, kRefusesLogin, kClosesTheLink };
    const char* name;
    Centre centre;
    std::string sourceIp;
    std::string sourcePort;
    bool engineWantsTheLink;
    std::string logLine;
    bool messageBox;
    bool rebuilt;
    friend void PrintTo(const Ending& e, std::ostream* os) { *os << e.name; }
};

class CimdLinkEnding : public CimdLinkTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(CimdLinkEnding, AsksForTheRetryTimerOnlyWhenTheLinkIsToBeRebuilt) {
    const Ending& e = GetParam();
    const int port = e.centre == Ending::Centre::kAbsent ? FreeLoopbackPort() : centre.port();
    frame.fields.Set(fields::kPort, std::to_string(port));
    frame.fields.Set(fields::kSourceIp, e.sourceIp);
    frame.fields.Set(fields::kSourcePort, e.sourcePort);
    frame.engineConnected = e.engineWantsTheLink;
    link.Start();
    if (e.centre == Ending::Centre::kRefusesLogin) {
        ASSERT_TRUE(AnswerLogin(kLoginRefused));
    } else if (e.centre == Ending::Centre::kClosesTheLink) {
        ASSERT_TRUE(LoggedIn());  // and closes it at once
    }
    ASSERT_TRUE(Ended());

    EXPECT_TRUE(frame.Logged(e.logLine)) << frame.Shown();
    EXPECT_EQ(frame.Has(kSourcePortInUse), e.messageBox) << frame.Shown();
    EXPECT_EQ(frame.AskedForRetry(), e.rebuilt) << frame.Shown();
}

const std::string kCannotConnect = "Cannot connect to CIMD server 127.0.0.1 on port";

INSTANTIATE_TEST_SUITE_P(
    Cases, CimdLinkEnding,
    ::testing::Values(Ending{"ConnectFails", Ending::Centre::kAbsent, "", "0", true,
                             "Connecting to CIMD server 127.0.0.1 on port", false, true},
                      Ending{"LoginRefused", Ending::Centre::kRefusesLogin, "", "", true,
                             "Login failed. Incorrect username or password.", false, false},
                      Ending{"ClosedByTheCentre", Ending::Centre::kClosesTheLink, "", "", true,
                             "Disconnected from server", false, true},
                      Ending{"ClosedWhileTheEngineWantsNoLink", Ending::Centre::kClosesTheLink, "",
                             "", false, "Disconnected from server", false, false},
                      // A bound connect that fails is reported and waits for the next start.
                      Ending{"SourcePortNotANumber", Ending::Centre::kAbsent, "", "port", true,
                             kCannotConnect, false, false},
                      Ending{"SourceAddressNotAnAddress", Ending::Centre::kAbsent, "not an address",
                             "5001", true, kCannotConnect, true, false}),
    CaseName<Ending>);

TEST_F(CimdLinkTest, APlainConnectThatFailsShowsWhyAndIsRetriedByTheTimer) {
    const int closed = FreeLoopbackPort();
    frame.fields.Set(fields::kPort, std::to_string(closed));
    link.Start();
    ASSERT_TRUE(Ended());
    const std::vector<std::string> calls = frame.Calls();
    ASSERT_EQ(calls.size(), 3u) << frame.Shown();
    EXPECT_EQ(calls[0], Connecting(closed));
    EXPECT_TRUE(calls[1].starts_with("status:")) << calls[1];
    EXPECT_EQ(calls[2], "arm retry");

    frame.fields.Set(fields::kPort, std::to_string(centre.port()));
    link.RetryTimer();
    EXPECT_TRUE(frame.Has("stop retry timer"));
    ASSERT_TRUE(LoggedIn());
    EXPECT_TRUE(frame.Has(Connecting(centre.port())));
}

TEST_F(CimdLinkTest, ABoundConnectLeavesFromTheSourcePort) {
    const int sourcePort = FreeLoopbackPort();
    frame.fields.Set(fields::kSourcePort, " " + std::to_string(sourcePort) + " ");
    link.Start();
    auto peer = LoggedIn();
    ASSERT_TRUE(peer);
    EXPECT_EQ(peer->remotePort(), sourcePort);
    EXPECT_TRUE(
        frame.Has(Connecting(centre.port()) + " with source port " + std::to_string(sourcePort)))
        << frame.Shown();
}

// The engine's Disconnect logs out of a link that is up and lets it end for good.
TEST_F(CimdLinkTest, TheEnginesDisconnectLogsOutAndTheLinkStaysDown) {
    link.Start();
    auto peer = LoggedIn();
    ASSERT_TRUE(peer);
    link.EngineDisconnect();
    EXPECT_TRUE(frame.Has("stop retry timer"));
    EXPECT_EQ(peer->ReadUntil("\r\n").substr(0, 3), "02:");
    peer->Send("52:3\t\r\n>");
    EXPECT_TRUE(peer->ClosedByPeer());
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(frame.Has("log:Disconnected from server"));
    EXPECT_FALSE(frame.AskedForRetry()) << frame.Shown();
}

struct PlanCase {
    const char* name;
    std::string sourceIp;
    std::string sourcePort;
    bool bound;
    std::string address;      // where a bound connect leaves from
    std::string portWritten;  // the source port field afterwards
    std::string ipWritten;    // the source address field afterwards
};

TEST(ReadConnectPlanTest, ASourcePortBindsTheConnect) {
    const PlanCase cases[] = {
        {"no source port", "", "", false, "", "", ""},
        {"port 0", "10.0.0.7", "0", false, "", "0", "10.0.0.7"},
        {"blanks only", "", "  ", false, "", "", ""},
        {"a port", "10.0.0.7", "5001", true, "10.0.0.7", "5001", "10.0.0.7"},
        {"blanks around", " 10.0.0.7 ", " 5001 ", true, "10.0.0.7", "5001", " 10.0.0.7 "},
        {"no source address", "", "5001", true, "127.0.0.1", "5001", "127.0.0.1"},
        {"blank source address", "   ", "5001", true, "127.0.0.1", "5001", "127.0.0.1"},
        // Checked when the thread connects, as the field reads.
        {"not a number", "", "port", true, "127.0.0.1", "port", "127.0.0.1"},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        driver::FieldStore store;
        store.Set(fields::kHost, "mc.example");
        store.Set(fields::kPort, "6000");
        store.Set(fields::kSourceIp, c.sourceIp);
        store.Set(fields::kSourcePort, c.sourcePort);
        const ConnectPlan plan = ReadConnectPlan(store);
        EXPECT_EQ(plan.host.toStdString(), "mc.example");
        EXPECT_EQ(plan.port, 6000);
        EXPECT_EQ(plan.bound, c.bound);
        EXPECT_EQ(plan.sourceAddress.toStdString(), c.address);
        if (c.bound) {
            EXPECT_EQ(plan.sourcePort, c.portWritten);
        }
        EXPECT_EQ(store.Get(fields::kSourcePort), c.portWritten);
        EXPECT_EQ(store.Get(fields::kSourceIp), c.ipWritten);
    }
}

// The frame asks the link how many messages it takes, and tells the engine.
TEST_F(CimdLinkTest, TheDefaultsKeepOneMessageInFlightAndStandardCimd2TakesItsWindow) {
    EXPECT_EQ(frame.fields.Get(fields::kWindow), "1");
    EXPECT_EQ(frame.fields.Get(fields::kRateCap), "0");
    frame.fields.Set(fields::kWindow, "20");
    EXPECT_EQ(link.Window(), 1);  // the line variant, the default
    frame.fields.Set(fields::kPlain, "0");
    EXPECT_EQ(link.Window(), 20);
}

TEST(CimdFrameConfigTest, ALinkIsRebuiltThreeSecondsAfterItWasLost) {
    EXPECT_EQ(CimdFrameConfig().retryIntervalMs, 3000);
}

}  // namespace
}  // namespace nimbra::cimd
