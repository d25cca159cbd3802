// Busy answers from the centre (ESME_RTHROTTLED, ESME_RMSGQFUL, ESME_RSYSERR): the message
// goes back untried, submits pause with a growing back-off, and the engine hears when the
// device takes nothing and when it takes messages again.
#include <gtest/gtest.h>

#include <utility>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

class Throttling : public LinkTest {
protected:
    // The centre is busy for `busyAnswers` submits, then accepts; the engine hands the
    // message back to the device whenever the device can send again.
    void RunWithBusyAnswers(int busyAnswers, std::uint32_t status = 0x58) {
        LogIn();
        for (int i = 0; i < busyAnswers; ++i)
            AnswerSubmit("", status);
        AnswerSubmit("ACCEPTED");
        AnswerEnquireLinks(10);
        events.onCanSend = [this] {
            if (!events.outcomes.empty() && events.outcomes.back() == "handed back")
                Transmit("x");
        };
        Transmit("x");
        StopOnceSent();
        client.ThreadLoop(link);
    }
    void StopOnceSent() {
        clock.At(clock.ms + 500, [this] {
            if (!events.outcomes.empty() && events.outcomes.back().starts_with("sent:"))
                client.stop = true;
            else
                StopOnceSent();
        });
    }
    std::vector<long long> SubmitTimes() const {
        std::vector<long long> times;
        for (const auto& w : link.written) {
            if (CommandOf(w.bytes) == kSubmitSm)
                times.push_back(w.atMs);
        }
        return times;
    }
};

// The whole back-off on the fake clock: 1, 2, 4, 8, 16, 30 and 30 seconds from each busy
// answer (100 ms after its submit) to the next submit, which the next quiet pass sends.
TEST_F(Throttling, PausesDoubleFromOneSecondToThirty) {
    RunWithBusyAnswers(7);

    const std::vector<long long> submits = SubmitTimes();
    ASSERT_EQ(submits.size(), 8u);
    const int steps[] = {1, 2, 4, 8, 16, 30, 30};
    for (std::size_t i = 0; i < 7; ++i) {
        const long long pause = submits[i + 1] - (submits[i] + 100);
        EXPECT_GE(pause, steps[i] * 1000LL) << "after busy answer " << i + 1;
        EXPECT_LT(pause, steps[i] * 1000LL + 1000) << "after busy answer " << i + 1;
    }
    // Handed back every time, never failed: no retry of the message is used.
    std::vector<std::string> outcomes(7, "handed back");
    outcomes.push_back("sent:ACCEPTED");
    EXPECT_EQ(events.outcomes, outcomes);
    std::vector<std::string> infos;
    for (int i = 0; i < 7; ++i) {
        infos.push_back("cansend=0");
        infos.push_back("cansend=1");
    }
    EXPECT_EQ(events.infos, infos);
    EXPECT_EQ(events.Count("The smpp server is busy (0x00000058 ESME_RTHROTTLED); submits pause "
                           "for 30 s"),
              2);
    EXPECT_FALSE(client.busy);
}

TEST_F(Throttling, StepsComeFromTheSetting) {
    fields.Set("eThrottleSteps", "2, 5");
    RunWithBusyAnswers(3, 0x14);

    const std::vector<long long> submits = SubmitTimes();
    ASSERT_EQ(submits.size(), 4u);
    const int steps[] = {2, 5, 5};
    for (std::size_t i = 0; i < 3; ++i) {
        const long long pause = submits[i + 1] - (submits[i] + 100);
        EXPECT_GE(pause, steps[i] * 1000LL);
        EXPECT_LT(pause, steps[i] * 1000LL + 1000);
    }
}

TEST(ThrottleSteps, ParsedWithTheDefaultForAnythingElse) {
    const struct {
        const char* text;
        std::vector<int> steps;
    } cases[] = {
        {"1,2,4,8,16,30", {1, 2, 4, 8, 16, 30}},
        {"3", {3}},
        {" 2, 5 ", {2, 5}},
        {"", {1, 2, 4, 8, 16, 30}},
        {"1,x", {1, 2, 4, 8, 16, 30}},
        {"0,5", {1, 2, 4, 8, 16, 30}},
        {"-1", {1, 2, 4, 8, 16, 30}},
        {"3601", {1, 2, 4, 8, 16, 30}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSteps(c.text), c.steps) << c.text;
}

TEST(BindRetry, FifteenSecondsDoublingToFiveMinutes) {
    std::vector<int> seconds;
    for (int failures = 1; failures <= 8; ++failures)
        seconds.push_back(BindRetrySeconds(failures));
    EXPECT_EQ(seconds, (std::vector<int>{15, 30, 60, 120, 240, 300, 300, 300}));
}

// An accepted submit starts the back-off from its first step again.
TEST_F(LinkTest, AnAcceptedSubmitResetsTheBackoff) {
    LogIn();
    AnswerSubmit("", 0x58);
    AnswerSubmit("FIRST");
    AnswerSubmit("", 0x58);
    events.onCanSend = [this, resent = false]() mutable {
        if (!std::exchange(resent, true))
            Transmit("again");
    };
    Transmit("x");
    clock.At(clock.ms + 2500, [this] { Transmit("second"); });
    StopAt(clock.ms + 6000);
    client.ThreadLoop(link);

    EXPECT_EQ(events.Count("The smpp server is busy (0x00000058 ESME_RTHROTTLED); submits pause "
                           "for 1 s"),
              2);
    EXPECT_EQ(events.outcomes,
              (std::vector<std::string>{"handed back", "sent:FIRST", "handed back"}));
}

}  // namespace
}  // namespace nimbra::smpp::testing
