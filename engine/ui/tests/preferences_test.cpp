// The server options window driven as an operator would, over the engine in a temporary home:
// its defaults, its checks, OK and Cancel, installing and uninstalling devices and plugins,
// the lists following the engine, and the filter choices.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "event_wait.h"
#include "file_text.h"
#include "messagelistmodel.h"
#include "preferencesform.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// What the test filter libraries were asked to do, in order.
Texts& FilterCalls() {
    static Texts calls;
    return calls;
}

FilterEntries TestFilter(char mark) {
    // One set of entry points per mark: the mark shows which library did it.
    static std::string results[2];
    FilterEntries entries;
    if (mark == 'A') {
        entries.filterInit = [] { FilterCalls().push_back("A:init"); };
        entries.filterFree = [] { FilterCalls().push_back("A:free"); };
        entries.ShowConfigForm = [] { FilterCalls().push_back("A:config"); };
        entries.filterMessage = [](const char* text) {
            results[0] = std::string(text) + " [A]";
            return results[0].c_str();
        };
    } else {
        entries.filterInit = [] { FilterCalls().push_back("B:init"); };
        entries.filterFree = [] { FilterCalls().push_back("B:free"); };
        entries.filterMessage = [](const char* text) {
            results[1] = std::string(text) + " [B]";
            return results[1].c_str();
        };
    }
    entries.freeFilterMessage = [](const char*) {};
    return entries;
}

class PreferencesTest : public WindowTest {
protected:
    // The main window with the options window filled and shown (not modal) on page.
    void OpenOptions(ui::TfrmPref::Page page = ui::TfrmPref::DevicePage) {
        Open();
        form = window->Preferences();
        form->Prepare(page);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    }

    template <class T>
    T* Child(const char* name) const {
        T* child = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QString Text(const char* field) const { return Child<QLineEdit>(field)->text(); }
    void SetText(const char* field, const char* text) const {
        Child<QLineEdit>(field)->setText(QString::fromLatin1(text));
    }
    bool Checked(const char* box) const { return Child<QCheckBox>(box)->isChecked(); }
    QString Choice(const char* list) const { return Child<QComboBox>(list)->currentText(); }
    void Choose(const char* list, const QString& text) const {
        auto* choice = Child<QComboBox>(list);
        const int index = choice->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        choice->setCurrentIndex(index);
    }
    Texts Entries(const char* list) const { return ListEntries(Child<QListWidget>(list)); }
    void Select(const char* list, const char* entry) const {
        SelectEntry(Child<QListWidget>(list), entry);
    }
    // Clicks a button of the window; a message box it opens is answered with OK and its
    // text given.
    std::string Click(const char* button) {
        auto text = std::make_shared<std::string>();
        OnNextModal([text](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                *text = box->text().toStdString();
                box->button(QMessageBox::Ok)->click();
            }
        });
        form->Button(button)->click();
        if (text->empty())
            CancelWaits();
        return *text;
    }
    // OK or Cancel; a message box is answered and its text given.
    std::string Finish(bool ok) {
        auto text = std::make_shared<std::string>();
        OnNextModal([text](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                *text = box->text().toStdString();
                box->button(QMessageBox::Ok)->click();
            }
        });
        if (ok)
            form->accept();
        else
            form->reject();
        if (text->empty())
            CancelWaits();
        return *text;
    }
    // A wait for a message box that never came is no failure here.
    static void CancelWaits() { DropModalWaits(); }

    // A program in the Plugins folder.
    void PlacePlugin(const std::string& name) const {
        Place("Plugins/" + name);
        fs::permissions(home / "Plugins" / name, fs::perms::owner_all);
    }
    std::map<std::string, std::string> IniFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(settings.path()))
            files[entry.path().filename().string()] = ReadFileText(entry.path());
        return files;
    }
    std::string Stored(const char* name) const {
        return ReadPluginSetting(settings::kServerSection, name, "(none)");
    }

    ui::TfrmPref* form = nullptr;
};

TEST_F(PreferencesTest, ShowsTheDefaultsOfEveryOption) {
    OpenOptions();
    EXPECT_EQ(form->windowTitle(), "Server Options");
    const QTabWidget* pages = form->Pages();
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(0), "&GSM Device");
    EXPECT_EQ(pages->tabText(1), "Message handling");
    EXPECT_EQ(pages->tabText(2), "Plugins");
    EXPECT_EQ(pages->tabText(3), "Message filter");
    EXPECT_EQ(pages->currentIndex(), 0);

    auto* types = Child<QComboBox>("cbDeviceType");
    ASSERT_EQ(types->count(), 4);
    EXPECT_EQ(types->currentText(), "GSM device for SMS messaging");
    EXPECT_EQ(types->itemText(3), "CIMD2 connection to the SMSC");
    // The fixture installs no GSM device.
    EXPECT_EQ(Text("eInstalledNumber"), "0");
    EXPECT_EQ(Text("eUCPInstalledNumber"), "0");
    EXPECT_EQ(Text("eSMPPInstalledNumber"), "0");
    EXPECT_EQ(Text("eCIMDInstalledNumber"), "0");
    EXPECT_FALSE(Checked("cbStartup2"));
    EXPECT_EQ(Text("eAutoStart"), "8");
    EXPECT_TRUE(Checked("cbShmon"));
    EXPECT_TRUE(Checked("cbtips"));
    EXPECT_FALSE(Checked("cbSaveAuto"));
    EXPECT_EQ(Choice("cbContact"), "All contacts");
    EXPECT_FALSE(Child<QComboBox>("cbContact")->isEnabled());
    EXPECT_FALSE(Checked("cbAutoSort"));
    EXPECT_FALSE(Checked("cbDailyLog"));
    EXPECT_TRUE(Checked("cbWav"));
    EXPECT_EQ(Text("eOlder"), "0");
    EXPECT_EQ(Text("eSendRetries"), "5");
    EXPECT_EQ(Text("eResendDelay"), "1");
    EXPECT_EQ(Choice("cbFilterIn"), "No filter is installed");
    EXPECT_EQ(Choice("cbFilterOut"), "No filter is installed");
    EXPECT_EQ(Text("eDateFormat"), "c");
    EXPECT_EQ(Child<QComboBox>("cbPlugins")->currentIndex(), -1);
    EXPECT_EQ(Child<QComboBox>("cbPlugins")->placeholderText(), "Please select a plugin");
    // Nothing selected: nothing to configure or uninstall.
    for (const char* button : {"bConfigure", "bUninstall", "bPluginConfigure", "bPluginUninstall"})
        EXPECT_FALSE(form->Button(button)->isEnabled()) << button;
    // The group list follows its check box.
    Child<QCheckBox>("cbSaveAuto")->setChecked(true);
    EXPECT_TRUE(Child<QComboBox>("cbContact")->isEnabled());
    Finish(false);
}

TEST_F(PreferencesTest, OkRefusesAnOptionThatIsNotValidAndKeepsTheWindowOpen) {
    struct Case {
        const char* field;
        const char* value;
        const char* message;
    };
    const Case cases[] = {
        {"eSendRetries", "x", "The send retry count is not valid"},
        {"eSendRetries", "-1", "The send retry count is not valid"},
        {"eResendDelay", "0", "The send retry interval is not valid"},
        {"eResendDelay", "1.5", "The send retry interval is not valid"},
        {"eAutoStart", "soon", "The autostart delay is not valid"},
        {"eOlder", "a week", "The number of days is not valid"},
        {"eDateFormat", "", "The date format is empty"},
    };
    OpenOptions();
    const auto before = IniFiles();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value);
        form->Prepare(ui::TfrmPref::DevicePage);
        Child<QCheckBox>("cbWav")->setChecked(false);
        SetText(c.field, c.value);
        EXPECT_EQ(Finish(true), c.message);
        EXPECT_TRUE(form->isVisible());
        // Nothing saved, nothing applied.
        EXPECT_EQ(IniFiles(), before);
        EXPECT_TRUE(engine->Options().playSound);
    }
    Finish(false);
}

TEST_F(PreferencesTest, OkSavesExactlyTheListedOptionsAndAppliesThemAtOnce) {
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "hello", "2004-03-17 10:00:00");
    OpenOptions(ui::TfrmPref::MessagePage);
    // The values the engine had before the window: none of the Server section but the GSM
    // count the fixture wrote.
    SetText("eSendRetries", "3");
    SetText("eResendDelay", "7");
    SetText("eDateFormat", "dd.mm.yyyy hh:nn");
    SetText("eAutoStart", "12");
    SetText("eOlder", "30");
    Child<QCheckBox>("cbStartup2")->setChecked(true);
    Child<QCheckBox>("cbWav")->setChecked(false);
    Child<QCheckBox>("cbSaveAuto")->setChecked(true);
    Child<QCheckBox>("cbDailyLog")->setChecked(true);
    EXPECT_EQ(Finish(true), "");
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(engine->preferencesOpen);

    const std::map<std::string, std::string> expected = {
        {"eSendRetries", "3"},
        {"eResendDelay", "7"},
        {"eDateFormat", "dd.mm.yyyy hh:nn"},
        {"cbSaveAuto", "1"},
        {"cbContact", "All contacts"},
        {"cbAutoSort", "0"},
        {"cbDailyLog", "1"},
        {"cbStartup2", "1"},
        {"eAutoStart", "12"},
        {"cbShmon", "1"},
        {"cbtips", "1"},
        {"cbWav", "0"},
        {"lbCOMPlugins", ""},
        {"cbFilterIn", "No filter is installed"},
        {"cbFilterOut", "No filter is installed"},
        {"eInstalledNumber", "0"},
        {"eOlder", "30"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Stored(name.c_str()), value) << name;
    // The other device counts change only with an install.
    for (const char* name : {"eUCPInstalledNumber", "eSMPPInstalledNumber", "eCIMDInstalledNumber"})
        EXPECT_EQ(Stored(name), "(none)") << name;

    // Applied without a restart.
    EXPECT_EQ(engine->Options().retries, 3);
    EXPECT_EQ(engine->Sms().retries, 3);
    EXPECT_EQ(engine->Options().resendIntervalMs, 7 * 60000);
    EXPECT_EQ(engine->Options().AutostartDelaySeconds(), 12);
    EXPECT_FALSE(engine->Options().playSound);
    EXPECT_TRUE(engine->Options().dailyFolders);
    EXPECT_EQ(window->MessageModel()->index(0, ui::kListTime).data().toString(),
              "17.03.2004 10:00");
    const std::string id = QueueOutgoing("+3620999", "counted");
    EXPECT_EQ(engine->Queue(SystemFolder::Outbox).At(0).retriesLeft, 3) << id;
}

TEST_F(PreferencesTest, CancelSavesNothingAndPutsBackATriedFilter) {
    Place("OutFilters/alpha.so");
    host.libraries["alpha.so"] = TestFilter('A');
    WriteOption("eSendRetries", "4");
    OpenOptions();
    FilterCalls().clear();
    const auto before = IniFiles();
    SetText("eSendRetries", "9");
    Child<QCheckBox>("cbtips")->setChecked(false);
    Choose("cbFilterOut", "alpha.so");
    // Chosen is loaded, so that its Configuration button reaches it.
    EXPECT_EQ(FilterCalls(), Texts{"A:init"});
    EXPECT_EQ(Finish(false), "");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(IniFiles(), before);
    EXPECT_EQ(FilterCalls(), (Texts{"A:init", "A:free"}));
    EXPECT_FALSE(engine->OutgoingFilter().IsActive());
    EXPECT_EQ(engine->Options().retries, 4);

    // Shown again, the window shows the options, not what was cancelled.
    form->Prepare(ui::TfrmPref::DevicePage);
    EXPECT_EQ(Text("eSendRetries"), "4");
    EXPECT_TRUE(Checked("cbtips"));
    EXPECT_EQ(Choice("cbFilterOut"), "No filter is installed");
    Finish(false);
}

TEST_F(PreferencesTest, AChosenFilterIsReloadedConfiguredAndFiltersTheNextMessage) {
    Place("OutFilters/alpha.so");
    Place("OutFilters/beta.so");
    Place("OutFilters/x.so");
    Place("OutFilters/notes.txt");
    Place("InFilters/gamma.so");
    host.libraries["alpha.so"] = TestFilter('A');
    host.libraries["beta.so"] = TestFilter('B');
    OpenOptions(ui::TfrmPref::FilterPage);
    FilterCalls().clear();
    auto* outgoing = Child<QComboBox>("cbFilterOut");
    Texts choices;
    for (int i = 0; i < outgoing->count(); ++i)
        choices.push_back(outgoing->itemText(i).toStdString());
    std::sort(choices.begin() + 1, choices.end());
    EXPECT_EQ(choices, (Texts{"No filter is installed", "alpha.so", "beta.so"}));
    EXPECT_EQ(Child<QComboBox>("cbFilterIn")->count(), 2);

    Choose("cbFilterOut", "alpha.so");
    Click("bFilterOutConfig");
    // Another choice frees the first library before the second starts.
    Choose("cbFilterOut", "beta.so");
    EXPECT_EQ(FilterCalls(), (Texts{"A:init", "A:config", "A:free", "B:init"}));
    // A library without a configuration entry is not called through it.
    EXPECT_EQ(Click("bFilterOutConfig"), "");
    EXPECT_EQ(Finish(true), "");
    EXPECT_EQ(Stored("cbFilterOut"), "beta.so");

    AddDevice("smpp");
    StartServer();
    QueueOutgoing("+3620999", "hello");
    Tick();
    ASSERT_FALSE(devices.back().sink->transmitted.empty());
    EXPECT_EQ(devices.back().sink->transmitted.back().text, "hello [B]");
}

TEST_F(PreferencesTest, InstallRefusesPastTheLimitOfEachKind) {
    struct Case {
        int type;
        const char* count;
        const char* full;
        const char* message;
    };
    const Case cases[] = {
        {0, "eInstalledNumber", "4", "You cannot install more than four devices!"},
        {1, "eUCPInstalledNumber", "10", "You cannot install more than ten ucp connections!"},
        {2, "eSMPPInstalledNumber", "10", "You cannot install more than ten smpp connections!"},
        {3, "eCIMDInstalledNumber", "10", "You cannot install more than ten CIMD2 connections!"},
    };
    for (const Case& c : cases)
        WriteOption(c.count, c.full);
    OpenOptions();
    host.started.clear();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Child<QComboBox>("cbDeviceType")->setCurrentIndex(c.type);
        EXPECT_EQ(Click("bInstall"), c.message);
        EXPECT_EQ(Text(c.count).toStdString(), c.full);
        EXPECT_EQ(Stored(c.count), c.full);
    }
    EXPECT_TRUE(host.started.empty());
    Finish(false);
}

TEST_F(PreferencesTest, InstallCountsSavesAndStartsOneMoreProgramOfTheKind) {
    WriteOption("eSMPPInstalledNumber", "2");
    Place("Devices/smpp");
    OpenOptions();
    host.started.clear();
    Child<QComboBox>("cbDeviceType")->setCurrentIndex(2);
    EXPECT_EQ(Click("bInstall"), "");
    EXPECT_EQ(Text("eSMPPInstalledNumber"), "3");
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "3");
    EXPECT_EQ(host.started, Texts{Absolute("Devices/smpp")});
    // Saved at once: Cancel does not take it back.
    Finish(false);
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "3");
}

TEST_F(PreferencesTest, TheDeviceListFollowsLoginsAndItsEntriesUninstallAndConfigure) {
    WriteOption("eSMPPInstalledNumber", "2");
    StartEngine();
    OpenOptions();
    Device& first = AddDevice("smpp");
    Device& cimd = AddDevice("cimd");
    Device& last = AddDevice("smpp");
    first.phone->registerMenuItem("smpp1 Configuration");
    ASSERT_TRUE(ProcessEventsUntil([&] { return Entries("lbHandsets").size() == 3; }, 5000));
    EXPECT_EQ(Entries("lbHandsets"), (Texts{"smpp1", "cimd1", "smpp2"}));

    Select("lbHandsets", "smpp1");
    EXPECT_TRUE(form->Button("bConfigure")->isEnabled());
    EXPECT_TRUE(form->Button("bUninstall")->isEnabled());
    Click("bConfigure");
    EXPECT_EQ(first.sink->events.back(), "MenuItemClick:smpp1 Configuration");

    // The count of the entry's kind drops; the last SMPP device is the one that ends.
    EXPECT_EQ(Click("bUninstall"), "");
    EXPECT_EQ(Text("eSMPPInstalledNumber"), "1");
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "1");
    host.RunPosted();
    EXPECT_EQ(last.sink->events, (Texts{"unInstall", "ServerShutdown"}));
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            return Entries("lbHandsets") == Texts{"smpp1", "cimd1"};
        },
        5000));
    EXPECT_TRUE(cimd.sink->events.empty() || cimd.sink->events.back() != "unInstall");

    // A device that leaves goes from the list.
    cimd.phone->SetSink(nullptr);
    DeviceStatusTimer().Fire();
    EXPECT_TRUE(ProcessEventsUntil([&] { return Entries("lbHandsets") == Texts{"smpp1"}; }, 5000));
    // All counts at 0: Uninstall and Configure are done with.
    Select("lbHandsets", "smpp1");
    Click("bUninstall");
    EXPECT_EQ(Stored("eSMPPInstalledNumber"), "0");
    EXPECT_FALSE(form->Button("bUninstall")->isEnabled());
    EXPECT_FALSE(form->Button("bConfigure")->isEnabled());
    Finish(false);
}

TEST_F(PreferencesTest, PluginsInstallConfigureAndUninstallWithTheActiveListFollowing) {
    PlacePlugin("wall");
    PlacePlugin("ticker");
    Place("Plugins/readme.txt");
    OpenOptions(ui::TfrmPref::PluginPage);
    EXPECT_EQ(form->Pages()->currentIndex(), ui::TfrmPref::PluginPage);
    auto* available = Child<QComboBox>("cbPlugins");
    ASSERT_EQ(available->count(), 2);
    EXPECT_EQ(available->itemText(0), "ticker");
    EXPECT_EQ(available->itemText(1), "wall");

    host.started.clear();
    available->setCurrentIndex(1);
    EXPECT_EQ(Click("bPluginInstall"), "");
    EXPECT_EQ(Entries("lbCOMPlugins"), Texts{"wall"});
    EXPECT_EQ(Stored("lbCOMPlugins"), "wall");
    EXPECT_EQ(host.started, Texts{Absolute("Plugins/wall")});

    // The plugin program logs in: the active list shows it.
    auto wall = engine->CreateMessageServer();
    RecordingServerSink sink;
    wall->SetSink(&sink);
    wall->login("wall");
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return Entries("lbCOMClients") == Texts{"wall 1"}; }, 5000));

    Select("lbCOMPlugins", "wall");
    EXPECT_EQ(Click("bPluginConfigure"), "Cannot locate configuration screen");
    wall->registerMenuItem("Wall settings");
    wall->registerMenuItem("Wall moderation");
    EXPECT_EQ(Click("bPluginConfigure"), "");
    EXPECT_EQ(sink.events.back(), "MenuItemClick:Wall settings");

    EXPECT_EQ(Click("bPluginUninstall"), "");
    EXPECT_EQ(sink.events.back(), "ServerShutdown");
    EXPECT_TRUE(Entries("lbCOMPlugins").empty());
    EXPECT_EQ(Stored("lbCOMPlugins"), "");
    EXPECT_TRUE(ProcessEventsUntil([&] { return Entries("lbCOMClients").empty(); }, 5000));
    EXPECT_FALSE(form->Button("bPluginUninstall")->isEnabled());
    Finish(false);
}

TEST_F(PreferencesTest, TheMenuCommandsOpenTheWindowModallyOnTheirPage) {
    Open();
    struct Case {
        const char* menu;
        const char* command;
        int page;
    };
    for (const Case& c : {Case{"Server1", "&Preferences...", ui::TfrmPref::DevicePage},
                          Case{"Plugins1", "Install plugins", ui::TfrmPref::PluginPage}}) {
        SCOPED_TRACE(c.command);
        QAction* command = nullptr;
        for (QAction* action : window->FindMenu(c.menu)->actions()) {
            if (action->text() == c.command)
                command = action;
        }
        ASSERT_NE(command, nullptr);
        int page = -1;
        bool open = false;
        OnNextModal([&](QWidget* modal) {
            auto* shown = qobject_cast<ui::TfrmPref*>(modal);
            ASSERT_NE(shown, nullptr);
            page = shown->Pages()->currentIndex();
            open = engine->preferencesOpen;
            shown->reject();
        });
        command->trigger();
        EXPECT_EQ(page, c.page);
        EXPECT_TRUE(open);
        EXPECT_FALSE(engine->preferencesOpen);
    }
}

}  // namespace
}  // namespace nimbra::testing_support
