// Durable writes: a file's contents reach the disk before its name does, its folder after the
// rename, and the writes of one burst share the flushes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "atomicfile.h"
#include "durablewrites.h"
#include "file_text.h"
#include "flush_recorder.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

using testing_support::FlushRecorder;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DurableWritesTest, TheFileIsFlushedBeforeItsRenameAndTheFolderAfter) {
    TempDir dir;
    DurableWrites writes;
    FlushRecorder recorder(writes);
    const std::string path = (dir / "a.sms").string();
    ASSERT_TRUE(writes.Write(path, "new text"));
    ASSERT_EQ(recorder.events.size(), 2u);
    // While the file was flushed, its name was not there yet.
    EXPECT_EQ(recorder.events[0].rfind("file:" + path + ".", 0), 0u) << recorder.events[0];
    EXPECT_TRUE(recorder.events[0].ends_with(" []")) << recorder.events[0];
    EXPECT_EQ(recorder.events[1], "folder:" + dir.path().string() + " [a.sms]");
    EXPECT_EQ(ReadFileText(path), "new text");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.sms"});
}

TEST(DurableWritesTest, HeldWritesShareOneCommitAndOneFlushPerFolder) {
    TempDir dir;
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    DurableWrites writes;
    FlushRecorder recorder(writes);
    writes.Hold();
    for (const char* name : {"one/a.sms", "one/b.sms", "two/c.sms"})
        ASSERT_TRUE(writes.Write((dir / name).string(), name));
    // Nothing is in place before the commit, and the names wait as taken.
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(FlushRecorder::Listing(dir / "one"), " []");
    EXPECT_TRUE(writes.IsStaged((dir / "one/b.sms").string()));
    writes.Release();

    EXPECT_TRUE(writes.Commit());
    EXPECT_EQ(writes.CommitCount(), 1u);
    ASSERT_EQ(recorder.events.size(), 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(recorder.events[i].ends_with(" []")) << recorder.events[i];
    EXPECT_EQ(recorder.events[3], "folder:" + (dir / "one").string() + " [a.sms b.sms]");
    EXPECT_EQ(recorder.events[4], "folder:" + (dir / "two").string() + " [c.sms]");
    EXPECT_EQ(ReadFileText(dir / "two/c.sms"), "two/c.sms");
    EXPECT_FALSE(writes.IsStaged((dir / "one/b.sms").string()));
}

TEST(DurableWritesTest, AFailedFlushLeavesTheOldFileAndTellsTheWriter) {
    TempDir dir;
    const std::string path = (dir / "a.sms").string();
    WriteFileText(path, "old text");
    DurableWrites writes;
    FlushRecorder recorder(writes);
    recorder.fileResult = -1;
    // Without a hold the result tells.
    int told = 0;
    EXPECT_FALSE(writes.Write(path, "lost", [&told] { ++told; }));
    EXPECT_EQ(told, 0);
    // With one, the handler does, and the failure is on record for the writes it covers.
    const std::size_t before = writes.WriteCount();
    writes.Hold();
    EXPECT_TRUE(writes.Write(path, "lost too", [&told] { ++told; }));
    writes.Release();
    EXPECT_FALSE(writes.Commit());
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(writes.AnyFailed(before, writes.WriteCount()));
    EXPECT_FALSE(writes.AnyFailed(writes.WriteCount(), writes.WriteCount()));
    EXPECT_EQ(ReadFileText(path), "old text");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.sms"});
}

TEST(DurableWritesTest, AFullHoldCommitsByItself) {
    TempDir dir;
    DurableWrites writes;
    writes.Hold();
    for (std::size_t i = 0; i < kMaxHeldWrites; ++i)
        ASSERT_TRUE(writes.Write((dir / (std::to_string(i) + ".sms")).string(), "x"));
    writes.Release();
    EXPECT_EQ(writes.CommitCount(), 1u);
    EXPECT_FALSE(writes.Pending());
    EXPECT_EQ(Names(dir.path()).size(), kMaxHeldWrites);
}

TEST(StaleTemporariesTest, OnlyTemporaryFilesGoAndOnlyBelowWhenAsked) {
    TempDir dir;
    for (const char* name : {"Addressbook.csv", "Addressbook.csv.12-0.tmp", "a/x.sms",
                             "a/x.sms.12-1.tmp", "a/b/y.sms.9-3.tmp", "a/b/y.sms"})
        WriteFileText(dir / name, "text");
    fs::create_directories(dir / "kept.tmp");
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string(), false), 1u);
    EXPECT_TRUE(fs::exists(dir / "a/x.sms.12-1.tmp"));
    EXPECT_EQ(RemoveStaleTemporaries((dir / "a").string(), true), 2u);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Addressbook.csv", "a", "kept.tmp"}));
    EXPECT_EQ(Names(dir / "a"), (std::vector<std::string>{"b", "x.sms"}));
    EXPECT_EQ(Names(dir / "a/b"), std::vector<std::string>{"y.sms"});
}

}  // namespace
}  // namespace nimbra
