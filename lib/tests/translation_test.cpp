#include "translation.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "file_text.h"
#include "inifile.h"
#include "recording_notifier.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileText;
using testing_support::ScopedProcessNotifier;
using testing_support::TempDir;
using testing_support::WriteFileText;

TEST(TranslationLineTest, SplitsAtTheFirstEqualsAndDropsTheOthers) {
    struct Case {
        const char* line;
        bool ok;
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"a=b", true, "a", "b"},      {"a=b=c", true, "a", "bc"},
        {"a=", true, "a", ""},        {"=x", true, "", "x"},
        {"no equals", false, "", ""}, {"Send = Senden", true, "Send ", " Senden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string key;
        std::string text;
        ASSERT_EQ(SplitTranslationLine(c.line, key, text), c.ok);
        if (c.ok) {
            EXPECT_EQ(key, c.key);
            EXPECT_EQ(text, c.text);
        }
    }
}

class TranslationTest : public testing::Test {
protected:
    fs::path MessageFile() const { return home_ / "Languages/English/translation.txt"; }

    TempDir home_;
    LanguageFiles files_{home_.path(), "English"};
    ScopedProcessNotifier notifier_;
};

TEST_F(TranslationTest, FirstRunCreatesTheFileWithOneLinePerText) {
    EXPECT_EQ(files_.Translate("Send"), "Send");
    EXPECT_EQ(files_.Translate("Cannot create directory: "), "Cannot create directory: ");
    EXPECT_EQ(files_.Translate("Send"), "Send");
    EXPECT_EQ(ReadFileText(MessageFile()),
              "Send=Send\r\nCannot create directory: =Cannot create directory: \r\n");
    EXPECT_TRUE(notifier_.messages().empty());
}

TEST_F(TranslationTest, TranslatedTextsAreUsedAndTheFirstLineOfAKeyWins) {
    WriteFileText(MessageFile(), "Send=Senden\r\nSend=Schicken\r\na=b=c\r\njunk line\r\nQuit=Ende");
    EXPECT_EQ(files_.Translate("Send"), "Senden");
    EXPECT_EQ(files_.Translate("a"), "bc");
    EXPECT_EQ(files_.Translate("Quit"), "Ende");
    EXPECT_EQ(files_.Translate("junk line"), "junk line");
}

TEST_F(TranslationTest, ANewTextStartsItsOwnLineInAFileWithoutAFinalLineBreak) {
    WriteFileText(MessageFile(), "Quit=Ende");
    EXPECT_EQ(files_.Translate("Send"), "Send");
    EXPECT_EQ(ReadFileText(MessageFile()), "Quit=Ende\r\nSend=Send\r\n");
    files_.Reset();
    EXPECT_EQ(files_.Translate("Quit"), "Ende");
}

TEST_F(TranslationTest, TheFileIsReadAgainAfterAReset) {
    EXPECT_EQ(files_.Translate("Send"), "Send");
    WriteFileText(MessageFile(), "Send=Senden\r\n");
    EXPECT_EQ(files_.Translate("Send"), "Send");  // the table is in memory
    files_.Reset();
    EXPECT_EQ(files_.Translate("Send"), "Senden");
}

TEST_F(TranslationTest, EachLanguageHasItsOwnFile) {
    WriteFileText(home_.path() / "Languages/Deutsch/translation.txt", "Send=Senden\r\n");
    files_.SetLanguage("Deutsch");
    EXPECT_EQ(files_.Translate("Send"), "Senden");
    files_.SetLanguage("English");
    EXPECT_EQ(files_.Translate("Send"), "Send");
}

TEST_F(TranslationTest, KeysThatCannotBeALineStayInMemory) {
    EXPECT_EQ(files_.Translate("a=b"), "a=b");
    EXPECT_EQ(files_.Translate("two\r\nlines"), "two\r\nlines");
    EXPECT_EQ(files_.Translate("ok"), "ok");
    EXPECT_EQ(ReadFileText(MessageFile()), "ok=ok\r\n");
}

TEST_F(TranslationTest, AnUnwritableFileIsToldForEachNewTextAndTheKeyIsUsed) {
    WriteFileText(home_.path() / "Languages/English", "a file where the folder should be");
    EXPECT_EQ(files_.Translate("Send"), "Send");
    EXPECT_EQ(files_.Translate("Send"), "Send");
    EXPECT_EQ(files_.Translate("Quit"), "Quit");
    ASSERT_EQ(notifier_.messages().size(), 2u);
    EXPECT_EQ(notifier_.messages()[0], "Cannot open language file: " + MessageFile().string());
}

TEST_F(TranslationTest, FoldersThatCannotBeCreatedAreTold) {
    WriteFileText(home_.path() / "Languages", "a file where the folder should be");
    EXPECT_FALSE(files_.EnsureFolders());
    ASSERT_FALSE(notifier_.messages().empty());
    EXPECT_EQ(notifier_.messages().back(),
              "Cannot create directory: " + (home_.path() / "Languages").string());
}

TEST_F(TranslationTest, FoldersAreCreated) {
    EXPECT_TRUE(files_.EnsureFolders());
    EXPECT_TRUE(fs::is_directory(home_.path() / "Languages/English"));
    EXPECT_TRUE(files_.EnsureFolders());
}

// The home the build assembles comes with the folder of its first language; the message
// file in it still fills itself with the texts the programs use.
TEST(BuiltHomeTest, HasTheEnglishFolderWhoseFilesFillThemselvesOnFirstUse) {
    const fs::path built(BUILT_HOME);
    ASSERT_TRUE(fs::is_directory(built / "Languages/English"));
    TempDir home;
    fs::copy(built / "Languages", home.path() / "Languages", fs::copy_options::recursive);
    ScopedProcessNotifier notifier;
    LanguageFiles files(home.path(), "English");
    EXPECT_TRUE(files.EnsureFolders());
    const std::string key = "A text the built home has never shown";
    EXPECT_EQ(files.Translate(key), key);
    EXPECT_NE(ReadFileText(home.path() / "Languages/English/translation.txt").find(key + "=" + key),
              std::string::npos);
    EXPECT_TRUE(notifier.messages().empty());
}

TEST(IniFileTest, ReadsWritesAndKeepsWhatItDoesNotUnderstand) {
    IniFile ini = IniFile::Parse(
        "; comment\r\n[MainForm]\r\nCaption=Main = window\r\nstray line\r\n\r\n[btnSend]\n"
        "caption=Send");
    EXPECT_EQ(ini.Read("mainform", "CAPTION"), "Main = window");
    EXPECT_EQ(ini.Read("btnSend", "Caption"), "Send");
    EXPECT_EQ(ini.Read("btnSend", "Hint"), std::nullopt);
    EXPECT_EQ(ini.Read("missing", "Caption"), std::nullopt);
    ini.Write("btnSend", "Hint", "Sends\r\nit");
    ini.Write("MainForm", "Caption", "Main");
    ini.Write("lblNew", "Caption", "New");
    EXPECT_EQ(ini.Text(),
              "; comment\r\n[MainForm]\r\nCaption=Main\r\nstray line\r\n\r\n[btnSend]\r\n"
              "caption=Send\r\nHint=Sends  it\r\n[lblNew]\r\nCaption=New\r\n");
    EXPECT_EQ(IniFile::Parse(ini.Text()).Text(), ini.Text());
}

TEST(IniFileTest, LoadAndSave) {
    TempDir dir;
    IniFile ini;
    EXPECT_TRUE(ini.Load(dir / "missing.txt"));
    ini.Write("A", "Caption", "\xE9t\xE9");
    ASSERT_TRUE(ini.Save(dir / "a.txt"));
    IniFile again;
    ASSERT_TRUE(again.Load(dir / "a.txt"));
    EXPECT_EQ(again.Read("A", "Caption"), "\xE9t\xE9");
    EXPECT_FALSE(ini.Save(dir / "no/such/folder.txt"));
    EXPECT_FALSE(fs::exists(dir / "no"));
}

}  // namespace
}  // namespace nimbra
