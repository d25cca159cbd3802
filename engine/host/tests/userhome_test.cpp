#include "userhome.h"

#include <fstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "file_text.h"
#include "temp_dir.h"

namespace nimbra {
namespace {
namespace fs = std::filesystem;
using testing_support::TempDir;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

struct DataHomeCase {
    const char* xdg;
    const char* home;
    const char* expected;
};

TEST(UserDataHome, FollowsTheXdgRules) {
    const DataHomeCase cases[] = {
        {"/data", "/home/ann", "/data/nimbra"},
        {"", "/home/ann", "/home/ann/.local/share/nimbra"},
        {nullptr, "/home/ann", "/home/ann/.local/share/nimbra"},
        {"relative/data", "/home/ann", "/home/ann/.local/share/nimbra"},
        {"/data", nullptr, "/data/nimbra"},
        {nullptr, nullptr, ""},
        {"", "", ""},
    };
    for (const DataHomeCase& c : cases) {
        EXPECT_EQ(UserDataHome(c.xdg, c.home), fs::path(c.expected))
            << (c.xdg ? c.xdg : "(null)") << " " << (c.home ? c.home : "(null)");
    }
}

// An installed prefix: programs in lib/nimbra, data files in share/nimbra.
struct InstalledPrefix {
    InstalledPrefix() {
        Write(programs() / "transmit", "engine");
        Write(programs() / "nbsms", "client");
        Write(programs() / "Devices" / "smpp", "driver");
        Write(programs() / "Plugins" / "billboard", "plugin");
        Write(data() / "Languages.txt", "English\r\n");
        Write(data() / "Notify.wav", "RIFF");
        Write(data() / "Billboard" / "index.html", "<html>");
        Write(data() / "Help" / "index.html", "<html>help");
    }
    fs::path programs() const { return prefix.path() / "lib" / "nimbra"; }
    fs::path data() const { return prefix.path() / "share" / "nimbra"; }
    TempDir prefix;
};

TEST(InstalledDataDir, IsTheShareFolderOfAPrefixElseTheProgramFolder) {
    const InstalledPrefix installed;
    EXPECT_EQ(InstalledDataDir(installed.programs()), installed.data());

    const TempDir bundle;
    EXPECT_EQ(InstalledDataDir(bundle.path()), bundle.path());
}

TEST(PrepareUserHome, LinksTheProgramsAndCopiesTheDataFiles) {
    const InstalledPrefix installed;
    const TempDir user;
    const fs::path home = user / "share/nimbra";

    PrepareUserHome(home, installed.programs(), installed.data());

    for (const char* linked : {"Devices", "Plugins", "transmit", "nbsms"}) {
        EXPECT_TRUE(fs::is_symlink(home / linked)) << linked;
        EXPECT_EQ(fs::read_symlink(home / linked), installed.programs() / linked) << linked;
    }
    EXPECT_EQ(testing_support::ReadFileText(home / "Devices" / "smpp"), "driver");
    for (const char* copied : {"Languages.txt", "Notify.wav", "Billboard", "Help"}) {
        EXPECT_TRUE(fs::exists(home / copied)) << copied;
        EXPECT_FALSE(fs::is_symlink(home / copied)) << copied;
    }
    EXPECT_EQ(testing_support::ReadFileText(home / "Languages.txt"), "English\r\n");
    EXPECT_EQ(testing_support::ReadFileText(home / "Billboard" / "index.html"), "<html>");
    EXPECT_TRUE(fs::is_directory(home / "Languages" / "English"));
    // Nothing half-made is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(home))
        EXPECT_NE(entry.path().extension(), ".new") << entry.path();
}

TEST(PrepareUserHome, KeepsWhatTheHomeHoldsAndCompletesTheRest) {
    const InstalledPrefix installed;
    const TempDir user;
    const fs::path home = user.path();
    Write(home / "Languages.txt", "English\r\nDeutsch\r\n");
    Write(home / "Sent Items" / "1.sms", "kept");

    PrepareUserHome(home, installed.programs(), installed.data());
    PrepareUserHome(home, installed.programs(), installed.data());

    EXPECT_EQ(testing_support::ReadFileText(home / "Languages.txt"), "English\r\nDeutsch\r\n");
    EXPECT_EQ(testing_support::ReadFileText(home / "Sent Items" / "1.sms"), "kept");
    EXPECT_EQ(testing_support::ReadFileText(home / "Notify.wav"), "RIFF");
    EXPECT_TRUE(fs::is_symlink(home / "Devices"));
}

TEST(PrepareUserHome, NamesTheFolderItCannotMake) {
    const InstalledPrefix installed;
    const TempDir user;
    Write(user / "file", "in the way");
    try {
        PrepareUserHome(user / "file" / "nimbra", installed.programs(), installed.data());
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find((user / "file" / "nimbra").string()),
                  std::string::npos)
            << e.what();
    }
}

TEST(FolderWritable, ReadOnlyFoldersAreNotWritableEvenForRoot) {
    const TempDir dir;
    EXPECT_TRUE(FolderWritable(dir.path()));
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    EXPECT_FALSE(FolderWritable(dir.path()));
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_FALSE(FolderWritable(dir / "missing"));
}

}  // namespace
}  // namespace nimbra
