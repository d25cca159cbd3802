#include "settingsstore.h"

#include <chrono>
#include <filesystem>
#include <string>

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "file_text.h"
#include "keypath.h"
#include "recording_notifier.h"
#include "settingskeys.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedProcessNotifier;
using testing_support::ScopedSettingsDir;

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
    WritePluginSetting("Server", "SortCol", "5");
    EXPECT_EQ(ReadRaw("HKEY_LOCAL_MACHINE.ini"), damaged);
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

// Two processes write hundreds of values each into one store at the same time; each also
// rewrites one value of unchanging length after every write, which is the case a stale
// copy of the file would get wrong.
TEST_F(SettingsStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 300;
    QProcess first;
    QProcess second;
    for (QProcess* process : {&first, &second})
        process->setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(SETTINGS_WRITER), {QStringLiteral("a"), QString::number(kCount)});
    second.start(QStringLiteral(SETTINGS_WRITER), {QStringLiteral("b"), QString::number(kCount)});
    for (QProcess* process : {&first, &second}) {
        ASSERT_TRUE(process->waitForFinished(120000));
        ASSERT_EQ(process->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(process->exitCode(), 0);
    }
    int missing = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::string name = prefix + std::to_string(i);
            if (ReadPluginSetting("Stress", name, "") != "value " + std::to_string(i))
                ++missing;
        }
        EXPECT_EQ(ReadPluginSetting("Stress", std::string(prefix) + "last", ""), "000299");
    }
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(notifier_.messages().empty());
}

}  // namespace
}  // namespace nimbra
