#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

struct LoginCase {
    const char* name;
    std::string response;  // empty: the centre does not answer the bind
    int delayMs;
    bool loggedIn;
    std::string logLine;
    bool retryBind = true;
    friend void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }
};

class LoginOutcome : public LinkTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginOutcome, DecidesAndLogsTheVerdict) {
    const LoginCase& c = GetParam();
    if (!c.response.empty())
        link.ReplyWhen(IsCommand(kBindTransceiver), c.response, c.delayMs);

    EXPECT_EQ(client.Login(link), c.loggedIn);
    EXPECT_EQ(events.Count(c.logLine), 1) << c.logLine;
    EXPECT_EQ(link.written.size(), 1u);
    EXPECT_EQ(client.retryBind, c.retryBind);
}

const std::string kBound = PeerPdu(kBindTransceiverResp, 1, "00");

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginOutcome,
    ::testing::Values(
        LoginCase{"NoResponse", "", 0, false, "Login failed. No response from server."},
        LoginCase{"ResponseAfterFiveSeconds", kBound, 6500, false,
                  "Login failed. No response from server."},
        LoginCase{"SlowResponse", kBound, 4000, true, "Successful login"},
        LoginCase{"WithSystemId", PeerPdu(kBindTransceiverResp, 1, CString("SMSC-1")), 100, true,
                  "Successful login: SMSC-1"},
        LoginCase{"NotABindResponse", SubmitResp("X"), 100, false, "Unknown response"},
        LoginCase{"Nack", PeerPdu(kGenericNack, 1, "", 0x03), 100, false,
                  "Bind refused: 0x00000003 ESME_RINVCMDID"},
        // Only a wrong password or system id waits for the next start.
        LoginCase{"WrongPassword", PeerPdu(kBindTransceiverResp, 1, "00", 0x0E), 100, false,
                  "Invalid username or password: 0x0000000E ESME_RINVPASWD", false},
        LoginCase{"WrongSystemId", PeerPdu(kBindTransceiverResp, 1, "00", 0x0F), 100, false,
                  "Invalid username or password: 0x0000000F ESME_RINVSYSID", false},
        LoginCase{"BindFailed", PeerPdu(kBindTransceiverResp, 1, "00", 0x0D), 100, false,
                  "Bind refused: 0x0000000D ESME_RBINDFAIL"},
        LoginCase{"AlreadyBound", PeerPdu(kBindTransceiverResp, 1, "00", 0x05), 100, false,
                  "Bind refused: 0x00000005 ESME_RALYBND"}),
    CaseName<LoginCase>);

struct ModeCase {
    const char* name;
    std::string transmitter, receiver, transceiver;
    BindMode mode;
    friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }
};

class BindModes : public LinkTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(BindModes, ChooseTheBindAndItsResponseIsAccepted) {
    const ModeCase& c = GetParam();
    fields.Set("rbTransmitter", c.transmitter);
    fields.Set("rbReceiver", c.receiver);
    fields.Set("rbTransceiver", c.transceiver);
    fields.Set("eSystemType", "VMA");
    const std::uint32_t command = BindCommand(c.mode);
    link.ReplyWhen(IsCommand(command), PeerPdu(command | 0x80000000, 1, "00"));

    EXPECT_TRUE(client.Login(link));
    ASSERT_EQ(link.written.size(), 1u);
    EXPECT_EQ(pdu::HexOfBytes(link.written[0].bytes), BuildBind(c.mode, "user", "pw", "VMA", 1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BindModes,
    ::testing::Values(ModeCase{"Transmitter", "1", "0", "0", BindMode::Transmitter},
                      ModeCase{"Receiver", "0", "1", "0", BindMode::Receiver},
                      ModeCase{"Transceiver", "0", "0", "1", BindMode::Transceiver},
                      ModeCase{"NoneChosen", "0", "0", "0", BindMode::Transceiver}),
    CaseName<ModeCase>);

TEST_F(LinkTest, BindAndItsResponseAreLoggedAsHex) {
    LogIn();
    const std::string bind = BuildBind(BindMode::Transceiver, "user", "pw", "smpp", 1);
    EXPECT_TRUE(events.Logged("<- " + bind, "2"));
    EXPECT_TRUE(
        events.Logged("-> 00000011800000090000000000000001"
                      "00",
                      "2"));
}

// The bind and the first PDU after it carry 1, on every link.
TEST_F(LinkTest, EachLoginStartsNumberingAgain) {
    LogIn();
    Transmit("x");
    link.ReplyWhen(IsCommand(kSubmitSm), SubmitResp("A"));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);
    ASSERT_EQ(Written(kSubmitSm).size(), 1u);
    EXPECT_EQ(SplitHeader(Written(kSubmitSm)[0]).sequence, "00000001");

    ScriptedTransport second(clock);
    second.ReplyWhen(IsCommand(kBindTransceiver), PeerPdu(kBindTransceiverResp, 1, "00"));
    client.stop = false;
    ASSERT_TRUE(client.Login(second));
    EXPECT_EQ(SplitHeader(pdu::HexOfBytes(second.written.at(0).bytes)).sequence, "00000001");
    second.ReplyWhen(IsCommand(kEnquireLink), PeerPdu(kEnquireLinkResp, 1));
    StopAt(clock.ms + 23000);
    client.ThreadLoop(second);
    ASSERT_GE(second.written.size(), 2u);
    EXPECT_EQ(pdu::HexOfBytes(second.written[1].bytes), BuildEnquireLink(1));
}

TEST_F(LinkTest, StopEndsTheWaitForTheBindResponseWithoutVerdict) {
    StopAt(1000);
    EXPECT_FALSE(client.Login(link));
    EXPECT_LT(clock.ms, 2000);
    EXPECT_EQ(events.CountStartingWith("Login failed"), 0);
}

}  // namespace
}  // namespace nimbra::smpp::testing
