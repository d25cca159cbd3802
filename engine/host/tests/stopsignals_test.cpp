#include "stopsignals.h"

#include <csignal>

#include <gtest/gtest.h>

#include "event_wait.h"

namespace nimbra {
namespace {

using testing_support::ProcessEventsUntil;

bool HasDefaultHandling(int signalNumber) {
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

// Each signal is tested in a process of its own (ctest runs every test alone), since the
// second one would end the process.
class StopSignalsTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalsTest, ASignalBecomesOneCallOnTheEventLoop) {
    int stops = 0;
    StopSignals stopSignals([&] { ++stops; });
    ASSERT_TRUE(stopSignals.IsActive());
    ASSERT_FALSE(HasDefaultHandling(GetParam()));
    ::raise(GetParam());
    EXPECT_EQ(stops, 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return stops > 0; }, 2000));
    EXPECT_EQ(stops, 1);
    // A second signal would end the program at once.
    EXPECT_TRUE(HasDefaultHandling(SIGINT));
    EXPECT_TRUE(HasDefaultHandling(SIGTERM));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalsTest, ::testing::Values(SIGINT, SIGTERM));

}  // namespace
}  // namespace nimbra
