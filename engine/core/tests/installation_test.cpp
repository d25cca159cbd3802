// Installing and uninstalling device programs and plugins while the engine runs.
#include <optional>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "installation.h"
#include "refusal.h"
#include "settingskeys.h"
#include "settingsstore.h"

namespace nimbra::testing_support {
namespace {

using Texts = std::vector<std::string>;

std::string StoredOption(const std::string& name) {
    return ReadPluginSetting(settings::kServerSection, name, "(none)");
}

class InstallationTest : public EngineTest {
protected:
    void SetUp() override {
        WriteOption("eInstalledNumber", "0");
        for (const char* program : {"Devices/handset", "Devices/smpp", "Devices/cimd"})
            Place(program);
    }
};

TEST_F(InstallationTest, InstallRaisesTheCountSavesItAndStartsOneCopyUpToTheKindsLimit) {
    struct Case {
        const char* kind;
        const char* option;
        const char* before;
        const char* after;    // the count afterwards; the count before when refused
        const char* refusal;  // nullptr: installed
    };
    const Case cases[] = {
        {"smpp", "eSMPPInstalledNumber", "2", "3", nullptr},
        {"CIMD", "eCIMDInstalledNumber", "9", "10", nullptr},
        {"gsm", "eInstalledNumber", "3", "4", nullptr},
        {"gsm", "eInstalledNumber", "4", "4", "You cannot install more than four devices!"},
        {"smpp", "eSMPPInstalledNumber", "10", "10",
         "You cannot install more than ten smpp connections!"},
        {"cimd", "eCIMDInstalledNumber", "12", "12",
         "You cannot install more than ten CIMD2 connections!"},
        {"ucp", "eUCPInstalledNumber", "10", "10",
         "You cannot install more than ten ucp connections!"},
        {"smpp", "eSMPPInstalledNumber", "x", "x",
         "eSMPPInstalledNumber does not hold a number: \"x\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.before);
        WriteOption(c.option, c.before);
        engine.reset();
        StartEngine();
        host.started.clear();
        const int kind = DeviceKindIndex(c.kind);
        ASSERT_GE(kind, 0);

        const auto refusal = RefusalOf([&] { InstallDevice(*engine, kind); });
        EXPECT_EQ(refusal, c.refusal ? std::optional<std::string>(c.refusal) : std::nullopt);
        EXPECT_EQ(engine->Options().installed[kind], c.after);
        EXPECT_EQ(StoredOption(c.option), c.after);
        const std::string program = Absolute(kDeviceKinds[kind].program);
        EXPECT_EQ(host.started, c.refusal ? Texts{} : Texts{program});
    }
}

TEST_F(InstallationTest, AKindWhoseProgramIsMissingIsCountedAndToldOf) {
    StartEngine();
    EXPECT_EQ(InstallDevice(*engine, DeviceKindIndex("ucp")), 1);
    EXPECT_EQ(StoredOption("eUCPInstalledNumber"), "1");
    EXPECT_TRUE(host.started.empty());
    EXPECT_TRUE(PaneContains("The driver cannot be found: " + Absolute("Devices/ucp")));
    EXPECT_EQ(DeviceKindIndex("picturegate"), -1);
}

TEST_F(InstallationTest, UninstallLowersTheCountAndEndsTheLastDeviceOfTheKind) {
    WriteOption("eSMPPInstalledNumber", "2");
    StartEngine();
    Device& first = AddDevice("smpp");
    Device& cimd = AddDevice("CIMD2 Connection ");
    Device& last = AddDevice("smpp");

    EXPECT_EQ(UninstallDevice(*engine, DeviceKindIndex("smpp")), 1);
    EXPECT_EQ(StoredOption("eSMPPInstalledNumber"), "1");
    // The device ends from the engine's event loop, as the window asks for it.
    EXPECT_TRUE(last.sink->events.empty());
    host.RunPosted();
    EXPECT_EQ(last.sink->events, (Texts{"unInstall", "ServerShutdown"}));
    EXPECT_EQ(first.sink->events, Texts{"info:devicename"});
    EXPECT_EQ(cimd.sink->events, Texts{"info:devicename"});
    EXPECT_EQ(engine->Devices().InstalledListing(), (Texts{"smpp1", "CIMD2 Connection 1"}));
}

TEST_F(InstallationTest, UninstallWithoutCountOrDeviceIsRefusedAndACountNeverGoesBelowZero) {
    WriteOption("eCIMDInstalledNumber", "x");
    StartEngine();
    const int smpp = DeviceKindIndex("smpp");
    EXPECT_EQ(RefusalOf([&] { UninstallDevice(*engine, smpp); }), "No devices are installed!");

    // A driver started by hand is uninstalled although nothing counts it.
    Device& handStarted = AddDevice("smpp");
    EXPECT_EQ(UninstallDevice(*engine, smpp), 0);
    host.RunPosted();
    EXPECT_EQ(handStarted.sink->events, (Texts{"unInstall", "ServerShutdown"}));
    EXPECT_EQ(StoredOption("eSMPPInstalledNumber"), "(none)");

    // A count that is not a number changes nothing.
    Device& cimd = AddDevice("cimd");
    EXPECT_EQ(RefusalOf([&] { UninstallDevice(*engine, DeviceKindIndex("cimd")); }),
              "eCIMDInstalledNumber does not hold a number: \"x\"");
    host.RunPosted();
    EXPECT_TRUE(cimd.sink->events.empty());
}

TEST_F(InstallationTest, PluginsOfThePluginsFolderAreInstalledStartedAndUninstalled) {
    Place("Plugins/billboard");
    Place("Plugins/ticker");
    StartEngine();
    host.started.clear();

    InstallPlugin(*engine, "billboard");
    InstallPlugin(*engine, "ticker");
    EXPECT_EQ(engine->Options().plugins, (Texts{"billboard", "ticker"}));
    EXPECT_EQ(StoredOption("lbCOMPlugins"), "billboard\r\nticker");
    EXPECT_EQ(host.started, (Texts{Absolute("Plugins/billboard"), Absolute("Plugins/ticker")}));

    for (const char* name : {"missing", "../Devices/smpp", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RefusalOf([&] { InstallPlugin(*engine, name); }),
                  "The plugin cannot be found: " + Absolute(std::string("Plugins/") + name));
    }

    auto wall = engine->CreateMessageServer();
    RecordingServerSink wallSink;
    wall->SetSink(&wallSink);
    wall->login("billboard");
    UninstallPlugin(*engine, "billboard");
    EXPECT_EQ(wallSink.events, Texts{"ServerShutdown"});
    EXPECT_EQ(StoredOption("lbCOMPlugins"), "ticker");
    EXPECT_EQ(RefusalOf([&] { UninstallPlugin(*engine, "billboard"); }),
              "The plugin is not installed: billboard");
}

TEST(DeviceKindOfNameTest, ReadsTheKindFromAListedName) {
    struct Case {
        const char* name;
        const char* kind;
    };
    const Case cases[] = {
        {"smpp2", "smpp"},    {"CIMD2 Connection 1", "cimd"}, {"ucp1", "ucp"},
        {"UCP-smpp1", "ucp"}, {"GSM Device 1", "gsm"},        {"Nokia", "gsm"},
        {"", "gsm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceKindOfName(c.name), DeviceKindIndex(c.kind)) << c.name;
}

TEST_F(InstallationTest, ConfigureClicksTheConfigurationCommandOfTheNamedDeviceOnly) {
    StartEngine();
    Device& first = AddDevice("smpp");
    for (int i = 2; i <= 10; ++i)
        AddDevice("smpp");
    Device& tenth = devices.back();
    // Registered before smpp1's: a caption that merely begins with "smpp1" is not smpp1's.
    tenth.phone->registerMenuItem("smpp10 Configuration");
    first.phone->registerMenuItem("smpp1 Configuration");
    first.phone->registerMenuItem("smpp1 Communication");

    EXPECT_TRUE(ConfigureDevice(*engine, "smpp1"));
    EXPECT_EQ(first.sink->events.back(), "MenuItemClick:smpp1 Configuration");
    EXPECT_TRUE(tenth.sink->events.empty());
    EXPECT_FALSE(ConfigureDevice(*engine, "smpp2"));
    EXPECT_FALSE(ConfigureDevice(*engine, ""));
}

TEST_F(InstallationTest, ConfigurePluginClicksItsFirstCommandOrSaysThereIsNone) {
    StartEngine();
    auto plugin = engine->CreateMessageServer();
    RecordingServerSink sink;
    plugin->SetSink(&sink);
    plugin->login("wall");
    EXPECT_FALSE(ConfigurePlugin(*engine, "ticker"));
    EXPECT_EQ(RefusalOf([&] { ConfigurePlugin(*engine, "WALL"); }),
              "Cannot locate configuration screen");
    plugin->registerMenuItem("Wall settings");
    plugin->registerMenuItem("Wall moderation");
    EXPECT_TRUE(ConfigurePlugin(*engine, "wall.exe"));
    EXPECT_EQ(sink.events, Texts{"MenuItemClick:Wall settings"});
    plugin->SetSink(nullptr);
}

TEST_F(InstallationTest, SaveInstallationWritesTheGsmCountAndThePluginList) {
    StartEngine();
    engine->Options().plugins = {"wall", "ticker"};
    engine->Options().installed[0] = "2";
    SaveInstallation(*engine);
    EXPECT_EQ(StoredOption("eInstalledNumber"), "2");
    EXPECT_EQ(StoredOption("lbCOMPlugins"), "wall\r\nticker");
    EXPECT_EQ(StoredOption("eSMPPInstalledNumber"), "(none)");
}

TEST_F(InstallationTest, TheDeviceListingShowsStateOperatorAndPaneLine) {
    StartEngine();
    StartServer();
    Device& smpp = AddDevice("smpp", "T-mobile");
    smpp.phone->deviceInfo("Successful login: mcsim");
    Device& quiet = AddDevice("cimd");
    quiet.phone->sendInfo("cansend", "0");

    const std::vector<InstalledDevice> listed = InstalledDevices(*engine);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].name, "smpp1");
    EXPECT_EQ(listed[0].connection, "connected");
    EXPECT_EQ(listed[0].state, "idle");
    EXPECT_EQ(listed[0].operatorName, "T-mobile");
    EXPECT_TRUE(listed[0].canSend);
    EXPECT_EQ(listed[0].status, "Successful login: mcsim");
    EXPECT_EQ(listed[1].name, "cimd1");
    EXPECT_EQ(listed[1].connection, "notconnected");
    EXPECT_FALSE(listed[1].canSend);
    EXPECT_EQ(listed[1].status, "");
    EXPECT_EQ(engine->Panel().Lines(), (Texts{"      [smpp1]", "Successful login: mcsim"}));
}

}  // namespace
}  // namespace nimbra::testing_support
