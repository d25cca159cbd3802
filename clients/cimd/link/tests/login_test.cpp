#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"

namespace nimbra::cimd::testing {
namespace {

constexpr std::string_view kLoginPacket = "01:1\t011:pw\t010:user\t\r\n";

struct LoginCase {
    const char* name;
    bool greeting;
    std::string answer;  // empty: the centre does not answer the login packet
    bool loggedIn;
    std::string logLine;
    std::string written;
    bool closed;
    friend void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }
};

class LoginOutcome : public LinkTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginOutcome, LogsDecidesAndWrites) {
    const LoginCase& c = GetParam();
    if (c.greeting)
        link.Arrive(200, std::string(kGreeting));
    if (!c.answer.empty())
        link.ReplyTo("01:", c.answer);
    link.ReplyTo("02:", "\n>52:3\t\r\n>");

    EXPECT_EQ(client.Login(link), c.loggedIn);
    EXPECT_TRUE(events.Logged(c.logLine)) << c.logLine;
    EXPECT_EQ(link.AllWritten(), c.written);
    EXPECT_EQ(link.IsUp(), !c.closed);
}

const std::string kLogin(kLoginPacket);

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginOutcome,
    ::testing::Values(
        LoginCase{"NoGreeting", false, "", false, "Login failed. No response from server.", "",
                  false},
        LoginCase{"NoAnswer", true, "", false, "Login failed. No response from server.", kLogin,
                  false},
        LoginCase{"Accepted", true, "51:1\t\r\n>", true, "Successful login", kLogin, false},
        LoginCase{"TooManyUsers", true, "51:1\t900:102\t\r\n>", false,
                  "Login failed. Too many users with this login id.", kLogin + "02:3\t\r\n", true},
        LoginCase{"Refused", true, "51:1\t900:100\t\r\n>", false,
                  "Login failed. Incorrect username or password.", kLogin, false},
        LoginCase{"Nack", true, "99:1\t\r\n>", false,
                  "Login failed. Incorrect username or password.", kLogin, false},
        LoginCase{"OtherCode", true, "53:1\t\r\n>", false,
                  "Login failed. Unexpected result code: 53", kLogin, false}),
    CaseName<LoginCase>);

TEST_F(LinkTest, SkippedLoginExchangesNothing) {
    fields.Set("cbLogin", "1");
    link.Arrive(0, std::string(kGreeting));
    EXPECT_TRUE(client.Login(link));
    EXPECT_TRUE(events.Logged("Successful login (virtual login)"));
    EXPECT_TRUE(link.written.empty());
    EXPECT_EQ(clock.ms, 0);
}

// The frame logs in before it clears the stop flag of the previous link, and logs out after
// it asked the protocol thread to stop.
TEST_F(LinkTest, AStopEndsTheLoginWithoutAVerdictButTheLogoutStillGoesOut) {
    client.stop = true;
    link.Arrive(clock.ms + 100, std::string(kGreeting));
    link.ReplyTo("01:", std::string(kLoginOk));
    EXPECT_FALSE(client.Login(link));
    EXPECT_FALSE(events.Logged("Login failed. No response from server."));
    link.ReplyTo("02:", "52:1\t\r\n>");
    client.Logout(link);
    EXPECT_EQ(link.AllWritten(), "02:1\t\r\n");
    EXPECT_TRUE(events.Logged("<- 02:1<tab><cr><lf>", "2"));
}

TEST_F(LinkTest, EachLoginStartsNumberingAgain) {
    LogIn();
    client.Logout(link);
    client.Logout(link);
    ScriptedTransport second(clock);
    second.Arrive(clock.ms + 100, std::string(kGreeting));
    second.ReplyTo("01:", std::string(kLoginOk));
    ASSERT_TRUE(client.Login(second));
    EXPECT_EQ(link.AllWritten(), std::string(kLoginPacket) + "02:3\t\r\n02:5\t\r\n");
    EXPECT_EQ(second.AllWritten(), kLoginPacket);
}

}  // namespace
}  // namespace nimbra::cimd::testing
