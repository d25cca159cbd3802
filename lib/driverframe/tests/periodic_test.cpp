#include "periodic.h"

#include <gtest/gtest.h>

namespace nimbra::driver {
namespace {

TEST(Periodic, DueAtTheFirstAskingAndThenOncePerInterval) {
    Periodic hourly(3600000);
    const struct {
        long long nowMs;
        bool due;
    } steps[] = {{5000, true},    {5000, false},    {3604999, false},
                 {3605000, true}, {3605001, false}, {9000000, true}};
    for (const auto& step : steps)
        EXPECT_EQ(hourly.Due(step.nowMs), step.due) << step.nowMs;
}

}  // namespace
}  // namespace nimbra::driver
