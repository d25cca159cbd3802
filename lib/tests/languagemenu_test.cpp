#include "languagemenu.h"

#include <filesystem>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include "file_text.h"
#include "keypath.h"
#include "notifier.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "temp_dir.h"
#include "translation.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedSettingsDir;
using testing_support::TempDir;

// Records the notifier's messages and the hooks' calls in one sequence.
class EventLog : public Notifier {
public:
    EventLog() { SetProcessNotifier(this); }
    ~EventLog() override { SetProcessNotifier(nullptr); }
    void ShowMessage(const std::string& text) override { events.push_back("message " + text); }

    LanguageHooks Hooks() {
        return {[this] { events.push_back("translate windows"); },
                [this](const std::string& text) { events.push_back("info " + text); },
                [this] { events.push_back("close"); }};
    }

    std::vector<std::string> events;
};

class LanguageMenuTest : public testing::Test {
protected:
    void WriteLanguages(const std::string& text) {
        testing_support::WriteFileText(home_ / "Languages.txt", text);
    }

    ScopedSettingsDir settings_;
    TempDir home_;
    LanguageFiles files_{home_.path(), "English"};
    EventLog log_;
};

TEST_F(LanguageMenuTest, OneCommandPerLineOfTheLanguageList) {
    WriteLanguages("English\r\nDeutsch\r\n\r\nSuomi");
    QMenu menu(QStringLiteral("&Language"));
    ASSERT_TRUE(BuildLanguageMenu(&menu, log_.Hooks(), files_));
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->objectName(), QStringLiteral("langName1"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Deutsch"));
    EXPECT_EQ(actions[2]->objectName(), QStringLiteral("langName4"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Suomi"));
    EXPECT_TRUE(log_.events.empty());
}

TEST_F(LanguageMenuTest, AMissingLanguageListIsToldAndTheMenuStaysEmpty) {
    QMenu menu;
    EXPECT_FALSE(BuildLanguageMenu(&menu, log_.Hooks(), files_));
    EXPECT_TRUE(menu.actions().isEmpty());
    EXPECT_EQ(log_.events, std::vector<std::string>{"message Languages file not found"});
}

TEST_F(LanguageMenuTest, ChoosingALanguageStoresItTellsEveryoneAndCloses) {
    WriteLanguages("English\r\nDeutsch\r\n");
    QMenu menu;
    ASSERT_TRUE(BuildLanguageMenu(&menu, log_.Hooks(), files_));
    menu.actions()[1]->trigger();
    EXPECT_EQ(files_.Language(), "Deutsch");
    EXPECT_EQ(ReadSetting(settings::kLanguageKey, settings::kLanguageValue, ""), "Deutsch");
    const std::vector<std::string> expected = {
        "translate windows", "info setlanguage(Deutsch)",
        "message After changing the language, you need to restart the application", "close"};
    EXPECT_EQ(log_.events, expected);
    // The restart message is itself a text of the new language.
    EXPECT_TRUE(fs::exists(home_ / "Languages/Deutsch/translation.txt"));
}

TEST_F(LanguageMenuTest, TheStoredLanguageIsReadFromTheProgramsTree) {
    LoadLanguageSetting(files_, SettingsRoot::LocalMachine);
    EXPECT_EQ(files_.Language(), "English");
    WriteSetting(settings::kLanguageKey, settings::kLanguageValue, "Deutsch");
    WriteSetting(settings::kLanguageKeyCurrentUser, settings::kLanguageValue, "Suomi");
    LoadLanguageSetting(files_, SettingsRoot::LocalMachine);
    EXPECT_EQ(files_.Language(), "Deutsch");
    LoadLanguageSetting(files_, SettingsRoot::CurrentUser);
    EXPECT_EQ(files_.Language(), "Suomi");
}

}  // namespace
}  // namespace nimbra
