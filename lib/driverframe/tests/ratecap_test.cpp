// The cap on messages a second and the window and rate settings, on a clock the test moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ratecap.h"

namespace nimbra::driver {
namespace {

// Sends whenever the cap allows, stepping the clock a millisecond at a time, and counts the
// messages that went in each second.
std::vector<int> PerSecond(int rate, int seconds) {
    RateCap cap;
    cap.SetRate(rate);
    std::vector<int> counts(static_cast<std::size_t>(seconds), 0);
    for (long long ms = 0; ms < seconds * 1000LL; ++ms) {
        while (cap.MayGo(ms)) {
            cap.Went(ms);
            ++counts[static_cast<std::size_t>(ms / 1000)];
            if (rate == 0 && counts[static_cast<std::size_t>(ms / 1000)] > 5)
                break;
        }
    }
    return counts;
}

TEST(RateCap, EverySecondCarriesTheRate) {
    for (int rate : {1, 3, 7, 50, 333, 1000, 2500}) {
        int total = 0;
        for (int count : PerSecond(rate, 10)) {
            EXPECT_GE(count, rate - 1) << rate;
            EXPECT_LE(count, rate + 1) << rate;
            total += count;
        }
        EXPECT_LE(total, rate * 10 + 1) << rate;
        EXPECT_GE(total, rate * 10 - 1) << rate;
    }
}

TEST(RateCap, NoCapLetsEverythingGo) {
    RateCap cap;
    EXPECT_TRUE(cap.MayGo(0));
    cap.Went(0);
    EXPECT_TRUE(cap.MayGo(0));
    EXPECT_EQ(cap.WaitMs(0), 0);
}

TEST(RateCap, AQuietSpellSavesNothingUp) {
    RateCap cap;
    cap.SetRate(10);
    cap.Went(0);
    EXPECT_EQ(cap.WaitMs(0), 100);
    EXPECT_EQ(cap.WaitMs(60), 40);
    // After a minute of silence the next goes at once, the one after it 100 ms later.
    EXPECT_TRUE(cap.MayGo(60'000));
    cap.Went(60'000);
    EXPECT_FALSE(cap.MayGo(60'050));
    EXPECT_TRUE(cap.MayGo(60'100));
}

TEST(LinkSettings, WindowAndRateFieldsAreWholeNumbersInRange) {
    struct Case {
        std::string text;
        int window;
        int rate;
    };
    const std::vector<Case> cases = {
        {"", 1, 0},        {"0", 1, 0},       {"1", 1, 1},           {"10", 10, 10},
        {"100", 100, 100}, {"101", 1, 101},   {"x", 1, 0},           {"-3", 1, 0},
        {" 7", 1, 0},      {"1234567", 1, 0}, {"100000", 1, 100000}, {"100001", 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinkWindow(c.text), c.window) << c.text;
        EXPECT_EQ(LinkRateCap(c.text), c.rate) << c.text;
    }
}

}  // namespace
}  // namespace nimbra::driver
