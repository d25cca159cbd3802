#include "partidmap.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace nimbra::driver {
namespace {

using namespace std::chrono_literals;
using std::filesystem::file_time_type;

std::set<std::string> FileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        names.insert(it->path().filename().string());
    return names;
}

class PartIdMapTest : public ::testing::Test {
protected:
    // A map on the folder as a driver started anew finds it.
    PartIdMap Restarted() const {
        return PartIdMap(folder_, [this] { return now_; });
    }

    testing_support::TempDir home_;
    std::filesystem::path folder_ = home_ / "ids";
    file_time_type now_ = file_time_type::clock::now() - 30 * 24h;
};

TEST_F(PartIdMapTest, EntriesAreFoundAfterARestartAlsoByTheNumberWrittenTheOtherWay) {
    Restarted().Remember("0000002A", "00000029");
    Restarted().Remember("1234", "1233");
    Restarted().Remember("a/b", "first");
    Restarted().Remember("same", "same");
    Restarted().Remember("123456-240101120001", "240101120000");
    struct Case {
        const char* id;
        const char* firstId;
    };
    const Case cases[] = {
        {"0000002A", "00000029"},
        {"42", "00000029"},  // 0x2A in decimal
        {"2a", "00000029"},
        {"1234", "1233"},
        {"4D2", "1233"},  // 1234 in hexadecimal
        {"a/b", "first"},
        {"123456-240101120001", "240101120000"},
        {"same", "same"},
        {"unknown", "unknown"},
        {"", ""},
    };
    const PartIdMap map = Restarted();
    for (const Case& c : cases)
        EXPECT_EQ(map.FirstIdOf(c.id), c.firstId) << c.id;
    // Nothing for an id that is its own first part; "a/b" under a name a file may bear.
    EXPECT_FALSE(FileNames(folder_).contains("same.partid"));
    EXPECT_TRUE(FileNames(folder_).contains("a%2Fb.partid"));
}

// Entries are dated by the map's clock: one a week old is no longer found, and RemoveOld
// takes its files (under every name) and leaves the younger ones.
TEST_F(PartIdMapTest, EntriesOlderThanAWeekAreNotFoundAndRemoved) {
    Restarted().Remember("1234", "1233");
    now_ += 5 * 24h;
    Restarted().Remember("P2", "P1");
    now_ += 2 * 24h - 1min;
    EXPECT_EQ(Restarted().FirstIdOf("4D2"), "1233");
    now_ += 2min;
    EXPECT_EQ(Restarted().FirstIdOf("1234"), "1234");
    EXPECT_EQ(Restarted().FirstIdOf("4D2"), "4D2");
    EXPECT_EQ(FileNames(folder_).size(), 4u) << "nothing removed before RemoveOld";

    Restarted().RemoveOld();
    EXPECT_EQ(FileNames(folder_), std::set<std::string>{"P2.partid"});
    EXPECT_EQ(Restarted().FirstIdOf("P2"), "P1");
}

// Files that hold no id, or are no files, are no entries; RemoveOld leaves files of other
// kinds alone and takes temporary files of writes that never ended.
TEST_F(PartIdMapTest, FilesThatHoldNoIdAreIgnored) {
    struct Case {
        const char* id;
        std::string content;  // "<folder>": a folder of that name
    };
    const Case cases[] = {
        {"empty", ""},
        {"lines", "P1\nP0\n"},
        {"control", std::string("P\0001", 3)},
        {"long", std::string(66, '7')},
        {"folder", "<folder>"},
    };
    std::filesystem::create_directories(folder_);
    for (const Case& c : cases) {
        const std::filesystem::path path = folder_ / (std::string(c.id) + ".partid");
        if (c.content == "<folder>") {
            std::filesystem::create_directory(path);
        } else {
            std::ofstream(path, std::ios::binary) << c.content;
        }
    }
    std::ofstream(folder_ / "notes.txt") << "P1";
    std::ofstream(folder_ / "P5.partid.77-1.tmp") << "P";
    for (const Case& c : cases)
        EXPECT_EQ(Restarted().FirstIdOf(c.id), c.id) << c.id;
    // An id too long or with a line break is neither kept nor looked up.
    Restarted().Remember(std::string(66, '8'), "P1");
    Restarted().Remember("P3", "P1\n");
    EXPECT_EQ(FileNames(folder_).size(), 7u);

    // Files written now are far younger than the map's clock reads back in time: a clock a
    // month ahead finds every file a week old.
    now_ = file_time_type::clock::now() + 30 * 24h;
    Restarted().RemoveOld();
    EXPECT_EQ(FileNames(folder_), (std::set<std::string>{"folder.partid", "notes.txt"}));
}

TEST_F(PartIdMapTest, AFolderThatCannotBeMadeLosesTheEntryQuietly) {
    std::ofstream(home_ / "file") << "in the way";
    const PartIdMap map(home_ / "file" / "ids");
    map.Remember("P2", "P1");
    EXPECT_EQ(map.FirstIdOf("P2"), "P2");
    map.RemoveOld();
}

}  // namespace
}  // namespace nimbra::driver
