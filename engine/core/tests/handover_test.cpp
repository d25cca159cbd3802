// Messages a device holds when it goes away: a device that leaves the bus gives back every
// message it has not answered for; one that only falls silent keeps them.
#include <algorithm>
#include <string>
#include <vector>

#include "engine_fixture.h"

namespace nimbra::testing_support {
namespace {

class HandOverTest : public EngineTest {
protected:
    void SetUp() override {
        StartEngine();
        StartServer();
    }
    const TSms& OnlyOutboxMessage() const {
        EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
        return Folder(SystemFolder::Outbox).At(0);
    }
};

enum class Gone { LeftTheBus, HeartbeatLapsed };

class DeviceGoneTest : public HandOverTest, public testing::WithParamInterface<Gone> {
protected:
    void Go(Device& device) {
        if (GetParam() == Gone::LeftTheBus) {
            device.phone->Release();
            return;
        }
        SecondsLater(120);
        engine->CheckDevices();
        EXPECT_EQ(device.phone->connState, kNotConnected);
    }
};

TEST_P(DeviceGoneTest, OnlyADeviceThatLeftGivesItsMessageToTheNextOne) {
    RecordingClient& client = AddClient();
    Device& first = AddDevice("smpp", "NetA");
    first.phone->deviceInfo("Successful login");
    const std::string id = QueueOutgoing("+447009001", "hold me");
    const int retries = Folder(SystemFolder::Outbox).At(0).retriesLeft;
    Tick();
    ASSERT_EQ(first.sink->transmitted.size(), 1u);
    ASSERT_TRUE(OnlyOutboxMessage().IsBusy());
    client.events.clear();

    Go(first);
    // A device of another operator is ready now; the message asked for no operator.
    Device& second = AddDevice("cimd", "NetB");
    Tick();

    const TSms& message = OnlyOutboxMessage();
    EXPECT_EQ(message.retriesLeft, retries);
    EXPECT_TRUE(client.events.empty());
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 1u);
    if (GetParam() == Gone::HeartbeatLapsed) {
        EXPECT_TRUE(message.IsBusy());
        EXPECT_TRUE(second.sink->transmitted.empty());
        return;
    }
    ASSERT_EQ(second.sink->transmitted.size(), 1u);
    EXPECT_EQ(second.sink->transmitted[0].messageId, id);
    EXPECT_EQ(message.operatorName, "NetB");
    EXPECT_TRUE(PaneContains("[smpp1] left without answering; back in the Outbox: "));
    second.phone->sendSuccess(id, "+447000000");
    host.RunPosted();
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 1u);
    EXPECT_EQ(client.events, std::vector<std::string>{"MessageSent:" + id});
}

INSTANTIATE_TEST_SUITE_P(Ways, DeviceGoneTest,
                         testing::Values(Gone::LeftTheBus, Gone::HeartbeatLapsed),
                         [](const testing::TestParamInfo<Gone>& way) {
                             return way.param == Gone::LeftTheBus ? "LeftTheBus"
                                                                  : "HeartbeatLapsed";
                         });

TEST_F(HandOverTest, EveryUnansweredMessageComesBackAndAnsweredOnesStayAnswered) {
    Device& device = AddDevice();
    const std::string sent = QueueOutgoing("+447009001", "answered");
    const std::string busy = QueueOutgoing("+447009002", "phone busy");
    const std::string held = QueueOutgoing("+447009003", "held");
    const std::string alsoHeld = QueueOutgoing("+447009004", "also held");
    // The driver says it is ready again after each hand-over, so it takes all four.
    device.sink->answer = [&device](const TGsmSms&) { device.phone->connectionSuccess(); };
    Tick();
    ASSERT_EQ(device.sink->transmitted.size(), 4u);
    device.sink->answer = nullptr;
    device.phone->sendSuccess(sent, "+447000000");
    device.phone->sendFailed(busy, "phone busy");
    ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 3);

    device.phone->Release();
    device.phone->Release();  // the object goes after its owner left: nothing more happens
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 1u);
    std::vector<std::string> free;
    for (int i = 0; i < Folder(SystemFolder::Outbox).Count(); ++i) {
        const TSms& message = Folder(SystemFolder::Outbox).At(i);
        if (!message.IsBusy())
            free.push_back(message.messageId);
    }
    EXPECT_EQ(free.size(), 3u);
    EXPECT_EQ(std::count(free.begin(), free.end(), held), 1);
    EXPECT_EQ(std::count(free.begin(), free.end(), alsoHeld), 1);
    EXPECT_EQ(std::count(free.begin(), free.end(), busy), 1);
}

TEST_F(HandOverTest, AMessageOfAnOperatorStaysWithThatOperator) {
    Device& first = AddDevice("smpp", "NetA");
    auto message = std::make_unique<TSms>(engine->Sms());
    message->SetTo("+447009001");
    message->text = "for NetA only";
    message->operatorName = "NetA";
    TSms::QueueForSending(std::move(message), Folder(SystemFolder::Outbox));
    Tick();
    ASSERT_EQ(first.sink->transmitted.size(), 1u);

    first.phone->Release();
    Device& other = AddDevice("cimd", "NetB");
    Tick();
    EXPECT_TRUE(other.sink->transmitted.empty());
    EXPECT_FALSE(OnlyOutboxMessage().IsBusy());
    Device& again = AddDevice("smpp", "NetA");
    Tick();
    EXPECT_EQ(again.sink->transmitted.size(), 1u);
}

}  // namespace
}  // namespace nimbra::testing_support
