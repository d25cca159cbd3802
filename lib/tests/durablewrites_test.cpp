// Durable writes: a file's contents reach the disk before its name does, its folder after the
// rename, and the writes of one burst share the flushes.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
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

// With the flusher, a commit goes on while the owner works on; the writes that come meanwhile
// wait and go together in the next batch, and whoever waits is told on the owner's thread.
TEST(DurableWritesTest, TheFlusherTakesTheWritesOfABurstTogether) {
    TempDir dir;
    DurableWrites writes;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> flushedFiles;
    bool firstMayGo = false;
    std::deque<std::function<void()>> posted;
    writes.SetSyncFunctions(
        [&](int fd) {
            std::unique_lock lock(mutex);
            flushedFiles.push_back(fs::path(FlushRecorder::NameOf(fd)).stem().stem().string());
            changed.notify_all();
            changed.wait(lock, [&] { return firstMayGo; });
            return 0;
        },
        [](int) { return 0; });
    writes.StartFlusher([&](std::function<void()> action) {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(action));
        changed.notify_all();
    });
    const auto path = [&dir](const char* name) { return (dir / name).string(); };
    std::vector<std::string> told;
    const auto write = [&](const char* name) {
        const std::size_t before = writes.WriteCount();
        writes.Hold();
        ASSERT_TRUE(writes.Write(path(name), name));
        writes.Release();
        writes.WhenCommitted(before, writes.WriteCount(), [&told, name](bool ok) {
            told.push_back(name + std::string(ok ? "" : " failed"));
        });
        writes.CommitSoon();
    };
    // Runs what the flusher posted, once it has posted count things.
    const auto runPosted = [&](std::size_t count) {
        std::deque<std::function<void()>> actions;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return posted.size() >= count; });
            actions.swap(posted);
        }
        for (auto& action : actions)
            action();
    };

    write("a");
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return flushedFiles.size() == 1; });
    }
    // "a" is being flushed: its name counts as taken, and the next writes wait.
    EXPECT_TRUE(writes.IsStaged(path("a")));
    write("b");
    write("c");
    EXPECT_TRUE(told.empty());
    EXPECT_FALSE(fs::exists(path("b")));
    {
        std::lock_guard lock(mutex);
        firstMayGo = true;
        changed.notify_all();
    }
    runPosted(1);  // "a" is done; "b" and "c" go to the flusher together
    EXPECT_EQ(told, std::vector<std::string>{"a"});
    runPosted(1);
    EXPECT_EQ(told, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(writes.CommitCount(), 2u);
    EXPECT_EQ(flushedFiles, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ReadFileText(path("c")), "c");
    EXPECT_FALSE(writes.Pending());
    writes.StopFlusher();
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

namespace nimbra {
namespace {

// A hold of more writes than kMaxHeldWrites, with the flusher: each full batch goes to the
// flusher and the owner writes on; every write is told placed, and every file is in place.
TEST(DurableWritesTest, FullHoldsGoToTheFlusherWhileTheOwnerWritesOn) {
    TempDir dir;
    DurableWrites writes;
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
    writes.StartFlusher([&](std::function<void()> action) {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(action));
    });
    const std::size_t count = kMaxHeldWrites * 2 + 10;
    writes.Hold();
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_TRUE(writes.Write((dir / (std::to_string(i) + ".sms")).string(), "x"));
    writes.Release();
    bool told = false;
    bool placed = false;
    writes.WhenCommitted(0, count, [&](bool ok) {
        told = true;
        placed = ok;
    });
    EXPECT_TRUE(writes.Commit());
    writes.StopFlusher();
    EXPECT_TRUE(told);
    EXPECT_TRUE(placed);
    EXPECT_EQ(Names(dir.path()).size(), count);
    EXPECT_GE(writes.CommitCount(), 3u);
}

}  // namespace
}  // namespace nimbra
