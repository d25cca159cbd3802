#include "messageboxnotifier.h"

#include <thread>

#include <gtest/gtest.h>

#include "recording_notifier.h"

namespace nimbra {
namespace {

// The tests run on the offscreen platform, where nobody could answer a box: messages must
// reach the fallback instead of blocking.
TEST(MessageBoxNotifierTest, WithoutADisplayMessagesGoToTheFallback) {
    EXPECT_FALSE(MessageBoxNotifier::DisplayAvailable());
    testing_support::RecordingNotifier fallback;
    MessageBoxNotifier notifier(&fallback);
    notifier.ShowMessage("Languages file not found");
    std::thread([&] { notifier.ShowMessage("from a worker"); }).join();
    EXPECT_EQ(fallback.messages,
              (std::vector<std::string>{"Languages file not found", "from a worker"}));
}

}  // namespace
}  // namespace nimbra
