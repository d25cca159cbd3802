// Devices that take several messages at once: the window they tell, how many a tick hands
// them, answers matched by message id in any order, and the fast tick.
#include <algorithm>
#include <string>
#include <vector>

#include "engine_fixture.h"

namespace nimbra::testing_support {
namespace {

class WindowTest : public EngineTest {
protected:
    void SetUp() override {
        StartEngine();
        StartServer();
    }
    std::vector<std::string> Queue(int count) {
        std::vector<std::string> ids;
        for (int i = 0; i < count; ++i)
            ids.push_back(QueueOutgoing("+4470090" + std::to_string(1000 + i),
                                        "message " + std::to_string(i)));
        return ids;
    }
    int BusyInOutbox() const {
        int busy = 0;
        for (int i = 0; i < Folder(SystemFolder::Outbox).Count(); ++i)
            busy += Folder(SystemFolder::Outbox).At(i).IsBusy() ? 1 : 0;
        return busy;
    }
};

TEST_F(WindowTest, ADeviceWithAWindowIsFilledInOneTickAndRefilledAsItAnswers) {
    Device& device = AddDevice();
    device.phone->sendInfo("window", "25");
    const std::vector<std::string> ids = Queue(40);

    Tick();
    ASSERT_EQ(device.sink->transmitted.size(), 25u);
    EXPECT_EQ(device.phone->sendState, kSending);
    EXPECT_EQ(BusyInOutbox(), 25);
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 25u);

    // Answers in another order than the hand-overs, each for its own message.
    device.phone->sendSuccess(ids[7], "+447000000");
    device.phone->sendFailed(ids[3], "could not transmit");
    device.phone->sendSuccess(ids[20], "+447000000");
    host.RunPosted();
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 2u);
    EXPECT_EQ(FilesIn("SysFolders/Waiting for resend"), 1u);
    EXPECT_EQ(device.phone->HeldCount(), 22);
    // Exactly the answered messages left the Outbox.
    std::vector<std::string> left = ids;
    for (int i = 0; i < Folder(SystemFolder::Outbox).Count(); ++i)
        std::erase(left, Folder(SystemFolder::Outbox).At(i).messageId);
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = {ids[3], ids[7], ids[20]};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);

    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 28u);
    EXPECT_EQ(device.phone->HeldCount(), 25);
}

TEST_F(WindowTest, DesignedDevicesStillTakeOneAndTenATick) {
    std::vector<Device*> designed;
    for (int i = 0; i < 12; ++i)
        designed.push_back(&AddDevice());
    Queue(30);
    Tick();
    int transmitted = 0;
    for (Device* device : designed) {
        EXPECT_LE(device->sink->transmitted.size(), 1u);
        transmitted += static_cast<int>(device->sink->transmitted.size());
    }
    EXPECT_EQ(transmitted, 10);
    EXPECT_EQ(engine->SendTimer().Interval(), 1000);
}

TEST_F(WindowTest, AWindowThatIsNotOneKeepsTheDevicesOwn) {
    Device& device = AddDevice();
    device.phone->sendInfo("window", "5");
    for (const char* bad : {"0", "101", "many", ""})
        device.phone->sendInfo("window", bad);
    EXPECT_EQ(device.phone->Window(), 5);
    device.phone->sendInfo("window", "1");
    Queue(3);
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 1u);
}

TEST_F(WindowTest, ALeavingDeviceGivesBackItsWholeWindowOnce) {
    Device& device = AddDevice();
    device.phone->sendInfo("window", "10");
    const std::vector<std::string> ids = Queue(10);
    Tick();
    ASSERT_EQ(device.sink->transmitted.size(), 10u);
    device.phone->sendSuccess(ids[0], "+447000000");
    device.phone->Release();
    EXPECT_EQ(BusyInOutbox(), 0);
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 9);
    // Taken by the next device in full, retries untouched.
    Device& next = AddDevice();
    next.phone->sendInfo("window", "10");
    Tick();
    EXPECT_EQ(next.sink->transmitted.size(), 9u);
    for (int i = 0; i < Folder(SystemFolder::Outbox).Count(); ++i)
        EXPECT_EQ(Folder(SystemFolder::Outbox).At(i).retriesLeft, 5);
}

class FastTickTest : public EngineTest {
protected:
    void SetUp() override {
        WriteOption("eFastSendTickMs", "5");
        StartEngine();
        StartServer();
    }
};

TEST_F(FastTickTest, TicksComeFastWhileMessagesWaitAndEverySecondOtherwise) {
    Device& device = AddDevice();
    device.phone->sendInfo("window", "2");
    const std::string first = QueueOutgoing("+447009001", "one");
    const std::string second = QueueOutgoing("+447009002", "two");
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 2u);
    EXPECT_EQ(engine->SendTimer().Interval(), 5);
    device.phone->sendSuccess(first, "+447000000");
    device.phone->sendSuccess(second, "+447000000");
    host.RunPosted();
    SecondsLater(0.005);
    Tick();
    EXPECT_EQ(engine->SendTimer().Interval(), 1000);
}

}  // namespace
}  // namespace nimbra::testing_support
