// The engine's life: start-up, starting and stopping the server, the control folder, the
// options read at start-up, the screen log, the log channels and the shutdown.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "engine_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

class LifecycleTest : public EngineTest {};

TEST_F(LifecycleTest, InitCreatesTheFoldersLogsAndButtonStates) {
    StartEngine();
    for (const char* folder : {"logs", "servercontrol", "SysFolders", "Folders", "InFilters",
                               "OutFilters", "Devices", "Plugins"})
        EXPECT_TRUE(fs::is_directory(home / folder)) << folder;
    for (const char* log : {"sql", "send", "receive", "error", "status"})
        EXPECT_TRUE(fs::is_regular_file(home / "logs" / (std::string(log) + "-log.txt"))) << log;
    EXPECT_EQ(ReadHomeFile("logs/startbtn.state"), "enabled\r\n");
    EXPECT_EQ(ReadHomeFile("logs/stopbtn.state"), "disabled\r\n");
}

// A crash in the middle of a write leaves its temporary file; the next start removes them, and
// nothing else.
TEST_F(LifecycleTest, InitRemovesTheTemporaryFilesACrashLeft) {
    const char* stale[] = {"Addressbook.csv.4242-0.tmp", "Groups.4242-1.tmp",
                           "SysFolders/Outbox/1_x.sms.4242-2.tmp",
                           "Folders/Work/Old/2_y.sms.4242-3.tmp", "logs/status0.txt.4242-4.tmp"};
    const char* kept[] = {"Addressbook.csv", "SysFolders/Outbox/1_x.sms",
                          "Folders/Work/Old/2_y.sms", "Devices/notes.txt"};
    for (const char* name : stale)
        Place(name, "half written");
    for (const char* name : kept)
        Place(name, "whole");
    StartEngine();
    for (const char* name : stale)
        EXPECT_FALSE(fs::exists(home / name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(home / name)) << name;
    EXPECT_TRUE(PaneContains("Temporary files left by an earlier run removed: 5"));
}

// Parts of concatenated messages that never completed go at start-up, aged by the engine's
// file clock (here long before the real one).
TEST_F(LifecycleTest, InitRemovesPartsOfMessagesThatNeverCompleted) {
    using namespace std::chrono_literals;
    const fs::file_time_type clock = fs::file_time_type::clock::now() - 1000h;
    const std::string old = "smsparts/+3620_0003612.smspart.txt";
    const std::string recent = "smsparts/+3630_0003622.smspart.txt";
    Place(old, "00\r\n");
    Place(recent, "00\r\n");
    fs::last_write_time(home / old, clock - 2h);
    fs::last_write_time(home / recent, clock - 30min);
    engine = std::make_unique<Engine>(host, home.path().string());
    engine->Sms().clock = [this] { return now; };
    engine->partFileMaxAge = 1h;
    engine->fileClock = [clock] { return clock; };
    engine->Init();
    EXPECT_FALSE(fs::exists(home / old));
    EXPECT_TRUE(fs::exists(home / recent));
}

TEST_F(LifecycleTest, StartConnectsDevicesAndEnablesStopOnceNoneIsConnecting) {
    StartEngine();
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    engine->StartbtnClick(true);
    EXPECT_EQ(ReadHomeFile("logs/status0.txt"), "The Server is Started\r\n");
    EXPECT_EQ(ReadHomeFile("logs/startbtn.state"), "disabled\r\n");
    EXPECT_TRUE(device.sink->events.empty());

    host.RunPosted();
    EXPECT_TRUE(engine->IsRunning());
    EXPECT_TRUE(engine->SendTimer().IsActive());
    EXPECT_EQ(device.sink->events, std::vector<std::string>{"Connect"});
    EXPECT_EQ(client.events, std::vector<std::string>{"ServerStarted"});
    EXPECT_TRUE(PaneContains("SERVER_STARTUP ok"));
    EXPECT_NE(ReadHomeFile("logs/screen-log.txt").find("SERVER_STARTUP ok"), std::string::npos);

    engine->CheckDevices();
    EXPECT_EQ(ReadHomeFile("logs/stopbtn.state"), "disabled\r\n");
    device.phone->connectionSuccess();
    DeviceStatusTimer().Fire();
    EXPECT_EQ(ReadHomeFile("logs/stopbtn.state"), "enabled\r\n");
}

TEST_F(LifecycleTest, StopDisconnectsDevicesAndTellsClients) {
    StartEngine();
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    StartServer();
    engine->CheckDevices();
    engine->StopbtnClick();
    host.RunPosted();

    EXPECT_FALSE(engine->IsRunning());
    EXPECT_FALSE(engine->SendTimer().IsActive());
    EXPECT_EQ(ReadHomeFile("logs/status0.txt"), "The Server is Stoped\r\n");
    EXPECT_EQ(device.sink->events.back(), "Disconnect");
    EXPECT_EQ(client.events.back(), "ServerStopped");
    EXPECT_EQ(ReadHomeFile("logs/startbtn.state"), "enabled\r\n");
    EXPECT_EQ(ReadHomeFile("logs/stopbtn.state"), "disabled\r\n");
}

TEST_F(LifecycleTest, StartWhileOptionsAreOpenOnlySetsTheStatus) {
    StartEngine();
    Device& device = AddDevice();
    engine->preferencesOpen = true;
    engine->StartbtnClick(true);
    host.RunPosted();

    EXPECT_EQ(engine->Status().Panel(0), "The Server is Started");
    EXPECT_FALSE(engine->IsRunning());
    EXPECT_FALSE(engine->SendTimer().IsActive());
    EXPECT_EQ(ReadHomeFile("logs/startbtn.state"), "enabled\r\n");
    EXPECT_TRUE(device.sink->events.empty());
}

struct ControlCase {
    const char* file;
    bool runningBefore;
    bool locked;
    bool runningAfter;
};

class ControlFolderTest : public LifecycleTest, public testing::WithParamInterface<ControlCase> {};

TEST_P(ControlFolderTest, CommandFileIsCarriedOutAndRemovedUnlessLocked) {
    const ControlCase& c = GetParam();
    StartEngine();
    if (c.runningBefore) {
        StartServer();
        engine->CheckDevices();
    }
    const std::string command = std::string("servercontrol/") + c.file;
    Place(command, "");
    if (c.locked)
        Place(command + ".lck", "");
    engine->CheckControlFolder();
    host.RunPosted();

    EXPECT_EQ(engine->IsRunning(), c.runningAfter);
    EXPECT_EQ(fs::exists(home / command), c.locked);
}

INSTANTIATE_TEST_SUITE_P(Commands, ControlFolderTest,
                         testing::Values(ControlCase{"StartServer.act", false, false, true},
                                         ControlCase{"StopServer.act", true, false, false},
                                         ControlCase{"StopServer.act", true, true, true},
                                         ControlCase{"StartServer.act", false, true, false}));

TEST(NotificationSlotsTest, FirstNineAreUsedOnceThenTenToOneNinetyInTurn) {
    NotificationSlots slots;
    for (int expected = 1; expected <= 190; ++expected)
        ASSERT_EQ(slots.NextSlot(), expected);
    EXPECT_EQ(slots.NextSlot(), 10);
    EXPECT_EQ(slots.NextSlot(), 11);
}

struct AutostartCase {
    const char* seconds;
    int intervalMs;
};

class AutostartDelayTest : public LifecycleTest,
                           public testing::WithParamInterface<AutostartCase> {};

TEST_P(AutostartDelayTest, TimerIntervalFollowsTheOption) {
    WriteOption("eAutoStart", GetParam().seconds);
    StartEngine();
    EXPECT_TRUE(engine->AutostartTimer().IsActive());
    EXPECT_EQ(engine->AutostartTimer().Interval(), GetParam().intervalMs);
}

INSTANTIATE_TEST_SUITE_P(Delays, AutostartDelayTest,
                         testing::Values(AutostartCase{"0", 2000}, AutostartCase{"1", 2000},
                                         AutostartCase{"x", 8000}, AutostartCase{"12", 12000},
                                         AutostartCase{"99999999", 86400000}));

class AutostartChoiceTest : public LifecycleTest, public testing::WithParamInterface<bool> {};

TEST_P(AutostartChoiceTest, TimerStartsTheServerOnlyWhenChosen) {
    WriteOption("cbStartup2", GetParam() ? "1" : "0");
    StartEngine();
    dynamic_cast<ManualTimer&>(engine->AutostartTimer()).Fire();
    host.RunPosted();
    EXPECT_EQ(engine->IsRunning(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Choice, AutostartChoiceTest, testing::Bool());

TEST_F(LifecycleTest, DefaultsStartTheHandsetDriver) {
    Place("Devices/handset");
    StartEngine();
    EXPECT_EQ(host.started, std::vector<std::string>{Absolute("Devices/handset")});
}

TEST_F(LifecycleTest, InstalledCountStartsThatManyDriversAndMissingOnesAreReported) {
    WriteOption("eSMPPInstalledNumber", "2");
    Place("Devices/smpp");
    StartEngine();
    EXPECT_EQ(host.started, std::vector<std::string>(2, Absolute("Devices/smpp")));
    EXPECT_TRUE(PaneContains("The driver cannot be found: " + Absolute("Devices/handset")));
}

TEST_F(LifecycleTest, PluginListStartsThePluginsThatAreThere) {
    WriteOption("lbCOMPlugins", "billboard\r\n  wall2 \r\n\r\n../Devices/handset\r\nmissing");
    Place("Plugins/billboard");
    Place("Plugins/wall2");
    Place("Devices/handset");
    StartEngine();
    EXPECT_EQ(host.started,
              (std::vector<std::string>{Absolute("Devices/handset"), Absolute("Plugins/billboard"),
                                        Absolute("Plugins/wall2")}));
}

TEST_F(LifecycleTest, AnAbsurdInstalledCountStartsAtMostTwentyFour) {
    WriteOption("eInstalledNumber", "100000");
    Place("Devices/handset");
    StartEngine();
    EXPECT_EQ(host.started.size(), 24u);
}

TEST_F(LifecycleTest, ResendDelayThatIsNotANumberMeansThreeMinutes) {
    WriteOption("eResendDelay", "x");
    StartEngine();
    StartServer();
    EXPECT_EQ(engine->PutBackTimer().Interval(), 180000);
    EXPECT_NE(ReadHomeFile("logs/error-log.txt").find("The send retry interval is not valid"),
              std::string::npos);
}

TEST_F(LifecycleTest, SendRetriesThatAreNotANumberMeanSix) {
    WriteOption("eSendRetries", "x");
    StartEngine();
    QueueOutgoing("+447009001", "hello");
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).retriesLeft, 6);
}

TEST_F(LifecycleTest, LastRunsScreenLogStaysOnTopAndThePaneKeepsAHundredLines) {
    Place("logs/screen-log.txt", "old one\r\nold two\r\n");
    StartEngine();
    std::vector<std::string> pane = PaneTexts();
    ASSERT_GE(pane.size(), 2u);
    EXPECT_EQ(pane[0], "old one");
    EXPECT_EQ(pane[1], "old two");

    for (int i = 0; i < 150; ++i)
        engine->Log("screen", "line " + std::to_string(i));
    pane = PaneTexts();
    ASSERT_EQ(pane.size(), 100u);
    EXPECT_TRUE(pane.front().ends_with(" line 50"));
    EXPECT_TRUE(pane.back().ends_with(" line 149"));
    const std::string saved = ReadHomeFile("logs/screen-log.txt");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 100);
    EXPECT_EQ(saved.find("old one"), std::string::npos);
}

TEST_F(LifecycleTest, ExitStopsTheServerThenShutsEverythingDown) {
    StartEngine();
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    StartServer();
    engine->Exit();
    for (const ManualTimer* timer : host.timers)
        EXPECT_FALSE(timer->IsActive());
    host.RunPosted();

    EXPECT_EQ(client.events,
              (std::vector<std::string>{"ServerStarted", "ServerStopped", "ServerShutdown"}));
    EXPECT_EQ(device.sink->events,
              (std::vector<std::string>{"Connect", "Disconnect", "ServerShutdown"}));
    EXPECT_TRUE(host.quit);
    EXPECT_TRUE(host.handsetTold);
}

enum class ServerAtExit { Running, WaitingForADevice, StartedWithOptionsOpen, Stopped };

class ExitTest : public LifecycleTest, public testing::WithParamInterface<ServerAtExit> {};

TEST_P(ExitTest, AfterTheEngineEndedTheStateFilesSayWhatAStopSays) {
    StartEngine();
    Device& device = AddDevice();
    switch (GetParam()) {
        case ServerAtExit::Running:
            StartServer();
            engine->CheckDevices();
            break;
        case ServerAtExit::WaitingForADevice:
            engine->StartbtnClick(true);
            host.RunPosted();
            break;
        case ServerAtExit::StartedWithOptionsOpen:
            engine->preferencesOpen = true;
            engine->StartbtnClick(true);
            break;
        case ServerAtExit::Stopped:
            break;
    }
    const bool running = engine->IsRunning();
    engine->Exit();
    host.RunPosted();

    ASSERT_TRUE(engine->HasShutDown());
    EXPECT_EQ(ReadHomeFile("logs/status0.txt"), "The Server is Stoped\r\n");
    EXPECT_EQ(ReadHomeFile("logs/startbtn.state"), "enabled\r\n");
    EXPECT_EQ(ReadHomeFile("logs/stopbtn.state"), "disabled\r\n");
    const std::string screen = ReadHomeFile("logs/screen-log.txt");
    EXPECT_EQ(screen.find("SERVER_SHUTDOWN ok") != std::string::npos, running);
    EXPECT_EQ(device.sink->events.back(), "ServerShutdown");
}

INSTANTIATE_TEST_SUITE_P(States, ExitTest,
                         testing::Values(ServerAtExit::Running, ServerAtExit::WaitingForADevice,
                                         ServerAtExit::StartedWithOptionsOpen,
                                         ServerAtExit::Stopped));

TEST(LogChannelsTest, FileChannelThatFailedIsNeverReopened) {
    TempDir dir;
    const std::string folder = (dir.path() / "missing").string() + "/";
    LogChannels logs(folder, [] { return kEngineNow; });
    const auto failures = [&logs] {
        return std::count_if(logs.Pane().begin(), logs.Pane().end(), [](const PaneLine& line) {
            return line.text.find("Cannot open logfile:") != std::string::npos;
        });
    };
    logs.OpenFiles();
    EXPECT_EQ(failures(), 5);
    EXPECT_FALSE(logs.IsOpen("send"));
    EXPECT_TRUE(std::any_of(logs.Pane().begin(), logs.Pane().end(), [&](const PaneLine& line) {
        return line.text.ends_with("Cannot open logfile:" + folder + "send-log.txt");
    }));

    fs::create_directories(folder);
    logs.OpenFiles();
    logs.Log("send", "lost");
    EXPECT_FALSE(logs.IsOpen("send"));
    EXPECT_FALSE(fs::exists(folder + "send-log.txt"));
    EXPECT_EQ(failures(), 5);
}

TEST(LogChannelsTest, LineBreaksInATextNeverStartALogLine) {
    TempDir dir;
    const std::string folder = dir.path().string() + "/";
    LogChannels logs(folder, [] { return kEngineNow; });
    logs.OpenFiles();
    logs.Log("receive", "text\r\n2004-01-01 00:00:00 forged\rline\n");
    logs.Log("screen", "a\nb");
    logs.CloseFiles();
    std::ifstream file(folder + "receive-log.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(text, "2004-03-17 12:00:00 text 2004-01-01 00:00:00 forged line\r\n");
    EXPECT_EQ(logs.Pane().back().text, "2004-03-17 12:00:00 a b");
}

}  // namespace
}  // namespace nimbra::testing_support
