// Device objects as drivers use them: login names, questions to the engine, progress reports
// and the device panel, the heartbeat, incoming messages, menu commands, the device lock and
// uninstalling.
#include <algorithm>

#include "engine_fixture.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {
namespace {

class DeviceTest : public EngineTest {
protected:
    void SetUp() override { StartEngine(); }

    const DevicePanel::Entry* EntryOf(const Device& device) {
        return engine->Panel().Find(device.phone->realName);
    }
    // The status line after a progress report.
    std::string Report(Device& device, const std::string& text) {
        device.phone->deviceInfo(text);
        const DevicePanel::Entry* entry = EntryOf(device);
        return entry ? entry->status : "<no entry>";
    }
    static int Count(const Device& device, const std::string& event) {
        const auto& events = device.sink->events;
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }
};

TEST_F(DeviceTest, LoginNumbersTheLiveDevicesSharingTheName) {
    Device& first = AddDevice("smpp");
    EXPECT_EQ(first.phone->realName, "smpp1");
    EXPECT_EQ(AddDevice("smpp").phone->realName, "smpp2");
    first.phone->SetSink(nullptr);
    EXPECT_EQ(AddDevice("smpp").phone->realName, "smpp2");

    auto phone = engine->CreateDevice();
    RecordingDevice sink;
    phone->SetSink(&sink);
    EXPECT_EQ(phone->login("SMPP"), "SMPP3");
    EXPECT_EQ(AddDevice("CIMD2 Connection ").phone->realName, "CIMD2 Connection 1");
}

TEST_F(DeviceTest, SendInfoAnswersAndRecords) {
    Device& device = AddDevice();
    EXPECT_EQ(device.phone->sendInfo("operator", "Alpha"), AutoValue());
    EXPECT_EQ(device.phone->operatorName, "Alpha");
    EXPECT_EQ(device.phone->sendInfo("cansend", "0"), AutoValue());
    EXPECT_FALSE(device.phone->canSend);
    device.phone->sendInfo("cansend", "1");
    EXPECT_TRUE(device.phone->canSend);
    EXPECT_EQ(device.phone->sendInfo("system", "exedir"), AutoValue(home.path().string() + "/"));
    EXPECT_EQ(device.phone->sendInfo("system", "language"), AutoValue(std::string("English")));
    EXPECT_EQ(device.phone->sendInfo("system", "other"), AutoValue(std::string()));
    EXPECT_EQ(device.phone->sendInfo("volume", "11"), AutoValue(std::string()));
}

TEST_F(DeviceTest, ReportsWhileStoppedOnlyShowWhenDirect) {
    Device& device = AddDevice();
    SecondsLater(10);
    device.phone->deviceInfo("");
    EXPECT_EQ(device.phone->lastHeard, LocalEpochSeconds(now));
    SecondsLater(20);
    device.phone->deviceInfo("Successful login");
    EXPECT_EQ(device.phone->lastHeard, LocalEpochSeconds(now));
    EXPECT_EQ(EntryOf(device), nullptr);
    EXPECT_EQ(device.phone->connState, kNotConnected);
    EXPECT_FALSE(PaneContains("Successful login"));

    EXPECT_EQ(Report(device, "@Successful login"), "Successful login");
    EXPECT_EQ(device.phone->connState, kConnected);
    EXPECT_TRUE(PaneContains("[smpp1] Successful login"));

    StartServer();  // clears the panel
    device.phone->deviceInfo("");
    EXPECT_EQ(EntryOf(device), nullptr);
}

struct LinkCase {
    const char* name;
    const char* before;
    const char* text;
    const char* after;
    const char* picture;
};

class LinkRuleTest : public DeviceTest, public testing::WithParamInterface<LinkCase> {};

TEST_P(LinkRuleTest, ReportSetsLinkStatePictureAndLogLine) {
    const LinkCase& c = GetParam();
    StartServer();
    Device& device = AddDevice(c.name);
    device.phone->connState = c.before;
    ASSERT_EQ(Report(device, c.text), c.text);
    EXPECT_EQ(device.phone->connState, c.after);
    EXPECT_EQ(EntryOf(device)->picture, c.picture);
    EXPECT_TRUE(PaneContains("[" + device.phone->realName + "] " + c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Reports, LinkRuleTest,
    testing::Values(LinkCase{"smpp", kConnected, "Could not connect to 10.0.0.1:2775",
                             kNotConnected, "UCPOFFLINE"},
                    LinkCase{"ucp", kNotConnected, "Successful login", kConnected, "UCPONLINE"},
                    LinkCase{"handset", kNotConnected, "Successful login", kConnected, "DEVONLINE"},
                    LinkCase{"handset", kConnected, "Disconnected", kNotConnected, "DEVOFFLINE"},
                    LinkCase{"smpp", kNotConnected, "Socket connected", kConnecting, "UCPONLINE"},
                    LinkCase{"cimd", kNotConnected, "CONNECTED TO SMSC", kConnecting, "DEVONLINE"},
                    LinkCase{"smpp", kConnected, "Queue empty", kConnected, "UCPONLINE"}));

TEST_F(DeviceTest, ReadingPhoneMemoryConnectsOnTheThirdReport) {
    StartServer();
    Device& device = AddDevice();
    for (int report = 1; report <= 2; ++report) {
        ASSERT_EQ(Report(device, "Reading phone memory").rfind("Reading phone memory", 0), 0u);
        EXPECT_EQ(device.phone->connState, kNotConnected) << "report " << report;
        EXPECT_EQ(EntryOf(device)->picture, "UCPOFFLINE");
    }
    Report(device, "Reading phone memory");
    EXPECT_EQ(device.phone->connState, kConnected);
    EXPECT_EQ(EntryOf(device)->picture, "UCPONLINE");
    EXPECT_EQ(Report(device, "Reading phone memory"), "Connection: ok");
    EXPECT_FALSE(PaneContains("Reading phone memory"));
}

TEST_F(DeviceTest, CheckingLinkAnimatesAndSendingIsNotLogged) {
    StartServer();
    Device& device = AddDevice("handset");
    EXPECT_EQ(Report(device, "Checking link"), "Checking link..");
    EXPECT_EQ(Report(device, "Checking link"), "Checking link...");
    EXPECT_EQ(Report(device, "Checking link"), "Checking link.");
    EXPECT_EQ(device.phone->connState, kNotConnected);
    EXPECT_TRUE(PaneContains("[handset1] Checking link"));

    EXPECT_EQ(Report(device, "Sending message to +447009001"), "Sending message to +447009001");
    EXPECT_FALSE(PaneContains("Sending message"));
}

TEST_F(DeviceTest, SilentConnectedDeviceGoesDown) {
    StartServer();
    Device& device = AddDevice();
    for (int report = 0; report < 4; ++report)
        device.phone->deviceInfo("Reading phone memory");
    ASSERT_EQ(EntryOf(device)->status, "Connection: ok");

    SecondsLater(3);
    device.phone->statusInfo("ping");
    SecondsLater(7);
    engine->CheckDevices();
    EXPECT_EQ(device.phone->connState, kConnected);
    EXPECT_EQ(EntryOf(device)->picture, "UCPONLINE");

    SecondsLater(8);
    DeviceStatusTimer().Fire();
    EXPECT_EQ(device.phone->connState, kNotConnected);
    EXPECT_EQ(EntryOf(device)->picture, "UCPOFFLINE");
    EXPECT_EQ(EntryOf(device)->status, "Connection: down");
}

TEST_F(DeviceTest, StatusInfoAndDevicesThatLeft) {
    Device& device = AddDevice();
    const long long heard = device.phone->lastHeard;
    SecondsLater(30);
    device.phone->statusInfo("ping");
    EXPECT_EQ(device.phone->lastHeard, heard);

    device.phone->statusInfo("3 messages queued");
    EXPECT_EQ(engine->Status().Panel(3), "[smpp1] 3 messages queued");
    EXPECT_EQ(ReadHomeFile("logs/status3.txt"), "[smpp1] 3 messages queued\r\n");

    Device& gone = AddDevice();
    gone.phone->SetSink(nullptr);
    engine->CheckDevices();
    ASSERT_EQ(engine->Devices().All().size(), 1u);
    EXPECT_EQ(engine->Devices().All()[0], device.phone);
}

class IncomingTest : public DeviceTest {
protected:
    TGsmSms Record(const std::string& text) const {
        TGsmSms record(now);
        record.sender = "+447009001";
        record.receiver = "+447000000";
        record.text = text;
        record.messageId = "999999999";
        return record;
    }
};

TEST_F(IncomingTest, MessageIsFiledUnderANewId) {
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    const TGsmSms record = Record("hello there");
    device.phone->smsReceived(record.ToText());
    host.RunPosted();

    ASSERT_EQ(Folder(SystemFolder::Inbox).Count(), 1);
    const TSms& message = Folder(SystemFolder::Inbox).At(0);
    EXPECT_EQ(message.text, "hello there");
    EXPECT_NE(message.messageId, record.messageId);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 1u);
    EXPECT_EQ(client.events, std::vector<std::string>{"MessageReceived:" + message.messageId});
    EXPECT_TRUE(PaneContains("[smpp1] SMS_RECEIVED " + record.Summary()));
    EXPECT_NE(ReadHomeFile("logs/receive-log.txt").find("[smpp1] SMS_RECEIVED " + record.ToText()),
              std::string::npos);
    EXPECT_EQ(engine->Status().Panel(3), "[smpp1] SMS Received " + record.Summary());
}

TEST_F(IncomingTest, RecordWithoutTextLeavesNoTrace) {
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    device.phone->smsReceived(Record("").ToText());
    host.RunPosted();

    EXPECT_EQ(Folder(SystemFolder::Inbox).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 0u);
    EXPECT_TRUE(client.events.empty());
    EXPECT_FALSE(PaneContains("SMS_RECEIVED"));
    EXPECT_EQ(ReadHomeFile("logs/receive-log.txt"), "");
    EXPECT_EQ(engine->Status().Panel(3), "");
}

TEST_F(DeviceTest, MenuCommandsReachOnlyTheDeviceThatAddedThem) {
    Device& first = AddDevice("smpp");
    Device& second = AddDevice("ucp");
    first.phone->registerMenuItem("Reconnect");
    second.phone->registerMenuItem("Reconnect");
    second.phone->registerMenuItem("Statistics");
    const auto& items = engine->Menu().Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].tag, second.phone->menuTag);

    engine->ClickServerMenuItem(1);
    EXPECT_EQ(Count(second, "MenuItemClick:Reconnect"), 1);
    EXPECT_EQ(Count(first, "MenuItemClick:Reconnect"), 0);

    second.phone->disableMenuItem("Reconnect");
    EXPECT_TRUE(items[0].enabled);
    engine->ClickServerMenuItem(1);
    EXPECT_EQ(Count(second, "MenuItemClick:Reconnect"), 1);
    second.phone->enableMenuItem("Reconnect");
    engine->ClickServerMenuItem(1);
    EXPECT_EQ(Count(second, "MenuItemClick:Reconnect"), 2);

    second.phone->unRegisterMenuItem("Reconnect");
    ASSERT_EQ(items.size(), 2u);
    engine->ClickServerMenuItem(1);
    EXPECT_EQ(Count(second, "MenuItemClick:Statistics"), 1);
    engine->ClickServerMenuItem(2);
    EXPECT_TRUE(first.sink->events.empty());
    EXPECT_EQ(second.sink->events.size(), 3u);
}

TEST_F(DeviceTest, DeviceLockIsHandedOverInRequestOrder) {
    Device& a = AddDevice("cimd");
    Device& b = AddDevice("cimd");
    Device& c = AddDevice("cimd");
    std::vector<int> granted;
    a.phone->lock([&granted] { granted.push_back(1); });
    EXPECT_EQ(granted, std::vector<int>{1});
    b.phone->lock([&granted] { granted.push_back(2); });
    c.phone->lock([&granted] { granted.push_back(3); });
    EXPECT_EQ(granted, std::vector<int>{1});
    EXPECT_EQ(engine->Lock().Waiting(), 2u);

    a.phone->unlock();
    EXPECT_EQ(granted, (std::vector<int>{1, 2}));
    // Any device may unlock.
    a.phone->unlock();
    EXPECT_EQ(granted, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(engine->Lock().IsTaken());
    c.phone->unlock();
    EXPECT_FALSE(engine->Lock().IsTaken());
}

TEST_F(DeviceTest, DeviceLockOfADriverThatLeftIsReleased) {
    Device& holder = AddDevice("cimd");
    Device& waiter = AddDevice("cimd");
    Device& quitter = AddDevice("cimd");
    std::vector<int> granted;
    holder.phone->lock([&granted] { granted.push_back(1); });
    quitter.phone->lock([&granted] { granted.push_back(3); });
    waiter.phone->lock([&granted] { granted.push_back(2); });

    // The holder and a waiting driver end without unlocking.
    holder.phone->SetSink(nullptr);
    quitter.phone->SetSink(nullptr);
    engine->CheckDevices();
    EXPECT_EQ(granted, (std::vector<int>{1, 2}));
    EXPECT_EQ(engine->Lock().Waiting(), 0u);
}

class UninstallTest : public DeviceTest, public testing::WithParamInterface<bool> {};

TEST_P(UninstallTest, LastDeviceOfTheKindLeaves) {
    Device& first = AddDevice("smpp");
    Device& handset = AddDevice("handset");
    Device& last = AddDevice("smpp");
    Device& ucp = AddDevice("ucp");
    last.phone->registerMenuItem("Bind");
    if (GetParam()) {
        engine->PostMessage(WindowMessage::UninstallDevice, 0, 3);
        host.RunPosted();
    } else {
        engine->UninstallDeviceKind(3);
    }

    EXPECT_EQ(last.sink->events, (std::vector<std::string>{"unInstall", "ServerShutdown"}));
    EXPECT_EQ(engine->Devices().InstalledListing(),
              (std::vector<std::string>{"smpp1", "handset1", "ucp1"}));
    EXPECT_TRUE(engine->Menu().Items().empty());
    for (const Device* remaining : {&first, &handset, &ucp})
        EXPECT_EQ(remaining->sink->events, std::vector<std::string>{"info:devicename"});
}

INSTANTIATE_TEST_SUITE_P(DirectOrPosted, UninstallTest, testing::Bool());

}  // namespace
}  // namespace nimbra::testing_support
