// A window of submits through the real engine, the real cimd driver and the simulator, both
// speaking standard CIMD2: the driver tells the engine its window, submits several messages
// without waiting for each answer, and every message reaches Sent Items exactly once.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cimd_end_to_end.h"

namespace nimbra::testing_support {
namespace {

// The most submits the driver wrote one after the other, with no packet from the centre
// read in between, as its communication log shows them.
int LongestRunOfSubmits(const std::string& log) {
    std::istringstream lines(log);
    int longest = 0;
    int run = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("<- <stx>03:") != std::string::npos) {
            longest = std::max(longest, ++run);
        } else if (line.find("-> ") != std::string::npos) {
            run = 0;
        }
    }
    return longest;
}

class CimdWindowTest : public CimdEndToEndTest {};

TEST_F(CimdWindowTest, ThirtyMessagesWithAWindowOfTenReachSentItemsOnceEach) {
    // The debug operator name puts the traffic in the driver's log.
    ASSERT_TRUE(
        StartAll({"--stx"}, {{"cbStx", "0"}, {"eWindow", "10"}, {"eOperator", "debug:on"}}));
    ASSERT_TRUE(WaitForDriverLog("Successful login")) << DriverLog();

    const std::vector<std::string> ids = SendNumberedMessages(30, "Window message");
    ASSERT_EQ(ids.size(), 30u);
    ExpectSentOnceEach(ids, "Window message");

    EXPECT_EQ(simulator->Count("submits"), 30);
    EXPECT_GE(LongestRunOfSubmits(DriverLog()), 2) << DriverLog();
    EXPECT_EQ(DriverLog().find("Unexpected submit response"), std::string::npos) << DriverLog();
    EXPECT_EQ(simulator->Log().find("ignored:"), std::string::npos) << simulator->Log();
}

}  // namespace
}  // namespace nimbra::testing_support
