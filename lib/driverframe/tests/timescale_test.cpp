#include "timescale.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "realclock.h"

namespace nimbra::driver {
namespace {

TEST(TimeScale, OnlyAFactorAboveZeroAndAtMostOneIsTaken) {
    struct Case {
        const char* text;
        std::optional<double> factor;
    };
    const Case cases[] = {
        {"0.1", 0.1},           {"1", 1.0},
        {"0.25", 0.25},         {"", std::nullopt},
        {"0", std::nullopt},    {"-0.5", std::nullopt},
        {"2", std::nullopt},    {"fast", std::nullopt},
        {"0.1s", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeScaleFromText(c.text), c.factor) << c.text;
        ::setenv(kTimeScaleVariable, c.text, 1);
        EXPECT_EQ(ProcessTimeScale(), c.factor.value_or(1.0)) << c.text;
    }
    ::unsetenv(kTimeScaleVariable);
    EXPECT_EQ(ProcessTimeScale(), 1.0);
}

TEST(TimeScale, WaitsShrinkButNeverVanish) {
    EXPECT_EQ(ScaledMs(15000, 0.2), 3000);
    EXPECT_EQ(ScaledMs(15000, 1.0), 15000);
    EXPECT_EQ(ScaledMs(3, 0.1), 1);
    EXPECT_EQ(ScaledMs(0, 0.1), 0);
}

// The program's clock runs faster by the scale: ten times as many milliseconds pass on a
// clock scaled by 0.1 as on the plain one, whichever is read first.
TEST(TimeScale, TheScaledClockRunsFaster) {
    RealClock plain(1.0);
    RealClock fast(0.1);
    const long long plainBefore = plain.ElapsedMs();
    const long long fastBetween = fast.ElapsedMs();
    const long long plainAfter = plain.ElapsedMs();
    EXPECT_GE(fastBetween, 10 * plainBefore - 5);
    EXPECT_LE(fastBetween, 10 * plainAfter + 5);
    EXPECT_EQ(fast.Elapsed(), fast.ElapsedMs() / 1000);
}

}  // namespace
}  // namespace nimbra::driver
