// The pace of the scheduler: windows told by devices, the fast tick setting, the hand-overs a
// tick may make and when the next tick comes, on a clock the test moves.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sendpacing.h"

namespace nimbra {
namespace {

struct TextCase {
    std::string text;
    std::optional<int> window;
    int fastTickMs;
};

TEST(SendPacing, WindowsAndFastTicksAreWholeNumbersInRange) {
    const std::vector<TextCase> cases = {
        {"1", 1, 1},
        {"10", 10, 10},
        {"100", 100, 100},
        {"101", std::nullopt, 101},
        {"1000", std::nullopt, 1000},
        {"1001", std::nullopt, 0},
        {"0", std::nullopt, 0},
        {"", std::nullopt, 0},
        {"-5", std::nullopt, 0},
        {" 5", std::nullopt, 0},
        {"5x", std::nullopt, 0},
        {"99999999999", std::nullopt, 0},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(ParseWindow(c.text), c.window) << c.text;
        EXPECT_EQ(ParseFastTickMs(c.text), c.fastTickMs) << c.text;
    }
}

TEST(SendPacing, ATickHandsOverTenPlusTheRestOfEveryWindow) {
    EXPECT_EQ(SendPacing::HandOverLimit({}), 10);
    EXPECT_EQ(SendPacing::HandOverLimit({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}), 10);
    EXPECT_EQ(SendPacing::HandOverLimit({100}), 109);
    EXPECT_EQ(SendPacing::HandOverLimit({1, 10, 100}), 118);
    // A window out of range counts as the nearest one allowed.
    EXPECT_EQ(SendPacing::HandOverLimit({0, 500}), 109);
}

TEST(SendPacing, WithoutTheFastTickEveryTickIsASecondApart) {
    SendPacing pacing;
    EXPECT_FALSE(pacing.Fast());
    EXPECT_EQ(pacing.NextIntervalMs(0, true), 1000);
    EXPECT_EQ(pacing.NextIntervalMs(1000, false), 1000);
}

TEST(SendPacing, TheFastTickKeepsItsPaceWhileMessagesWait) {
    SendPacing pacing(5);
    long long now = 10'000;
    EXPECT_EQ(pacing.NextIntervalMs(now, true), 5);
    // A tick that took 3 ms of its 5 leaves 2 to the next one.
    now += 8;
    EXPECT_EQ(pacing.NextIntervalMs(now, true), 2);
    now += 2;
    EXPECT_EQ(pacing.NextIntervalMs(now, true), 5);
    // Far behind: the pace starts again from now instead of a burst of catching up.
    now += 100;
    EXPECT_EQ(pacing.NextIntervalMs(now, true), 5);
    // Nothing waits: the designed second, and the pace starts afresh afterwards.
    EXPECT_EQ(pacing.NextIntervalMs(now + 5, false), 1000);
    EXPECT_EQ(pacing.NextIntervalMs(now + 1005, true), 5);
}

TEST(SendPacing, ALateTickWithinItsIntervalIsFollowedAtOnce) {
    SendPacing pacing(10);
    EXPECT_EQ(pacing.NextIntervalMs(0, true), 10);
    EXPECT_EQ(pacing.NextIntervalMs(19, true), 1);
    EXPECT_EQ(pacing.NextIntervalMs(30, true), 0);
}

TEST(SendPacing, AClockSetBackNeverStretchesTheFastTick) {
    SendPacing pacing(5);
    EXPECT_EQ(pacing.NextIntervalMs(3'600'000, true), 5);
    EXPECT_EQ(pacing.NextIntervalMs(1'000, true), 5);
    EXPECT_EQ(pacing.NextIntervalMs(1'004, true), 5);
}

}  // namespace
}  // namespace nimbra
