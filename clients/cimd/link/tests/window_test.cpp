// A window of submits on one standard CIMD2 link: responses matched by packet number in any
// order, answers for no submit in flight, each submit's own timeout, the link dropping with
// the window full, the rate cap over ten seconds, packet numbers never reused while in
// flight, the window of one unchanged and the line variant at one.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace nimbra::cimd::testing {
namespace {

const std::string kStx = "\x02";
const std::string kSubmitStart = kStx + "03:";

std::string Framed(const std::string& packet) {
    return StandardFrame(packet);
}

bool IsSubmit(std::string_view bytes) {
    return bytes.starts_with(kSubmitStart);
}

// The three digits of a standard packet's number.
std::string NumberOf(std::string_view bytes) {
    return std::string(bytes.substr(kSubmitStart.size(), 3));
}

class WindowTest : public LinkTest {
protected:
    WindowTest() {
        fields.Set("cbStx", "0");
        fields.Set("eWindow", "10");
        link.readsWait = true;
    }
    void LogInStandard() {
        link.ReplyTo(kStx + "01:", Framed("51:001\t"));
        ASSERT_TRUE(client.Login(link));
    }
    void TransmitId(const std::string& id, const std::string& text = {}) {
        client.busy = true;
        client.Submit("+3620111", "+3650444", text.empty() ? "window message " + id : text, id);
    }
    // The centre answers the next submit delayMs later with the reference "T" + its number,
    // or with `answer` (parameters after the number) when one is given.
    void AnswerNextSubmit(int delayMs, const std::string& answer = {}) {
        link.AnswerWhen(
            IsSubmit,
            [answer](std::string_view request) {
                const std::string number = NumberOf(request);
                return Framed("53:" + number + "\t" +
                              (answer.empty() ? "060:T" + number + "\t" : answer));
            },
            delayMs);
    }
    void StopAt(long long atMs) {
        clock.At(atMs, [this] { client.stop = true; });
    }
    std::vector<std::string> SubmitNumbers() const {
        std::vector<std::string> numbers;
        for (const auto& w : link.written) {
            if (IsSubmit(w.bytes))
                numbers.push_back(NumberOf(w.bytes));
        }
        return numbers;
    }
    // The outcome by id of each message; fails the test when one has two.
    std::map<std::string, std::string> OutcomeOf() const {
        std::vector<std::string> twice;
        auto outcome = events.OutcomeById(twice);
        for (const std::string& line : twice)
            ADD_FAILURE() << "twice: " << line;
        return outcome;
    }
};

TEST_F(WindowTest, ResponsesInAnyOrderFindTheirOwnMessages) {
    LogInStandard();
    for (int i = 0; i < 5; ++i) {
        TransmitId("m" + std::to_string(i));
        AnswerNextSubmit(500 - 100 * i);  // the last submit is answered first
    }
    const long long start = clock.ms;
    StopAt(start + 3000);
    client.ThreadLoop(link);

    const std::vector<std::string> numbers = SubmitNumbers();
    ASSERT_EQ(numbers, (std::vector<std::string>{"003", "005", "007", "009", "011"}));
    // All five went before any answer came.
    for (const auto& w : link.written)
        EXPECT_TRUE(!IsSubmit(w.bytes) || w.atMs < start + 100);
    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const std::string id = "m" + std::to_string(i);
        EXPECT_EQ(outcome.at(id), "sent:" + id + ":T" + numbers[static_cast<std::size_t>(i)]);
    }
    // Reported in the order the answers came: the last submitted first.
    EXPECT_EQ(events.byId.front(), "sent:m4:T011");
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(events.Logged("Unexpected submit response"));
}

// How the centre answers the second of three submits in flight, and what becomes of each.
struct AnswerCase {
    const char* name;
    std::string answer;  // the packet sent 300 ms after the submits; NNN: the second's number
    std::string second;  // the second message's outcome
    std::string logLine;
    friend void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
};

class WindowAnswer : public WindowTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(WindowAnswer, DecidesOnlyTheSubmitWithItsNumber) {
    const AnswerCase& c = GetParam();
    LogInStandard();
    TransmitId("a");
    TransmitId("b");
    TransmitId("c");
    AnswerNextSubmit(600);
    link.AnswerWhen(
        IsSubmit,
        [&c](std::string_view request) {
            std::string packet = c.answer;
            const std::size_t at = packet.find("NNN");
            if (at != std::string::npos)
                packet.replace(at, 3, NumberOf(request));
            return Framed(packet);
        },
        300);
    AnswerNextSubmit(900);
    const long long start = clock.ms;
    std::vector<std::string> decidedBeforeTheEnd;
    clock.At(start + 2000, [&] { decidedBeforeTheEnd = events.byId; });
    StopAt(start + 3000);
    client.ThreadLoop(link);

    if (!c.logLine.empty()) {
        EXPECT_TRUE(events.Logged(c.logLine)) << c.logLine;
    }
    const std::map<std::string, std::string> outcome = OutcomeOf();
    EXPECT_EQ(outcome.at("a"), "sent:a:T003");
    EXPECT_EQ(outcome.at("c"), "sent:c:T007");
    if (c.second.empty()) {
        // An answer for no submit in flight is taken for none: the second waits on, and
        // fails only when the link ends without its response.
        EXPECT_EQ(decidedBeforeTheEnd, (std::vector<std::string>{"sent:a:T003", "sent:c:T007"}));
        EXPECT_EQ(outcome.at("b"), "failed:b");
        EXPECT_TRUE(events.Logged("Link lost while waiting for the submit response"));
    } else {
        EXPECT_EQ(decidedBeforeTheEnd.size(), 3u);
        EXPECT_EQ(outcome.at("b"), c.second);
    }
    EXPECT_FALSE(client.busy);
    EXPECT_EQ(link.closedByClient, 0);
    EXPECT_EQ(SubmitNumbers().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowAnswer,
    ::testing::Values(
        AnswerCase{"Accepted", "53:NNN\t060:T005\t", "sent:b:T005", ""},
        AnswerCase{"Refused", "53:NNN\t900:11\t", "failed:b", "Undeliverable message"},
        AnswerCase{"Nack", "99:NNN\t", "failed:b", "Nack message received"},
        AnswerCase{"GeneralError", "98:NNN\t", "failed:b", "General error response received"},
        AnswerCase{"UnknownNumber", "53:077\t060:STRAY\t", "",
                   "Unexpected submit response for packet number 077: no submit in flight has "
                   "it"},
        AnswerCase{"NackForAnUnknownNumber", "99:201\t", "",
                   "Nack message received for packet number 201: no submit in flight has it"}),
    CaseName<AnswerCase>);

TEST_F(WindowTest, ALinkDroppingWithAFullWindowGivesEveryUnansweredMessageBackOnce) {
    fields.Set("eWindow", "6");
    LogInStandard();
    for (int i = 0; i < 6; ++i)
        TransmitId("d" + std::to_string(i));
    AnswerNextSubmit(100);
    AnswerNextSubmit(150);
    link.CloseAt(clock.ms + 400);
    client.ThreadLoop(link);

    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 6u);
    EXPECT_EQ(outcome.at("d0"), "sent:d0:T003");
    EXPECT_EQ(outcome.at("d1"), "sent:d1:T005");
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(outcome.at("d" + std::to_string(i)), "failed:d" + std::to_string(i));
    EXPECT_EQ(events.Count("Link lost while waiting for the submit responses of 4 messages"), 1);
    // Submitted and unanswered: the centre may have them, and gets them again on the next link.
    EXPECT_EQ(SubmitNumbers().size(), 6u);
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.pending);

    ScriptedTransport next(clock);
    client.ResetReceiveBuffer();
    next.readsWait = true;
    next.ReplyTo(kStx + "01:", Framed("51:001\t"));
    ASSERT_TRUE(client.Login(next));
    for (int i = 2; i < 6; ++i) {
        TransmitId("d" + std::to_string(i));
        next.AnswerWhen(
            IsSubmit,
            [](std::string_view request) {
                return Framed("53:" + NumberOf(request) + "\t060:U" + NumberOf(request) + "\t");
            },
            100);
    }
    next.CloseAt(clock.ms + 1000);
    client.ThreadLoop(next);
    EXPECT_EQ(events.byId.size(), 10u);
    EXPECT_EQ(std::count_if(events.byId.begin(), events.byId.end(),
                            [](const std::string& line) { return line.starts_with("sent:d"); }),
              6);
}

TEST_F(WindowTest, MessagesNotSubmittedWhenTheLinkDropsGoBackUntried) {
    fields.Set("eRateCap", "2");
    LogInStandard();
    for (int i = 0; i < 4; ++i)
        TransmitId("r" + std::to_string(i));
    AnswerNextSubmit(100);
    link.CloseAt(clock.ms + 700);
    client.ThreadLoop(link);

    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 4u);
    EXPECT_EQ(outcome.at("r0"), "sent:r0:T003");
    EXPECT_EQ(outcome.at("r1"), "failed:r1");  // submitted at 500 ms, never answered
    EXPECT_EQ(outcome.at("r2"), "handed back:r2");
    EXPECT_EQ(outcome.at("r3"), "handed back:r3");
    EXPECT_EQ(SubmitNumbers().size(), 2u);
    EXPECT_TRUE(events.Logged("Link lost while waiting for the submit response"));
    EXPECT_TRUE(events.Logged("2 messages not submitted go back to the engine"));
    EXPECT_FALSE(client.busy);
    EXPECT_FALSE(client.pending);
}

TEST_F(WindowTest, EverySubmitHasItsOwnResponseTimeout) {
    fields.Set("eWindow", "3");
    fields.Set("eResponseTimeout", "10");
    LogInStandard();
    TransmitId("t0");
    AnswerNextSubmit(100);
    TransmitId("t1");
    link.ReplyWhen(IsSubmit, "", 100);  // nothing comes for it
    TransmitId("t2");
    AnswerNextSubmit(8000);
    const long long start = clock.ms;
    // Traffic keeps the link alive meanwhile: the timeout is the submit's, not the line's.
    for (int s = 2; s < 30; s += 2)
        link.Arrive(start + s * 1000, Framed("20:" + std::string(s < 10 ? "00" : "0") +
                                             std::to_string(s) + "\t023:+3630222\t033:keep\t"));
    client.ThreadLoop(link);

    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 3u);
    EXPECT_EQ(outcome.at("t0"), "sent:t0:T003");
    EXPECT_EQ(outcome.at("t2"), "sent:t2:T007");
    EXPECT_EQ(outcome.at("t1"), "failed:t1");
    EXPECT_TRUE(events.Logged("No response to the submit within 10 seconds"));
    EXPECT_GE(clock.ms - start, 9'000);
    EXPECT_LT(clock.ms - start, 11'000);
    EXPECT_EQ(link.closedByClient, 1);
}

TEST_F(WindowTest, TheRateCapHoldsOverTenSeconds) {
    fields.Set("eWindow", "100");
    fields.Set("eRateCap", "40");
    LogInStandard();
    // The engine keeps the window full: each answered message makes room for the next.
    int handedOver = 0;
    const auto handOver = [&] {
        TransmitId("x" + std::to_string(handedOver++));
        AnswerNextSubmit(30);
    };
    for (int i = 0; i < 100; ++i)
        handOver();
    const long long start = clock.ms;
    StopAt(start + 12'000);
    for (long long at = start + 50; at < start + 12'000; at += 50) {
        clock.At(at, [&] {
            while (handedOver - static_cast<int>(events.byId.size()) < 100)
                handOver();
        });
    }
    client.ThreadLoop(link);

    std::vector<long long> times;
    for (const auto& w : link.written) {
        if (IsSubmit(w.bytes))
            times.push_back(w.atMs);
    }
    ASSERT_GE(times.size(), 400u);
    // Any ten seconds carry at most the rate's 400 and one.
    for (std::size_t i = 0; i < times.size(); ++i) {
        const auto end = std::lower_bound(times.begin(), times.end(), times[i] + 10'000);
        EXPECT_LE(end - (times.begin() + static_cast<long>(i)), 401) << "from " << times[i];
    }
    const auto firstTen = std::lower_bound(times.begin(), times.end(), times.front() + 10'000);
    EXPECT_GE(firstTen - times.begin(), 399);
    // Each message once: those submitted answered (or failed, when the stop caught them in
    // flight), the rest handed back untried.
    const std::map<std::string, std::string> outcome = OutcomeOf();
    EXPECT_EQ(outcome.size(), static_cast<std::size_t>(handedOver));
    EXPECT_EQ(std::count_if(outcome.begin(), outcome.end(),
                            [](const auto& o) { return !o.second.starts_with("handed back:"); }),
              static_cast<long>(times.size()));
}

// Answers come after times that differ from submit to submit, so the numbers wrap round many
// times with old ones still in flight.
TEST_F(WindowTest, APacketNumberInFlightIsNeverUsedAgain) {
    fields.Set("eWindow", "100");
    LogInStandard();
    struct Flight {
        long long sentAt;
        long long answeredAt;
    };
    std::map<std::string, std::vector<Flight>> flights;
    int handedOver = 0;
    const auto handOver = [&] {
        const int n = handedOver;
        TransmitId("n" + std::to_string(handedOver++));
        const int delayMs = 20 + (n * 37 % 100) * 25;
        link.AnswerWhen(
            IsSubmit,
            [&, delayMs](std::string_view request) {
                const std::string number = NumberOf(request);
                flights[number].push_back({clock.ms, clock.ms + delayMs});
                return Framed("53:" + number + "\t060:T" + number + "\t");
            },
            delayMs);
    };
    for (int i = 0; i < 100; ++i)
        handOver();
    const long long start = clock.ms;
    StopAt(start + 20'000);
    for (long long at = start + 20; at < start + 20'000; at += 20) {
        clock.At(at, [&] {
            while (handedOver < 1000 && handedOver - static_cast<int>(events.byId.size()) < 100)
                handOver();
        });
    }
    client.ThreadLoop(link);

    EXPECT_EQ(handedOver, 1000);
    const std::map<std::string, std::string> outcome = OutcomeOf();
    EXPECT_EQ(outcome.size(), 1000u);
    for (const auto& [id, line] : outcome)
        EXPECT_TRUE(line.starts_with("sent:" + id + ":T")) << line;
    EXPECT_EQ(flights.size(), 128u);
    for (const auto& [number, list] : flights) {
        const int value = std::stoi(number);
        EXPECT_EQ(value % 2, 1) << number;
        for (std::size_t i = 1; i < list.size(); ++i)
            EXPECT_GE(list[i].sentAt, list[i - 1].answeredAt) << "number " << number;
    }
    EXPECT_FALSE(events.Logged("Unexpected submit response"));
}

TEST_F(WindowTest, ALongMessageSendsItsPartsInTurnWhileOthersGo) {
    LogInStandard();
    TransmitId("long", std::string(161, 'a'));
    TransmitId("short");
    for (int i = 0; i < 3; ++i)
        AnswerNextSubmit(100);
    StopAt(clock.ms + 2000);
    client.ThreadLoop(link);

    const std::vector<std::string> numbers = SubmitNumbers();
    ASSERT_EQ(numbers, (std::vector<std::string>{"003", "005", "007"}));
    EXPECT_NE(link.written.at(1).bytes.find("032:050003"), std::string::npos);
    EXPECT_EQ(link.written.at(2).bytes.find("032:"), std::string::npos);
    EXPECT_NE(link.written.at(3).bytes.find("032:050003"), std::string::npos);
    // The second part went once the first was accepted, not before.
    EXPECT_GE(link.written.at(3).atMs, link.written.at(1).atMs + 100);
    const std::map<std::string, std::string> outcome = OutcomeOf();
    EXPECT_EQ(outcome.at("long"), "sent:long:T003");
    EXPECT_EQ(outcome.at("short"), "sent:short:T005");
}

TEST_F(WindowTest, AResponseInPiecesIsJoinedAcrossPasses) {
    LogInStandard();
    TransmitId("p");
    const long long start = clock.ms;
    const std::string response = Framed("53:003\t060:T003\t");
    link.Arrive(start + 200, response.substr(0, 5));
    link.Arrive(start + 260, response.substr(5));
    StopAt(start + 1000);
    client.ThreadLoop(link);
    EXPECT_EQ(events.byId, std::vector<std::string>{"sent:p:T003"});
}

// Stopped for a logout, the link still takes in the responses of every submit in flight:
// failing those messages would send them a second time.
TEST_F(WindowTest, ALogoutWaitsForTheResponsesOfTheWholeWindow) {
    fields.Set("eWindow", "3");
    LogInStandard();
    for (int i = 0; i < 3; ++i) {
        TransmitId("w" + std::to_string(i));
        AnswerNextSubmit(400 + 200 * i);
    }
    const long long start = clock.ms;
    clock.At(start + 100, [this] {
        client.logoutRequested = true;
        client.stop = true;
    });
    client.ThreadLoop(link);
    EXPECT_EQ(events.byId,
              (std::vector<std::string>{"sent:w0:T003", "sent:w1:T005", "sent:w2:T007"}));
    EXPECT_FALSE(client.busy);
}

// The window setting as the frame sees it.
struct SettingCase {
    const char* name;
    std::string plain;  // cbStx
    std::string window;
    int expected;
    friend void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name; }
};

class WindowSetting : public LinkTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(WindowSetting, IsTheWindowOnlyInStandardCimd2) {
    const SettingCase& c = GetParam();
    fields.Set("cbStx", c.plain);
    fields.Set("eWindow", c.window);
    EXPECT_EQ(client.Window(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowSetting,
                         ::testing::Values(SettingCase{"Standard", "0", "10", 10},
                                           SettingCase{"StandardMost", "0", "100", 100},
                                           SettingCase{"StandardTooMany", "0", "101", 1},
                                           SettingCase{"StandardZero", "0", "0", 1},
                                           SettingCase{"StandardEmpty", "0", "", 1},
                                           SettingCase{"StandardNotANumber", "0", "5x", 1},
                                           SettingCase{"LineVariant", "1", "10", 1}),
                         CaseName<SettingCase>);

// One scripted session, run with a given window setting: two messages one after the other
// as the frame hands them over, a deliver, a keepalive and a status report.
struct Session {
    explicit Session(const std::string& plain, const std::string& window) {
        fields.Set("cbStx", plain);
        fields.Set("eWindow", window);
        fields.Set("eKeepalive", "5");
        const bool standard = plain == "0";
        const std::string submit = standard ? kSubmitStart : "03:";
        if (standard) {
            link.ReplyTo(kStx + "01:", Framed("51:001\t"));
        } else {
            link.Arrive(100, std::string(kGreeting));
            link.ReplyTo("01:", std::string(kLoginOk));
        }
        const auto answer = [standard](std::string_view request) {
            const std::string number = standard
                                           ? NumberOf(request)
                                           : std::string(request.substr(3, request.find('\t') - 3));
            return standard ? Framed("53:" + number + "\t060:R" + number + "\t")
                            : "53:" + number + "\t060:R" + number + "\t\r\n>";
        };
        link.AnswerWhen([submit](std::string_view b) { return b.starts_with(submit); }, answer,
                        400);
        link.AnswerWhen([submit](std::string_view b) { return b.starts_with(submit); }, answer,
                        400);
        link.ReplyTo(standard ? kStx + "40:" : "40:",
                     standard ? Framed("90:009\t") : std::string("90:7\t\r\n>"));
        link.Arrive(1500, standard ? Framed("20:002\t023:+3630222\t033:hello\t")
                                   : "20:2\t023:+3630222\t033:hello\t\r\n");
        link.Arrive(2500, standard ? Framed("23:004\t021:+3650444\t060:R003\t061:4\t")
                                   : "23:4\t021:+3650444\t060:R3\t061:4\t\r\n");
        link.CloseAt(20'000);
        EXPECT_TRUE(client.Login(link));
        Transmit("one");
        // The frame hands over the next message once the first one's outcome came.
        for (long long at = 100; at < 10'000; at += 100)
            clock.At(at, [this] {
                if (events.outcomes.size() == 1 && !handedSecond) {
                    handedSecond = true;
                    Transmit("two");
                }
            });
        client.ThreadLoop(link);
    }
    void Transmit(const std::string& text) {
        client.busy = true;
        client.Submit("+3620111", "+3650444", text, "id-" + text);
    }

    FakeClock clock;
    ScriptedTransport link{clock};
    MapFields fields{{"eUser", "user"},       {"ePass", "pw"},  {"eOperator", "T-mobile"},
                     {"eSender", "+3620111"}, {"cbLogin", "0"}, {"cbOriginator", "0"}};
    RecordingEvents events;
    TCIMDclient client{fields, events, clock};
    bool handedSecond = false;
};

struct OneAtATimeCase {
    const char* name;
    std::string plain;
    std::string window;
    friend void PrintTo(const OneAtATimeCase& c, std::ostream* os) { *os << c.name; }
};

class OneAtATime : public ::testing::TestWithParam<OneAtATimeCase> {};

// The same bytes at the same times, the same log and the same outcomes as with no window
// setting at all.
TEST_P(OneAtATime, BehavesExactlyAsWithoutTheSetting) {
    const OneAtATimeCase& c = GetParam();
    const Session designed(c.plain, "");
    const Session with(c.plain, c.window);

    ASSERT_EQ(designed.events.outcomes.size(), 2u);
    EXPECT_EQ(with.events.outcomes, designed.events.outcomes);
    EXPECT_EQ(with.events.received, designed.events.received);
    ASSERT_EQ(with.link.written.size(), designed.link.written.size());
    for (std::size_t i = 0; i < designed.link.written.size(); ++i) {
        EXPECT_EQ(with.link.written[i].bytes, designed.link.written[i].bytes) << i;
        EXPECT_EQ(with.link.written[i].atMs, designed.link.written[i].atMs) << i;
    }
    std::vector<std::pair<std::string, std::string>> logs = with.events.logs;
    std::erase_if(logs,
                  [](const auto& log) { return log.second.starts_with("Messages in flight"); });
    EXPECT_EQ(logs, designed.events.logs);
}

INSTANTIATE_TEST_SUITE_P(Cases, OneAtATime,
                         ::testing::Values(OneAtATimeCase{"StandardWindowOne", "0", "1"},
                                           OneAtATimeCase{"StandardWindowNotANumber", "0", "x"},
                                           OneAtATimeCase{"LineVariantWindowOne", "1", "1"},
                                           OneAtATimeCase{"LineVariantWindowTen", "1", "10"}),
                         CaseName<OneAtATimeCase>);

TEST_F(LinkTest, TheLineVariantKeepsOneInFlightAndSaysWhyOnce) {
    fields.Set("eWindow", "10");
    LogIn();
    client.busy = true;
    client.Submit("+3620111", "+3650444", "first", "f");
    client.Submit("+3620111", "+3650444", "second", "s");
    link.ReplyTo("03:3", "53:3\t060:A\t\r\n>", 500);
    link.ReplyTo("03:5", "53:5\t060:B\t\r\n>", 500);
    link.CloseAt(clock.ms + 10'000);
    client.ThreadLoop(link);
    const long long second = link.FirstWriteAt("03:5");
    ASSERT_GT(second, 0);
    EXPECT_GE(second, link.FirstWriteAt("03:3") + 500);
    EXPECT_EQ(events.byId, (std::vector<std::string>{"sent:f:A", "sent:s:B"}));

    ScriptedTransport next(clock);
    client.ResetReceiveBuffer();
    next.Arrive(clock.ms + 100, std::string(kGreeting));
    next.ReplyTo("01:", std::string(kLoginOk));
    ASSERT_TRUE(client.Login(next));
    next.CloseAt(clock.ms + 2000);
    client.ThreadLoop(next);
    EXPECT_EQ(events.Count("Messages in flight: 1, not 10: the line variant cannot tell its "
                           "responses apart (standard CIMD2 can)"),
              1);
}

}  // namespace
}  // namespace nimbra::cimd::testing
