#include "settingsstore.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>

#include <gtest/gtest.h>

#include "file_text.h"
#include "keypath.h"
#include "qansi.h"
#include "recording_notifier.h"
#include "settingskeys.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing_support::ScopedProcessNotifier;
using testing_support::ScopedSettingsDir;

constexpr char kPluginsGroup[] = "Software/Nimbra/Dovetail/CurrentVersion/Plugins/";
constexpr char kSmppSection[] = "[Software\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\smpp1]\r\n";

// Texts with the characters the INI notation treats specially, blanks at both ends, code-page
// letters and line breaks; then every text of up to two such characters. Named v0, v1...
SettingValues AwkwardValues() {
    std::vector<std::string> values = {
        "ab;cd",          "a,b",        "a, b",         " pass word ",
        "x=y#1 50%",      "say \"hi\"", "\"quoted\"",   "C:\\dir\\",
        "@home",          "@@",         " ;,\"=\\#%@ ", "mail@host",
        "\xE9t\xE9 \x80", "a\r\nb",     "a\0b"s,        "@Rect(1 2 3 4)"};
    const std::string alphabet =
        " \t;,\"=\\#%@\n\x1F"
        "1a\xE9\x80"s +
        '\0';
    values.emplace_back();
    for (const char a : alphabet) {
        values.emplace_back(1, a);
        for (const char b : alphabet)
            values.push_back(std::string{a, b});
    }
    SettingValues named;
    for (std::size_t i = 0; i < values.size(); ++i)
        named.emplace_back("v" + std::to_string(i), values[i]);
    return named;
}

struct KeyCase {
    const char* path;
    SettingsRoot root;
    const char* groups;
};

TEST(KeyPathTest, ResolvesRootsAndLevels) {
    const KeyCase cases[] = {
        {"\\Software\\Nimbra\\Dovetail", SettingsRoot::LocalMachine, "Software/Nimbra/Dovetail"},
        {"Software\\Nimbra", SettingsRoot::LocalMachine, "Software/Nimbra"},
        {"HKEY_LOCAL_MACHINE\\Software\\A", SettingsRoot::LocalMachine, "Software/A"},
        {"HKEY_CURRENT_USER\\Software\\A", SettingsRoot::CurrentUser, "Software/A"},
        {"HKEY_CURRENT_USER\\\\Software\\\\A\\", SettingsRoot::CurrentUser, "Software/A"},
        {"HKEY_CURRENT_USER", SettingsRoot::CurrentUser, ""},
        {"", SettingsRoot::LocalMachine, ""},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ResolveKeyPath(c.path), (ResolvedKey{c.root, c.groups}));
    }
    EXPECT_EQ(ResolveKeyPath("HKEY_CLASSES_ROOT\\Software\\X"), std::nullopt);
}

TEST(KeyPathTest, PluginSectionsAreBelowThePluginsKeyUnlessTheyNameARoot) {
    EXPECT_EQ(PluginKeyPath("Server"),
              "HKEY_LOCAL_MACHINE\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Server");
    EXPECT_EQ(PluginKeyPath("HKEY_CURRENT_USER\\Software\\X"), "HKEY_CURRENT_USER\\Software\\X");
}

class SettingsStoreTest : public testing::Test {
protected:
    fs::path StoreFile(const char* name) const { return dir_.path() / name; }

    void WriteRaw(const char* name, const std::string& text) const {
        testing_support::WriteFileText(StoreFile(name), text);
    }

    std::string ReadRaw(const char* name) const {
        return testing_support::ReadFileText(StoreFile(name));
    }

    // The store file and files to compare it with go through QSettings' IniFormat, as the
    // store read and wrote them before it had a format of its own. Each time through a copy of
    // another name: QSettings keeps what it parsed of a file by name, whatever the format.
    QString SideFile() {
        return QString::fromStdString((dir_.path() / "side").string()) +
               QString::number(++sideFiles_);
    }

    QVariant ReadInIniFormat(const std::string& section, const std::string& name) {
        const QString copy = SideFile();
        fs::copy_file(StoreFile("HKEY_LOCAL_MACHINE.ini"), copy.toStdString());
        return QSettings(copy, QSettings::IniFormat)
            .value(QFromAnsi(kPluginsGroup + section + "/" + name));
    }

    void WriteInIniFormat(const std::string& section, const SettingValues& values) {
        const QString copy = SideFile();
        {
            QSettings store(copy, QSettings::IniFormat);
            for (const auto& [name, value] : values)
                store.setValue(QFromAnsi(kPluginsGroup + section + "/" + name), QFromAnsi(value));
        }
        fs::rename(copy.toStdString(), StoreFile("HKEY_LOCAL_MACHINE.ini"));
    }

    int sideFiles_ = 0;

    ScopedSettingsDir dir_;
    ScopedProcessNotifier notifier_;
};

TEST_F(SettingsStoreTest, EmptyStoreGivesTheDefaults) {
    EXPECT_EQ(ReadPluginSetting("Server", "SortCol", "3"), "3");
    EXPECT_EQ(ReadSetting(settings::kRootKey, settings::kCaptionValue, "SERVER"), "SERVER");
    EXPECT_TRUE(notifier_.messages().empty());
    // Reading creates nothing.
    EXPECT_FALSE(fs::exists(StoreFile("HKEY_LOCAL_MACHINE.ini")));
}

TEST_F(SettingsStoreTest, ValuesSurviveTheRoundTripByteForByte) {
    const std::string values[] = {
        "plain",    " leading and trailing ", "a=b;c#d",       "one, two, three", "back\\slash\\",
        "quote\"s", "\xE9t\xE9 \x80 \xFF",    "line\r\nbreak", "[not a section]", "@Rect(1 2 3 4)",
    };
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        WritePluginSetting("Server", "Some value name", value);
        EXPECT_EQ(ReadPluginSetting("Server", "Some value name", "default"), value);
    }
}

TEST_F(SettingsStoreTest, MissingAndEmptyValues) {
    WriteSetting("\\Software\\Nimbra\\Dovetail", "Caption", "");
    // ReadSetting treats an empty value as missing; a plugin section value that exists is
    // returned even when empty.
    EXPECT_EQ(ReadSetting("\\Software\\Nimbra\\Dovetail", "Caption", "SERVER"), "SERVER");
    WritePluginSetting("Server", "eEmpty", "");
    EXPECT_EQ(ReadPluginSetting("Server", "eEmpty", "x"), "");
}

TEST_F(SettingsStoreTest, TheTwoRootsAreKeptApart) {
    WriteSetting(settings::kLanguageKey, settings::kLanguageValue, "Deutsch");
    WritePluginSetting(settings::kLanguageKeyCurrentUser, settings::kLanguageValue, "Suomi");
    EXPECT_EQ(ReadSetting(settings::kLanguageKey, "Language", "English"), "Deutsch");
    EXPECT_EQ(ReadSetting(settings::kLanguageKeyCurrentUser, "Language", "English"), "Suomi");
    EXPECT_EQ(
        ReadSetting("HKEY_LOCAL_MACHINE\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Settings",
                    "Language", ""),
        "Deutsch");
    EXPECT_TRUE(fs::exists(StoreFile("HKEY_LOCAL_MACHINE.ini")));
    EXPECT_TRUE(fs::exists(StoreFile("HKEY_CURRENT_USER.ini")));
}

TEST_F(SettingsStoreTest, KeysOfOtherRootsCannotBeOpened) {
    WriteSetting("HKEY_USERS\\Software\\X", "v", "1");
    WritePluginSetting("HKEY_CLASSES_ROOT\\X", "v", "1");
    EXPECT_EQ(ReadSetting("HKEY_USERS\\Software\\X", "v", "d"), "d");
    EXPECT_EQ(ReadPluginSetting("HKEY_CLASSES_ROOT\\X", "v", "d"), "d");
    EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(SettingsStoreTest, SeveralValuesInOneWrite) {
    WritePluginSettings("Server", {{"eHost", "h"}, {"ePort", "8080"}, {"eHost", "h2"}});
    EXPECT_EQ(ReadPluginSetting("Server", "eHost", ""), "h2");
    EXPECT_EQ(ReadPluginSetting("Server", "ePort", ""), "8080");
}

TEST_F(SettingsStoreTest, SectionsAreSeparateKeys) {
    WritePluginSetting("Server", "eHost", "a");
    WritePluginSetting("smpp1", "eHost", "b");
    EXPECT_EQ(ReadPluginSetting("Server", "eHost", ""), "a");
    EXPECT_EQ(ReadPluginSetting("smpp1", "eHost", ""), "b");
    EXPECT_EQ(ReadWallSetting("Plugins\\smpp1", "eHost", "none"), "none");
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesGiveTheDefault) {
    WriteRaw("HKEY_LOCAL_MACHINE.ini",
             "[Software]\r\n"
             "Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Server\\SortCol=@Rect(1 2 3 4)\r\n"
             "Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Server\\Typed=a, b\r\n");
    EXPECT_EQ(ReadPluginSetting("Server", "SortCol", "3"), "3");
    // A list, as an unquoted value with commas reads, comes back as the text typed.
    EXPECT_EQ(ReadPluginSetting("Server", "Typed", ""), "a, b");
}

TEST_F(SettingsStoreTest, HandTypedValuesReadAsTyped) {
    struct Case {
        std::string line;
        std::string value;
    };
    const Case cases[] = {
        {"ePass=ab;cd", "ab;cd"},
        {"eList=a,b", "a,b"},
        {"eBlanks=  pass word\t ", "  pass word\t "},
        {"eText=x=y #1 50% say \"hi\" mail@host", "x=y #1 50% say \"hi\" mail@host"},
        {"eQuoted=\" a;b, \\\"c\\\" \" ; comment", " a;b, \"c\" "},
        {"ePath=\"C:\\\\dir\\\\\"", "C:\\dir\\"},
        {"eAt=@@home", "@home"},
        {"eCodePage=caf\xE9", "caf\xE9"},
        {"eUtf8=caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80"},
        {"eEmpty=", ""},
    };
    std::string file = kSmppSection;
    for (const Case& c : cases)
        file += c.line + "\r\n";
    WriteRaw("HKEY_LOCAL_MACHINE.ini", file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ReadPluginSetting("smpp1", c.line.substr(0, c.line.find('=')), "default"),
                  c.value);
    }
    EXPECT_TRUE(notifier_.messages().empty());
}

TEST_F(SettingsStoreTest, NamesAndLevelsMatchWhateverTheirCase) {
    WriteRaw("HKEY_LOCAL_MACHINE.ini",
             "[SOFTWARE]\nOther=1\n"
             "[software]\nnimbra\\DOVETAIL\\currentversion\\plugins\\SMPP1\\EPASS=secret\n");
    EXPECT_EQ(ReadPluginSetting("smpp1", "ePass", ""), "secret");
    EXPECT_EQ(
        ReadSetting("\\SOFTWARE\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Smpp1", "epass", ""),
        "secret");
    // A write replaces the value under the name it has rather than adding a second one, and
    // a new value goes into the levels as they are spelled.
    WritePluginSettings("smpp1", {{"ePass", "new"}, {"eHost", "h"}, {"EHOST", "H"}});
    EXPECT_EQ(ReadPluginSetting("smpp1", "EPass", ""), "new");
    EXPECT_EQ(ReadPluginSetting("smpp1", "eHost", ""), "H");
    EXPECT_EQ(ReadRaw("HKEY_LOCAL_MACHINE.ini"),
              "[SOFTWARE]\nOther=1\n\n"
              "[software]\n"
              "nimbra\\DOVETAIL\\currentversion\\plugins\\SMPP1\\EPASS=new\n"
              "nimbra\\DOVETAIL\\currentversion\\plugins\\SMPP1\\eHost=H\n");
}

TEST_F(SettingsStoreTest, FilesInTheIniFormatReadUnchanged) {
    const SettingValues written = AwkwardValues();
    WriteInIniFormat("Server", written);
    for (const auto& [name, value] : written)
        EXPECT_EQ(ReadPluginSetting("Server", name, "default"), value) << name;
}

TEST_F(SettingsStoreTest, FilesWrittenNowReadTheSameInTheIniFormat) {
    const SettingValues written = AwkwardValues();
    WritePluginSettings("Server", written);
    for (const auto& [name, value] : written) {
        EXPECT_EQ(ReadPluginSetting("Server", name, "default"), value) << name;
        EXPECT_EQ(ReadInIniFormat("Server", name), QVariant(QFromAnsi(value))) << name;
    }
}

// A write rewrites the whole file: what was typed by hand still reads as typed, now also in the
// IniFormat, and a value that is not text stays as it was written.
TEST_F(SettingsStoreTest, RewritingKeepsWhatWasTyped) {
    WriteRaw("HKEY_LOCAL_MACHINE.ini", std::string(kSmppSection) +
                                           "ePass= ab;cd \r\n"
                                           "eList=a,b\r\n"
                                           "eRect=@Rect(1 2 3 4)\r\n");
    WritePluginSetting("smpp1", "eHost", "h");
    const std::string file = ReadRaw("HKEY_LOCAL_MACHINE.ini");
    EXPECT_NE(file.find("\\eRect=@Rect(1 2 3 4)\n"), std::string::npos) << file;
    for (const auto& [name, value] : SettingValues{{"ePass", " ab;cd "}, {"eList", "a,b"}}) {
        EXPECT_EQ(ReadPluginSetting("smpp1", name, ""), value);
        EXPECT_EQ(ReadInIniFormat("smpp1", name), QVariant(QFromAnsi(value)));
    }
    EXPECT_EQ(ReadPluginSetting("smpp1", "eRect", "default"), "default");
}

// The value another process writes is read at once, even when it has the length of the
// value this process read a moment before.
TEST_F(SettingsStoreTest, AnotherProcessesValueIsSeenAtOnce) {
    WritePluginSetting("Stress", "c0", "value 0");
    WritePluginSetting("Stress", "clast", "000005");
    EXPECT_EQ(ReadPluginSetting("Stress", "clast", ""), "000005");
    ASSERT_EQ(QProcess::execute(QStringLiteral(SETTINGS_WRITER), {"c", "1"}), 0);
    EXPECT_EQ(ReadPluginSetting("Stress", "clast", ""), "000000");
    EXPECT_EQ(ReadPluginSetting("Stress", "c0", ""), "value 0");
}

// Readers notice a change by size and modification time; on file systems whose clock ticks
// coarsely, two writes could share a time. Every write therefore leaves a modification time
// after the one it found, even when that one lies ahead of the clock.
TEST_F(SettingsStoreTest, EveryWriteMovesTheModificationTimeOn) {
    WritePluginSetting("Server", "eHost", "aaaa");
    const fs::path file = StoreFile("HKEY_LOCAL_MACHINE.ini");
    const auto ahead = fs::last_write_time(file) + std::chrono::seconds(10);
    fs::last_write_time(file, ahead);
    WritePluginSetting("Server", "eHost", "bbbb");
    const auto inMilliseconds = [](fs::file_time_type t) {
        return std::chrono::floor<std::chrono::milliseconds>(t.time_since_epoch()).count();
    };
    EXPECT_GT(inMilliseconds(fs::last_write_time(file)), inMilliseconds(ahead));
    EXPECT_EQ(ReadPluginSetting("Server", "eHost", ""), "bbbb");
}

TEST_F(SettingsStoreTest, UnreadableStoreIsToldOnceAndDefaultsAreUsed) {
    fs::create_directory(StoreFile("HKEY_LOCAL_MACHINE.ini"));
    EXPECT_EQ(ReadPluginSetting("Server", "SortCol", "3"), "3");
    EXPECT_EQ(ReadSetting("\\Software\\X", "Y", "d"), "d");
    WritePluginSetting("Server", "SortCol", "5");
    EXPECT_EQ(ReadPluginSetting("Server", "SortCol", "3"), "3");
    ASSERT_FALSE(notifier_.messages().empty());
    EXPECT_EQ(notifier_.messages().front(),
              "Cannot read settings file: " + StoreFile("HKEY_LOCAL_MACHINE.ini").string());
}

TEST_F(SettingsStoreTest, DamagedStoreIsNotOverwritten) {
    const std::string damaged =
        "[Software]\r\nNimbra\\Dovetail\\CurrentVersion\\Plugins\\Server\\eHost=kept\r\n["
        "broken\r\n";
    WriteRaw("HKEY_LOCAL_MACHINE.ini", damaged);
    EXPECT_EQ(ReadPluginSetting("Server", "SortCol", "3"), "3");
    EXPECT_EQ(ReadPluginSetting("Server", "EHOST", ""), "kept") << "what can be read is read";
    WritePluginSetting("Server", "SortCol", "5");
    EXPECT_EQ(ReadRaw("HKEY_LOCAL_MACHINE.ini"), damaged);
    EXPECT_EQ(ReadPluginSetting("Server", "eHost", ""), "kept");
    ASSERT_EQ(notifier_.messages().size(), 1u);
    EXPECT_EQ(notifier_.messages()[0], "Settings file is damaged and is left unchanged: " +
                                           StoreFile("HKEY_LOCAL_MACHINE.ini").string());
    // The other root is not affected.
    WritePluginSetting("HKEY_CURRENT_USER\\Software\\X", "v", "1");
    EXPECT_EQ(ReadSetting("HKEY_CURRENT_USER\\Software\\X", "v", ""), "1");
}

// A notifier may run an event loop (a message box) in which more settings are read; a
// second damaged file found there must be told too, not wait for the first message.
TEST_F(SettingsStoreTest, ANotifierMayReadSettingsWhileTellingOfADamagedFile) {
    WriteRaw("HKEY_LOCAL_MACHINE.ini", "[broken\r\n");
    WriteRaw("HKEY_CURRENT_USER.ini", "[broken too\r\n");
    struct ReadingNotifier : Notifier {
        void ShowMessage(const std::string& text) override {
            messages.push_back(text);
            ReadSetting("HKEY_CURRENT_USER\\Software\\X", "v", "");
        }
        std::vector<std::string> messages;
    } reading;
    SetProcessNotifier(&reading);
    EXPECT_EQ(ReadSetting("\\Software\\X", "v", "d"), "d");
    SetProcessNotifier(&notifier_.notifier);
    ASSERT_EQ(reading.messages.size(), 2u);
    EXPECT_NE(reading.messages[1].find("HKEY_CURRENT_USER.ini"), std::string::npos);
}

TEST(SettingsFolderTest, FollowsTheEnvironment) {
    ScopedSettingsDir dir;
    EXPECT_EQ(SettingsFolder(), dir.path().string());
    ::unsetenv("NIMBRA_SETTINGS_DIR");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere", 1);
    EXPECT_EQ(SettingsFolder(), "/somewhere/nimbra");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFolder(), std::string(std::getenv("HOME")) + "/.config/nimbra");
    if (xdg)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
}

// Two processes write hundreds of values each into one store at the same time, texts with
// the characters the notation treats specially; each also rewrites one value of unchanging
// length after every write, which is the case a stale copy of the file would get wrong.
// Values typed into the file before are read as typed throughout.
TEST_F(SettingsStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 300;
    const std::string text = " ;,\"=\\#%@ ";
    WriteRaw("HKEY_LOCAL_MACHINE.ini",
             "[Software\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\Stress]\r\n"
             "ePass= ab;cd \r\neList=a,b\r\n");
    QProcess first;
    QProcess second;
    for (QProcess* process : {&first, &second})
        process->setProcessChannelMode(QProcess::ForwardedChannels);
    for (const auto& [process, prefix] : {std::pair{&first, "a"}, std::pair{&second, "b"}}) {
        process->start(QStringLiteral(SETTINGS_WRITER),
                       {QString::fromLatin1(prefix), QString::number(kCount), QFromAnsi(text)});
    }
    for (QProcess* process : {&first, &second}) {
        ASSERT_TRUE(process->waitForFinished(120000));
        ASSERT_EQ(process->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(process->exitCode(), 0);
    }
    int missing = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::string number = std::to_string(i);
            if (ReadPluginSetting("Stress", prefix + number, "") != text + number + text)
                ++missing;
        }
        EXPECT_EQ(ReadPluginSetting("Stress", std::string(prefix) + "last", ""), "000299");
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(ReadPluginSetting("Stress", "ePass", ""), " ab;cd ");
    EXPECT_EQ(ReadPluginSetting("Stress", "eList", ""), "a,b");
    EXPECT_TRUE(notifier_.messages().empty());
}

}  // namespace
}  // namespace nimbra
