// A window of submits through the real engine, the real smpp driver and the simulator: the
// driver tells the engine its window, submits several messages without waiting for each
// response, and every message reaches Sent Items exactly once.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "smpp_end_to_end_fixture.h"

namespace nimbra::testing_support {
namespace {

// The most messages the driver's log shows going out one after the other with no outcome
// logged in between: how many were in flight at once.
int LongestRunOfSubmits(const std::string& log) {
    std::istringstream lines(log);
    int longest = 0;
    int run = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Outgoing message") != std::string::npos)
            longest = std::max(longest, ++run);
        else if (line.find("Message sent.") != std::string::npos)
            run = 0;
    }
    return longest;
}

class SmppWindowTest : public SmppEndToEndTest {};

TEST_F(SmppWindowTest, ThirtyMessagesWithAWindowOfTenReachSentItemsOnceEach) {
    // The debug operator name puts the traffic in the driver's log.
    ASSERT_TRUE(StartAll({}, {{"eWindow", "10"}, {"eOperator", "debug:on"}}));

    const std::vector<std::string> ids = SendNumberedMessages(30, "Window message");
    ASSERT_EQ(ids.size(), 30u);
    ExpectSentOnceEach(ids, "Window message");

    EXPECT_EQ(simulator->Count("submits"), 30);
    EXPECT_GE(LongestRunOfSubmits(DriverLog()), 2) << DriverLog();
}

}  // namespace
}  // namespace nimbra::testing_support
