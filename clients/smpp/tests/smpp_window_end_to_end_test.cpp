// A window of submits through the real engine, the real smpp driver and the simulator: the
// driver tells the engine its window, submits several messages without waiting for each
// response, and every message reaches Sent Items exactly once.

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QString>
#include <QVariant>

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

    std::vector<std::string> ids;
    for (int i = 0; i < 30; ++i) {
        TGsmSms record;
        record.receiver = "+36201" + std::to_string(10000 + i);
        record.text = "Window message " + std::to_string(i);
        QVariant message = QString::fromStdString(record.ToText());
        ids.push_back(client->sendMessage(message).toString().toStdString());
        ASSERT_FALSE(ids.back().empty());
    }
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return std::all_of(ids.begin(), ids.end(), [&](const auto& id) { return Sent(id); });
        },
        kTimeoutMs))
        << DriverLog();

    // Each once in Sent Items, none left in the Outbox.
    std::map<std::string, int> filesOf;
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            filesOf = FilesPerId(Folder("Sent Items"), ids);
            return std::all_of(filesOf.begin(), filesOf.end(),
                               [](const auto& entry) { return entry.second >= 1; });
        },
        kTimeoutMs));
    for (const auto& [id, count] : filesOf)
        EXPECT_EQ(count, 1) << id;
    for (const std::string& id : ids)
        EXPECT_EQ(sent.count(QString::fromStdString(id)), 1) << id;
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return FileHolding(Folder("Outbox"), "Window message").empty(); }, kTimeoutMs));

    EXPECT_EQ(simulator->Count("submits"), 30);
    EXPECT_GE(LongestRunOfSubmits(DriverLog()), 2) << DriverLog();
}

}  // namespace
}  // namespace nimbra::testing_support
