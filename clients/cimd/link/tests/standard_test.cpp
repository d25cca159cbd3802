// The standard variant (cbStx off): framed packets with checksums, the login at once, the
// GSM alphabet's combinations and UCS-2 user data, status reports as outcomes.
#include <gtest/gtest.h>

#include <ostream>

#include "link_fixture.h"
#include "unGSMSMS.h"

namespace nimbra::cimd::testing {
namespace {

const std::string kStx = "\x02";
const std::string kEtx = "\x03";

// A packet as a standard centre sends it, framed with its checksum.
std::string Framed(const std::string& packet) {
    return StandardFrame(packet);
}

const std::string kLoginFrame = kStx + "01:001\t011:pw\t010:user\t86" + kEtx;

class StandardTest : public LinkTest {
protected:
    StandardTest() { fields.Set("cbStx", "0"); }
    void LogInStandard() {
        link.ReplyTo(kStx + "01:", Framed("51:001\t"));
        ASSERT_TRUE(client.Login(link));
    }
    // Logs in and hands over a text of more than one part: the centre accepts the first part
    // with the time stamp 240101120000 and answers the second with secondAnswer.
    void TransmitLongText(const std::string& text, const std::string& secondAnswer) {
        LogInStandard();
        Transmit("+3650444", text);
        link.ReplyTo(kStx + "03:003", Framed("53:003\t060:240101120000\t"));
        link.ReplyTo(kStx + "03:005", Framed(secondAnswer));
    }
};

struct LoginCase {
    const char* name;
    std::string greeting;  // empty: none
    std::string answer;    // empty: the centre does not answer
    bool loggedIn;
    std::string logLine;
    friend void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }
};

class StandardLogin : public StandardTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(StandardLogin, GoesOutAtOnceAndIsDecidedByTheAnswer) {
    const LoginCase& c = GetParam();
    if (!c.greeting.empty())
        link.Arrive(50, c.greeting);
    if (!c.answer.empty())
        link.ReplyTo(kStx + "01:", c.answer);

    EXPECT_EQ(client.Login(link), c.loggedIn);
    ASSERT_FALSE(link.written.empty());
    // Sent before anything came from the centre, and byte for byte the standard packet.
    EXPECT_LT(link.written[0].atMs, 50);
    EXPECT_EQ(link.written[0].bytes, kLoginFrame);
    EXPECT_TRUE(events.Logged(c.logLine)) << c.logLine;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardLogin,
    ::testing::Values(
        LoginCase{"NoGreeting", "", Framed("51:001\t"), true, "Successful login"},
        LoginCase{"GreetingLine", "CIMD2-A ConnectionServer\r\n", Framed("51:001\t"), true,
                  "Successful login"},
        LoginCase{"NoChecksum", "", kStx + "51:001\t" + kEtx, true, "Successful login"},
        LoginCase{"Refused", "", Framed("51:001\t900:100\t901:Invalid login\t"), false,
                  "Login failed. Incorrect username or password."},
        LoginCase{"NoAnswer", "", "", false, "Login failed. No response from server."}),
    CaseName<LoginCase>);

TEST_F(StandardTest, SubmitAndItsResponseAreStandardPackets) {
    LogInStandard();
    Transmit("+3650444", "Hi_there");
    link.ReplyTo(kStx + "03:", Framed("53:003\t021:+3650444\t060:240101120000\t"));
    RunUntil(clock.ms + 8000);

    EXPECT_EQ(link.written.at(1).bytes,
              kStx + "03:003\t021:+3650444\t033:Hi_--there\t056:62\t47" + kEtx);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:240101120000"});
    EXPECT_FALSE(events.Logged("Unexpected submit response"));
    EXPECT_FALSE(client.busy);
}

TEST_F(StandardTest, ATextTheAlphabetCannotCarryGoesAsUcs2) {
    LogInStandard();
    Transmit("+3650444", "_UCS2_039303B5");
    RunUntil(clock.ms + 4000);
    EXPECT_EQ(link.written.at(1).bytes,
              kStx + "03:003\t021:+3650444\t030:8\t034:039303B5\t056:62\t7D" + kEtx);
}

TEST_F(StandardTest, DeliverIsDecodedAndAnsweredWithItsNumber) {
    LogInStandard();
    link.Arrive(clock.ms + 500, Framed("20:002\t021:+3620111\t023:+3630222\t033:_Oa _L- _e' _a\"\t"
                                       "060:240101120000\t"));
    link.Arrive(clock.ms + 900, Framed("20:004\t021:+3620111\t023:+3630222\t030:8\t"
                                       "034:039303B503B903B1\t"));
    RunUntil(clock.ms + 4000);

    ASSERT_EQ(events.received.size(), 2u);
    EXPECT_EQ(events.ReceivedRecord(0).text, "@ \xA3 \xE9 \xE4");
    EXPECT_EQ(events.ReceivedRecord(0).sender, "+3630222");
    EXPECT_EQ(events.ReceivedRecord(1).text, "_UCS2_039303B503B903B1");
    EXPECT_EQ(link.written.at(1).bytes, kStx + "70:002\t3E" + kEtx);
}

struct ReportCase {
    const char* name;
    std::string statusParameter;  // empty: none
    std::string status;
    std::string text;
    friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class StandardReport : public StandardTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(StandardReport, OnlyStatusFourReportsADelivery) {
    const ReportCase& c = GetParam();
    LogInStandard();
    link.Arrive(clock.ms + 500, Framed("23:004\t021:+3640333\t060:240101120000\t" +
                                       c.statusParameter + "063:240101120500\t"));
    RunUntil(clock.ms + 3000);

    ASSERT_EQ(events.received.size(), 1u);
    const TGsmSms record = events.ReceivedRecord(0);
    EXPECT_EQ(record.type, kTypeDeliveryReport);
    EXPECT_EQ(record.reference, "240101120000");
    EXPECT_EQ(record.status, c.status);
    EXPECT_EQ(record.text, c.text);
    EXPECT_EQ(link.written.back().bytes, kStx + "73:004\t43" + kEtx);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardReport,
    ::testing::Values(
        ReportCase{"Delivered", "061:4\t", "0", "Message delivered to: +3640333"},
        ReportCase{"DeliveryFailed", "061:3\t062:1\t", "3",
                   "Message not delivered to: +3640333 (status 3)"},
        ReportCase{"Expired", "061:2\t", "2", "Message not delivered to: +3640333 (status 2)"},
        ReportCase{"InProcess", "061:1\t", "1", "Message not delivered to: +3640333 (status 1)"},
        ReportCase{"NoStatusCode", "", "", "Message delivered to: +3640333"}),
    CaseName<ReportCase>);

TEST_F(StandardTest, APacketWithAWrongChecksumIsIgnored) {
    LogInStandard();
    link.Arrive(clock.ms + 500, kStx + "20:002\t023:+3630222\t033:bad\t00" + kEtx);
    link.Arrive(clock.ms + 900, Framed("20:004\t023:+3630222\t033:good\t"));
    RunUntil(clock.ms + 4000);

    ASSERT_EQ(events.received.size(), 1u);
    EXPECT_EQ(events.ReceivedRecord(0).text, "good");
    EXPECT_TRUE(events.Logged("Packet with a wrong checksum ignored"));
    EXPECT_EQ(link.AllWritten().find("70:002"), std::string::npos);
}

TEST_F(StandardTest, TheAlivePacketIsAnsweredByAnAliveResponse) {
    fields.Set("eKeepalive", "3");
    LogInStandard();
    link.ReplyTo(kStx + "40:", Framed("90:003\t"));
    const long long start = clock.ms;
    RunUntil(start + 6000);
    EXPECT_EQ(link.written.at(1).bytes, kStx + "40:003\t3C" + kEtx);
    EXPECT_FALSE(events.Logged("Keepalive failed"));

    // Unanswered, the next one closes the link.
    ScriptedTransport silent(clock);
    silent.CloseAt(clock.ms + 60000);
    client.ThreadLoop(silent);
    EXPECT_TRUE(events.Logged("Keepalive failed"));
    EXPECT_EQ(silent.closedByClient, 1);
}

TEST_F(StandardTest, TheLogoutWaitsForItsFramedAnswer) {
    LogInStandard();
    link.ReplyTo(kStx + "02:", Framed("52:003\t"));
    client.Logout(link);
    EXPECT_EQ(link.written.back().bytes, kStx + "02:003\t3A" + kEtx);
    EXPECT_LE(clock.ms, 1000);
}

// A long text goes as the parts of a concatenated message, one submit after the other; the
// message is sent when the last part was accepted, and its reference is the first part's.
TEST_F(StandardTest, ALongTextGoesInPartsAndCountsAsSentOnce) {
    TransmitLongText(std::string(161, 'a'), "53:005\t060:240101120001\t");
    // The status report of the second part speaks about the message.
    link.Arrive(clock.ms + 5000, Framed("23:002\t021:+3650444\t060:240101120001\t061:4\t"));
    RunUntil(clock.ms + 8000);

    // The first reference after the clock's 0xE5.
    EXPECT_EQ(link.written.at(1).bytes.substr(0, 47),
              kStx + "03:003\t021:+3650444\t032:050003E60201\t033:aaaaa");
    EXPECT_NE(link.written.at(1).bytes.find("033:" + std::string(153, 'a') + "\t"),
              std::string::npos);
    EXPECT_EQ(link.written.at(2).bytes.substr(0, 47),
              kStx + "03:005\t021:+3650444\t032:050003E60202\t033:aaaaa");
    EXPECT_NE(link.written.at(2).bytes.find("033:" + std::string(8, 'a') + "\t"),
              std::string::npos);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:240101120000"});
    EXPECT_TRUE(events.Logged("Part 1 of 2 sent"));
    ASSERT_EQ(events.received.size(), 1u);
    EXPECT_EQ(events.ReceivedRecord(0).reference, "240101120000");
    EXPECT_FALSE(client.busy);
}

// The parts' references are kept on disk: after a restart, the report about the second part
// still names the message, whatever form of the number the centre writes; a report about
// another number with the same time stamp names only itself.
TEST_F(StandardTest, AReportAboutALaterPartAfterARestartNamesTheMessage) {
    TransmitLongText(std::string(161, 'a'), "53:005\t060:240101120001\t");
    RunUntil(clock.ms + 8000);
    ASSERT_EQ(events.outcomes, std::vector<std::string>{"sent:240101120000"});

    FakeClock laterClock;
    ScriptedTransport later(laterClock);
    RecordingEvents laterEvents;
    TCIMDclient restarted(fields, laterEvents, laterClock);
    restarted.SetHomeFolder(home.path());
    later.ReplyTo(kStx + "01:", Framed("51:001\t"));
    ASSERT_TRUE(restarted.Login(later));
    later.Arrive(laterClock.ms + 500, Framed("23:002\t021:003650444\t060:240101120001\t061:4\t"));
    later.Arrive(laterClock.ms + 900, Framed("23:004\t021:+3650555\t060:240101120001\t061:4\t"));
    later.CloseAt(laterClock.ms + 4000);
    restarted.ThreadLoop(later);

    ASSERT_EQ(laterEvents.received.size(), 2u);
    EXPECT_EQ(laterEvents.ReceivedRecord(0).reference, "240101120000");
    EXPECT_EQ(laterEvents.ReceivedRecord(0).status, "0");
    EXPECT_EQ(laterEvents.ReceivedRecord(1).reference, "240101120001");
}

TEST_F(StandardTest, ARefusedPartFailsTheWholeMessageOnce) {
    TransmitLongText(std::string(400, 'b'), "53:005\t900:11\t");
    RunUntil(clock.ms + 8000);

    EXPECT_EQ(link.FirstWriteAt(kStx + "03:007"), -1);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_TRUE(events.Logged("Undeliverable message"));
    EXPECT_FALSE(client.busy);
}

TEST_F(StandardTest, ATextOfMoreThan255PartsFailsWithoutASubmit) {
    LogInStandard();
    Transmit("+3650444", std::string(255 * 153 + 1, 'c'));
    RunUntil(clock.ms + 4000);
    EXPECT_EQ(link.FirstWriteAt(kStx + "03:"), -1);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_TRUE(events.Logged("Message too long: it would take more than 255 parts"));
}

// A submit nobody answers fails its message after the response timeout, and the link is
// given up so that a new one is built; in either variant.
struct TimeoutCase {
    const char* name;
    std::string plain;  // cbStx
    std::string timeoutField;
    long long failsAfterMs;
    std::string fieldInUse;
    friend void PrintTo(const TimeoutCase& c, std::ostream* os) { *os << c.name; }
};

class ResponseTimeout : public LinkTest, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(ResponseTimeout, FailsTheMessageAndClosesTheLink) {
    const TimeoutCase& c = GetParam();
    fields.Set("cbStx", c.plain);
    fields.Set("eResponseTimeout", c.timeoutField);
    fields.Set("eKeepalive", "10000");
    if (c.plain == "0") {
        link.ReplyTo(kStx + "01:", Framed("51:001\t"));
        ASSERT_TRUE(client.Login(link));
    } else {
        LogIn();
    }
    Transmit("+3650444", "x");
    RunUntil(clock.ms + 600000);

    const long long submitted = link.FirstWriteAt(c.plain == "0" ? kStx + "03:" : "03:");
    ASSERT_GE(submitted, 0);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_GE(clock.ms, submitted + c.failsAfterMs - 1000);
    EXPECT_LE(clock.ms, submitted + c.failsAfterMs + 3000);
    EXPECT_EQ(link.closedByClient, 1);
    EXPECT_FALSE(client.busy);
    EXPECT_TRUE(events.Logged("No response to the submit within " + c.fieldInUse + " seconds"));
    EXPECT_FALSE(events.Logged("Link lost while waiting for the submit response"));
    EXPECT_EQ(fields.Get("eResponseTimeout"), c.fieldInUse);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResponseTimeout,
                         ::testing::Values(TimeoutCase{"Standard", "0", "10", 10000, "10"},
                                           TimeoutCase{"Line", "1", "10", 10000, "10"},
                                           TimeoutCase{"DefaultForNoNumber", "0", "abc", 60000,
                                                       "60"},
                                           TimeoutCase{"DefaultForZero", "1", "0", 60000, "60"},
                                           TimeoutCase{"Empty", "0", "", 60000, "60"}),
                         CaseName<TimeoutCase>);

}  // namespace
}  // namespace nimbra::cimd::testing
