// A window of submits on one bind: responses matched by sequence number in any order, one
// for no submit in flight, each submit's own timeout, the link dropping with the window
// full, the rate cap over ten seconds and the sequence numbers of a long run.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

class WindowTest : public LinkTest {
protected:
    WindowTest() {
        fields.values["eWindow"] = "10";
        link.readsWait = true;
    }
    void TransmitId(const std::string& id) {
        TGsmSms record(0.0);
        record.sender = kSender;
        record.receiver = kReceiver;
        record.text = "window message " + id;
        record.messageId = id;
        client.busy = true;
        client.Submit(record);
    }
    // The centre answers the next submit_sm delayMs later, its message id "C" + the
    // request's sequence number.
    void AnswerNextSubmit(int delayMs, std::uint32_t status = 0) {
        link.AnswerWhen(
            IsCommand(kSubmitSm),
            [status](std::string_view request) {
                return SubmitResp("C" + std::to_string(SequenceOf(request)), status,
                                  SequenceOf(request));
            },
            delayMs);
    }
    std::vector<std::uint32_t> SubmitSequences() const {
        std::vector<std::uint32_t> sequences;
        for (const auto& w : link.written) {
            if (CommandOf(w.bytes) == kSubmitSm)
                sequences.push_back(SequenceOf(w.bytes));
        }
        return sequences;
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
    LogIn();
    for (int i = 0; i < 5; ++i) {
        TransmitId("m" + std::to_string(i));
        AnswerNextSubmit(500 - 100 * i);  // the last submit is answered first
    }
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    const std::vector<std::uint32_t> sequences = SubmitSequences();
    ASSERT_EQ(sequences.size(), 5u);
    // All five went before any answer came.
    const long long firstAnswerAt = FirstWriteAt(kSubmitSm) + 100;
    int before = 0;
    for (const auto& w : link.written)
        before += CommandOf(w.bytes) == kSubmitSm && w.atMs < firstAnswerAt ? 1 : 0;
    EXPECT_EQ(before, 5);
    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const std::string id = "m" + std::to_string(i);
        EXPECT_EQ(outcome.at(id),
                  "sent:" + id + ":C" + std::to_string(sequences[static_cast<std::size_t>(i)]));
    }
    // Reported in the order the answers came: the last submitted first.
    EXPECT_EQ(events.byId.front().substr(0, 8), "sent:m4:");
    EXPECT_FALSE(client.busy);
}

TEST_F(WindowTest, AResponseForNoSubmitInFlightIsLoggedAndTakenForNone) {
    LogIn();
    TransmitId("a");
    TransmitId("b");
    AnswerNextSubmit(400);
    AnswerNextSubmit(600);
    // Sequence 0x7777 was never used; a second answer for a decided submit is not either.
    link.Arrive(clock.ms + 200, SubmitResp("STRAY", 0, 0x7777));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);
    const std::vector<std::uint32_t> sequences = SubmitSequences();
    ASSERT_EQ(sequences.size(), 2u);
    EXPECT_TRUE(events.Logged("Unexpected submit response for sequence 00007777"));
    const std::map<std::string, std::string> outcome = OutcomeOf();
    EXPECT_EQ(outcome.at("a"), "sent:a:C" + std::to_string(sequences[0]));
    EXPECT_EQ(outcome.at("b"), "sent:b:C" + std::to_string(sequences[1]));
    EXPECT_EQ(events.outcomes.size(), 2u);
}

TEST_F(WindowTest, ALinkDroppingWithAFullWindowGivesEveryUnansweredMessageBackOnce) {
    fields.values["eWindow"] = "6";
    LogIn();
    for (int i = 0; i < 6; ++i)
        TransmitId("d" + std::to_string(i));
    AnswerNextSubmit(100);
    AnswerNextSubmit(150);
    link.CloseAt(clock.ms + 400);
    client.ThreadLoop(link);
    // The link's owner fails what is left once more when it hears of the end: nothing is.
    client.FailInFlight();

    EXPECT_TRUE(client.reconnect);
    EXPECT_TRUE(events.Logged("Connection to the smpp server lost"));
    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 6u);
    EXPECT_EQ(outcome.at("d0").substr(0, 5), "sent:");
    EXPECT_EQ(outcome.at("d1").substr(0, 5), "sent:");
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(outcome.at("d" + std::to_string(i)), "failed:d" + std::to_string(i));
    // Submitted and unanswered: the centre may have them, and gets them again later.
    EXPECT_EQ(SubmitSequences().size(), 6u);
    EXPECT_FALSE(client.busy);
}

TEST_F(WindowTest, AMessageNotSubmittedWhenTheLinkDropsWaitsForTheNextLink) {
    fields.values["eRateCap"] = "2";
    LogIn();
    for (int i = 0; i < 3; ++i)
        TransmitId("r" + std::to_string(i));
    AnswerNextSubmit(100);
    link.CloseAt(clock.ms + 700);
    client.ThreadLoop(link);
    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 3u);
    EXPECT_EQ(outcome.at("r0").substr(0, 8), "sent:r0:");
    EXPECT_EQ(outcome.at("r1"), "failed:r1");  // submitted at 500 ms, never answered
    EXPECT_EQ(outcome.at("r2"), "handed back:r2");
}

TEST_F(WindowTest, EverySubmitHasItsOwnTimeout) {
    fields.values["eWindow"] = "3";
    LogIn();
    TransmitId("t0");
    AnswerNextSubmit(100);
    TransmitId("t1");
    link.AnswerWhen(
        IsCommand(kSubmitSm), [](std::string_view) { return std::string(); }, 100);
    TransmitId("t2");
    AnswerNextSubmit(15000);
    // Traffic keeps the link alive meanwhile: the timeout is the submit's, not the line's.
    for (int s = 2; s < 30; s += 2)
        link.Arrive(clock.ms + s * 1000,
                    Deliver(0x100 + static_cast<std::uint32_t>(s), "+3630222", "3620111", "keep"));
    client.ThreadLoop(link);

    const std::map<std::string, std::string> outcome = OutcomeOf();
    ASSERT_EQ(outcome.size(), 3u);
    EXPECT_EQ(outcome.at("t0").substr(0, 8), "sent:t0:");
    EXPECT_EQ(outcome.at("t2").substr(0, 8), "sent:t2:");
    EXPECT_EQ(outcome.at("t1"), "failed:t1");
    EXPECT_TRUE(events.Logged("Submit timeout.  t1"));
    EXPECT_EQ(link.closedByClient, 1);
    EXPECT_TRUE(client.reconnect);
}

TEST_F(WindowTest, TheRateCapHoldsOverTenSecondsAndSequenceNumbersRunPast255) {
    fields.values["eWindow"] = "100";
    fields.values["eRateCap"] = "40";
    LogIn();
    // The engine keeps the window full: each answered message makes room for the next.
    int handedOver = 0;
    const auto handOver = [&] {
        TransmitId("x" + std::to_string(handedOver++));
        AnswerNextSubmit(30);
    };
    for (int i = 0; i < 100; ++i)
        handOver();
    StopAt(clock.ms + 12'000);
    const long long start = clock.ms;
    // Refill from the outcomes as they come, between the loop's passes.
    for (long long at = start + 50; at < start + 12'000; at += 50) {
        clock.At(at, [&] {
            while (handedOver - static_cast<int>(events.byId.size()) < 100)
                handOver();
        });
    }
    client.ThreadLoop(link);

    std::vector<long long> times;
    for (const auto& w : link.written) {
        if (CommandOf(w.bytes) == kSubmitSm)
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
    const std::vector<std::uint32_t> sequences = SubmitSequences();
    EXPECT_GT(*std::max_element(sequences.begin(), sequences.end()), 255u);
    EXPECT_EQ(std::set<std::uint32_t>(sequences.begin(), sequences.end()).size(), sequences.size());
}

TEST_F(WindowTest, WithoutACapTheWindowFillsAtOnce) {
    fields.values["eWindow"] = "100";
    LogIn();
    for (int i = 0; i < 100; ++i) {
        TransmitId("f" + std::to_string(i));
        AnswerNextSubmit(50);
    }
    StopAt(clock.ms + 2000);
    const long long start = clock.ms;
    client.ThreadLoop(link);
    ASSERT_EQ(SubmitSequences().size(), 100u);
    int beforeFirstAnswer = 0;
    for (const auto& w : link.written)
        beforeFirstAnswer += CommandOf(w.bytes) == kSubmitSm && w.atMs < start + 50 ? 1 : 0;
    EXPECT_EQ(beforeFirstAnswer, 100);
    EXPECT_EQ(OutcomeOf().size(), 100u);
    // Per-message lines are traffic with a window, not events for the engine's log.
    EXPECT_EQ(events.CountStartingWith("Message sent. "), 0);
}

}  // namespace
}  // namespace nimbra::smpp::testing
