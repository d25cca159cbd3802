// The outgoing scheduler with in-process devices: hand-overs, rejections, retries and the
// put-back cycle.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

class SchedulerTest : public EngineTest {
protected:
    void SetUp() override { StartEngine(); }

    int Transmitted() const {
        int count = 0;
        for (const Device& device : devices)
            count += static_cast<int>(device.sink->transmitted.size());
        return count;
    }
    // Fails the message the device holds with reason and puts failed messages back.
    void FailAndPutBack(Device& device, const std::string& reason) {
        device.phone->sendFailed(device.sink->transmitted.back().messageId, reason);
        host.RunPosted();
        engine->ResendFailedMessages();
        Tick();
    }
};

TEST_F(SchedulerTest, TwelveMessagesToTwelveIdleDevicesGoTenThenTwo) {
    for (int i = 0; i < 12; ++i)
        AddDevice();
    StartServer();
    for (int i = 0; i < 12; ++i)
        QueueOutgoing("+44700900" + std::to_string(100 + i), "hello " + std::to_string(i));

    Tick();
    EXPECT_EQ(Transmitted(), 10);
    Tick();
    EXPECT_EQ(Transmitted(), 12);
    // In Outbox order, first device first.
    EXPECT_EQ(devices[0].sink->transmitted.at(0).text, "hello 0");
    EXPECT_EQ(devices[11].sink->transmitted.at(0).text, "hello 11");
    EXPECT_EQ(devices[0].phone->sendState, kSending);
}

TEST_F(SchedulerTest, NothingMovesWhileStoppedOrWithoutReadyDevice) {
    QueueOutgoing("ab", "bad number");
    QueueOutgoing("+447009001", "");
    Tick();  // server stopped
    StartServer();
    Tick();  // no device
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 2);

    Device& device = AddDevice();
    device.phone->sendInfo("cansend", "0");
    Tick();
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 2);
    EXPECT_EQ(FilesIn("SysFolders/Could not be sent"), 0u);
}

TEST_F(SchedulerTest, InvalidNumberAndEmptyTextGoToCouldNotBeSentWhileADeviceIsReady) {
    StartServer();
    AddDevice();
    QueueOutgoing("ab", "bad number");
    QueueOutgoing("+447009001", "");
    QueueOutgoing("+447009002", "fine");
    Tick();

    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
    EXPECT_EQ(FilesIn("SysFolders/Could not be sent"), 2u);
    ASSERT_EQ(devices[0].sink->transmitted.size(), 1u);
    EXPECT_EQ(devices[0].sink->transmitted[0].text, "fine");
    const auto pane = PaneTexts();
    EXPECT_TRUE(std::any_of(pane.begin(), pane.end(), [](const std::string& line) {
        return line.find("[System] SMS_SEND_FAILED (Invalid Phone Number) ") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(pane.begin(), pane.end(), [](const std::string& line) {
        return line.find("[System] SMS_SEND_FAILED (Empty message)") != std::string::npos;
    }));
}

TEST_F(SchedulerTest, OperatorBoundMessageWaitsWithoutBlockingOthers) {
    StartServer();
    AddDevice("smpp", "Alpha");
    AddDevice("smpp", "Beta");
    auto message = std::make_unique<TSms>(engine->Sms());
    message->SetTo("+447009001");
    message->text = "for gamma";
    message->operatorName = "Gamma";
    TSms::QueueForSending(std::move(message), Folder(SystemFolder::Outbox));
    QueueOutgoing("+447009002", "any");
    QueueOutgoing("+447009003", "any too");

    Tick();
    EXPECT_EQ(devices[0].sink->transmitted.at(0).text, "any");
    EXPECT_EQ(devices[0].sink->transmitted.at(0).operatorName, "Alpha");
    EXPECT_EQ(devices[1].sink->transmitted.at(0).text, "any too");
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).text, "for gamma");
    EXPECT_FALSE(Folder(SystemFolder::Outbox).At(0).IsBusy());
}

TEST_F(SchedulerTest, SuccessFilesInSentItemsWithTheCentresReference) {
    RecordingClient& client = AddClient();
    StartServer();
    Device& device = AddDevice("smpp", "Alpha");
    const std::string id = QueueOutgoing("+447009001", "hi");
    Tick();
    device.phone->sendSuccess(id, "{+4470000},{1A2B}");
    host.RunPosted();

    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 0u);
    TSms* sent = engine->Queues().FindByMessageId(Folder(SystemFolder::SentItems), id);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->reference, "1A2B");
    EXPECT_EQ(sent->from, "+4470000");
    EXPECT_EQ(sent->operatorName, "Alpha");
    EXPECT_EQ(device.phone->sendState, kIdle);
    EXPECT_NE(std::find(client.events.begin(), client.events.end(), "MessageSent:" + id),
              client.events.end());
}

TEST_F(SchedulerTest, AnswerForAnUnknownMessageOnlyMakesTheDeviceIdle) {
    StartServer();
    Device& device = AddDevice();
    QueueOutgoing("+447009001", "hi");
    Tick();
    device.phone->sendSuccess("no such id", "");
    EXPECT_EQ(device.phone->sendState, kIdle);
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
}

struct RetryCase {
    const char* retries;
    int failuresUntilGivenUp;
};

class RetryTest : public SchedulerTest, public testing::WithParamInterface<RetryCase> {
protected:
    void SetUp() override {}
};

TEST_P(RetryTest, MessageIsGivenUpAfterItsRetries) {
    WriteOption("eSendRetries", GetParam().retries);
    StartEngine();
    RecordingClient& client = AddClient();
    StartServer();
    Device& device = AddDevice();
    const std::string id = QueueOutgoing("+447009001", "try me");
    Tick();
    for (int failure = 1; failure < GetParam().failuresUntilGivenUp; ++failure) {
        FailAndPutBack(device, "no answer");
        ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 1) << "failure " << failure;
        ASSERT_EQ(device.sink->transmitted.size(), static_cast<std::size_t>(failure + 1));
    }
    device.phone->sendFailed(id, "no answer");
    host.RunPosted();

    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
    EXPECT_EQ(Folder(SystemFolder::WaitingForResend).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Could not be sent"), 1u);
    // "Will retry" after every failure but the last, which deletes the message.
    std::vector<std::string> expected{"ServerStarted"};
    expected.insert(expected.end(), GetParam().failuresUntilGivenUp - 1, "Error1:" + id);
    expected.push_back("MessageDeleted:" + id);
    EXPECT_EQ(client.events, expected);
}

INSTANTIATE_TEST_SUITE_P(Retries, RetryTest, testing::Values(RetryCase{"0", 1}, RetryCase{"5", 6}));

TEST_F(SchedulerTest, PhoneBusyKeepsTheRetryCount) {
    StartServer();
    Device& device = AddDevice();
    const std::string id = QueueOutgoing("+447009001", "busy line");
    const int retries = Folder(SystemFolder::Outbox).At(0).retriesLeft;
    Tick();
    device.phone->sendFailed(id, "phone busy");

    ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).retriesLeft, retries);
    EXPECT_FALSE(Folder(SystemFolder::Outbox).At(0).IsBusy());
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 1u);
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 2u);
}

TEST_F(SchedulerTest, TwentyFiveWaitingMessagesReturnAsTwentyThenFive) {
    for (int i = 0; i < 25; ++i) {
        auto message = std::make_unique<TSms>(engine->Sms());
        message->SetTo("+44700900" + std::to_string(100 + i));
        message->text = "retry";
        Folder(SystemFolder::WaitingForResend).Add(std::move(message));
    }
    StartServer();
    ManualTimer& putBack = dynamic_cast<ManualTimer&>(engine->PutBackTimer());
    EXPECT_EQ(putBack.Interval(), 60000);

    Tick();
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
    putBack.Fire();
    EXPECT_FALSE(putBack.IsActive());
    Tick();
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 20);
    EXPECT_EQ(Folder(SystemFolder::WaitingForResend).Count(), 5);
    EXPECT_TRUE(putBack.IsActive());
    Tick();
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 20);
    putBack.Fire();
    Tick();
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 25);
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 25u);
    EXPECT_EQ(FilesIn("SysFolders/Waiting for resend"), 0u);
}

TEST_F(SchedulerTest, AFailedCopyLeavesTheMessageWhereItWas) {
    StartServer();
    Device& device = AddDevice();
    const std::string id = QueueOutgoing("+447009001", "keep me");
    Tick();
    // Sent Items can no longer take files: the copy cannot be written.
    const fs::path sentItems = home / "SysFolders" / "Sent Items";
    fs::remove_all(sentItems);
    { std::ofstream(sentItems) << "not a folder"; }

    device.phone->sendSuccess(id, "+4470000");
    EXPECT_EQ(device.phone->sendState, kIdle);
    ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 1u);
    EXPECT_TRUE(Folder(SystemFolder::Outbox).At(0).FileExists());
}

TEST_F(SchedulerTest, OutgoingFilterSignsAgainOnEveryAttempt) {
    static const auto sign = [](const char* text) -> const char* {
        static std::string signed_;
        signed_ = std::string(text) + " -- sig";
        return signed_.c_str();
    };
    FilterEntries entries;
    entries.filterMessage = +sign;
    host.libraries["sign.so"] = entries;
    { std::ofstream(home / "OutFilters" / "sign.so") << "library"; }
    engine->Options().filterOut = "sign.so";
    engine->OutgoingFilter().Load("sign.so");
    StartServer();
    Device& device = AddDevice();
    QueueOutgoing("+447009001", "hello");
    Tick();
    EXPECT_EQ(device.sink->transmitted.at(0).text, "hello -- sig");
    FailAndPutBack(device, "no answer");
    EXPECT_EQ(device.sink->transmitted.at(1).text, "hello -- sig -- sig");
}

TEST_F(SchedulerTest, DeviceAnsweringAtOnceIsServedUpToTenTimesATick) {
    StartServer();
    Device& device = AddDevice();
    device.sink->answer = [&device](const TGsmSms& sms) {
        device.phone->sendSuccess(sms.messageId, "+4470000");
    };
    for (int i = 0; i < 12; ++i)
        QueueOutgoing("+44700900" + std::to_string(100 + i), "at once " + std::to_string(i));
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 10u);
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 2);
    Tick();
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 12u);
    EXPECT_EQ(device.sink->transmitted.back().text, "at once 11");
}

TEST_F(SchedulerTest, MessageGivenBackAtOnceWaitsForTheNextTick) {
    StartServer();
    Device& device = AddDevice();
    device.sink->answer = [&device](const TGsmSms& sms) {
        device.phone->sendFailed(sms.messageId, "phone busy");
    };
    QueueOutgoing("+447009001", "busy");
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 1u);
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 2u);
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 1u);
}

TEST_F(SchedulerTest, FailureThatCannotBeFiledKeepsTheMessageForAnotherTry) {
    StartServer();
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    const std::string id = QueueOutgoing("+447009001", "stuck");
    const int retries = Folder(SystemFolder::Outbox).At(0).retriesLeft;
    Tick();
    const fs::path waiting = home / "SysFolders" / "Waiting for resend";
    fs::remove_all(waiting);
    { std::ofstream(waiting) << "not a folder"; }

    device.phone->sendFailed(id, "no answer");
    host.RunPosted();
    ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
    EXPECT_FALSE(Folder(SystemFolder::Outbox).At(0).IsBusy());
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).retriesLeft, retries - 1);
    EXPECT_TRUE(client.events.empty());
    Tick();
    EXPECT_EQ(device.sink->transmitted.size(), 2u);
}

}  // namespace
}  // namespace nimbra::testing_support
