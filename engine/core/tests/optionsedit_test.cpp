// The Server options read and changed while the engine runs: the checks of the options window
// and the effect of each change.
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "optionsedit.h"
#include "refusal.h"
#include "settingskeys.h"
#include "settingsstore.h"

namespace nimbra::testing_support {
namespace {

std::string StoredOption(const std::string& name) {
    return ReadPluginSetting(settings::kServerSection, name, "(none)");
}

class OptionsEditTest : public EngineTest {
protected:
    void SetUp() override { StartEngine(); }

    std::string Shown(const std::string& name) const {
        for (const OptionSetting& setting : ServerOptionSettings(*engine)) {
            if (setting.name == name)
                return setting.value;
        }
        return "(missing)";
    }
    std::optional<std::string> Change(const std::vector<OptionSetting>& changes) const {
        return RefusalOf([&] { ChangeServerOptions(*engine, changes); });
    }
    void Receive(const std::string& sender) const {
        TGsmSms record;
        record.sender = sender;
        record.receiver = "+447000000";
        record.text = "hello";
        engine->ReceiveMessage(record);
    }
};

TEST_F(OptionsEditTest, EveryOptionIsShownInTheWindowsOrderWithItsValue) {
    engine->Options().plugins = {"billboard", "ticker"};
    std::vector<std::string> lines;
    for (const OptionSetting& setting : ServerOptionSettings(*engine))
        lines.push_back(setting.name + "=" + setting.value);
    EXPECT_EQ(lines, (std::vector<std::string>{"eInstalledNumber=1",
                                               "eUCPInstalledNumber=0",
                                               "eSMPPInstalledNumber=0",
                                               "eCIMDInstalledNumber=0",
                                               "cbStartup2=0",
                                               "eAutoStart=8",
                                               "cbShmon=1",
                                               "cbtips=1",
                                               "cbSaveAuto=0",
                                               "cbContact=",
                                               "cbAutoSort=0",
                                               "cbDailyLog=0",
                                               "cbWav=1",
                                               "eOlder=0",
                                               "eSendRetries=5",
                                               "eResendDelay=1",
                                               "lbCOMPlugins=billboard,ticker",
                                               "cbFilterIn=No filter is installed",
                                               "cbFilterOut=No filter is installed",
                                               "eDateFormat=c"}));
}

TEST_F(OptionsEditTest, AValueThatIsNotValidIsRefusedAndNothingChanges) {
    engine->AddressBook().AddUnknownContact("Ann", "+447009001", "Friends", "");
    struct Case {
        const char* name;
        const char* value;
        const char* refusal;
    };
    const Case cases[] = {
        {"eSendRetries", "x", "The send retry count is not valid"},
        {"eSendRetries", "-1", "The send retry count is not valid"},
        {"eResendDelay", "0", "The send retry interval is not valid"},
        {"eResendDelay", "2.5", "The send retry interval is not valid"},
        {"eAutoStart", "soon", "The autostart delay is not valid"},
        {"eOlder", "", "The number of days is not valid"},
        {"cbWav", "yes", "cbWav is 1 (checked) or 0 (not checked), not \"yes\""},
        {"cbContact", "Strangers", "No such address-book group: Strangers"},
        {"cbFilterIn", "none.so", "No such filter in InFilters: none.so"},
        {"eDateFormat", "", "The date format is empty"},
        {"eSMPPInstalledNumber", "3",
         "eSMPPInstalledNumber changes only with install and uninstall"},
        {"lbCOMPlugins", "billboard", "lbCOMPlugins changes only with install and uninstall"},
        {"eColour", "red", "No such option: eColour"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        // A valid change beside it is not made either.
        EXPECT_EQ(Change({{"eSendRetries", "2"}, {c.name, c.value}}), c.refusal);
        EXPECT_EQ(Shown("eSendRetries"), "5");
        EXPECT_EQ(StoredOption("eSendRetries"), "(none)");
        EXPECT_EQ(engine->Sms().retries, 5);
    }
    EXPECT_EQ(Change({{"cbContact", "Friends"}, {"CBCONTACT", ""}}), std::nullopt);
}

TEST_F(OptionsEditTest, RetriesAndResendDelayTakeEffectAtOnce) {
    StartServer();
    EXPECT_EQ(Change({{"esendretries", " 2 "}, {"eResendDelay", "7"}}), std::nullopt);
    EXPECT_EQ(StoredOption("eSendRetries"), "2");
    EXPECT_EQ(StoredOption("eResendDelay"), "7");
    EXPECT_EQ(engine->PutBackTimer().Interval(), 7 * 60000);
    const std::string id = QueueOutgoing("+447009001", "hello");
    EXPECT_EQ(engine->Queues().FindByMessageId(Folder(SystemFolder::Outbox), id)->retriesLeft, 2);
}

TEST_F(OptionsEditTest, SoundAndAddressBookOptionsActOnTheNextIncomingMessage) {
    engine->AddressBook().AddUnknownContact("Ann", "+447009001", "Friends", "");
    EXPECT_EQ(Change({{"cbWav", "0"}, {"cbSaveAuto", "1"}, {"cbContact", "Friends"}}),
              std::nullopt);
    Receive("+447009002");
    EXPECT_TRUE(host.sounds.empty());
    EXPECT_EQ(engine->AddressBook().GroupOf("+447009002"), "Friends");

    EXPECT_EQ(Change({{"cbWav", "1"}, {"cbSaveAuto", "0"}}), std::nullopt);
    Receive("+447009003");
    EXPECT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(engine->AddressBook().GroupOf("+447009003"), "");
}

TEST_F(OptionsEditTest, HousekeepingFollowsTheChangedOptions) {
    auto old = std::make_unique<TSms>(engine->Sms());
    old->text = "two days old";
    old->created = LocalEpochSeconds(kEngineNow) - 2 * 86400;
    Folder(SystemFolder::Inbox).Add(std::move(old));

    EXPECT_EQ(Change({{"eOlder", "1"}}), std::nullopt);
    Receive("+447009001");
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 1u);
    EXPECT_TRUE(PaneContains("Message deleted (too old)"));
}

TEST_F(OptionsEditTest, AutostartIsArmedAgainWithTheNewDelay) {
    EXPECT_TRUE(engine->AutostartTimer().IsActive());
    EXPECT_EQ(Change({{"cbStartup2", "1"}, {"eAutoStart", "30"}}), std::nullopt);
    EXPECT_EQ(engine->AutostartTimer().Interval(), 30000);
    dynamic_cast<ManualTimer&>(engine->AutostartTimer()).Fire();
    host.RunPosted();
    EXPECT_TRUE(engine->IsRunning());
}

TEST_F(OptionsEditTest, AChangedFilterIsLoaded) {
    static int initialised = 0;
    initialised = 0;
    FilterEntries entries;
    entries.filterInit = [] { ++initialised; };
    entries.filterMessage = [](const char*) -> const char* { return "filtered"; };
    host.libraries["sign.so"] = entries;
    std::ofstream(home / "OutFilters" / "sign.so") << "library";

    EXPECT_EQ(Change({{"cbFilterOut", "sign.so"}}), std::nullopt);
    EXPECT_EQ(initialised, 1);
    EXPECT_EQ(engine->FilterOutgoing("text"), "filtered");
    EXPECT_EQ(Change({{"cbFilterOut", "No filter is installed"}}), std::nullopt);
    EXPECT_EQ(engine->FilterOutgoing("text"), "text");
}

}  // namespace
}  // namespace nimbra::testing_support
