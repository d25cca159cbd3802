// Reading a folder's files away from the engine's thread and loading the queue from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "queuemanager.h"
#include "smsqueue.h"
#include "store_fixture.h"

namespace nimbra {
namespace {

using testing_support::StoreTest;

class FolderSnapshotTest : public StoreTest {
protected:
    FolderSnapshotTest() : queue_(store_, Home("q"), QueueFlags{}) {}

    // Writes a message file through a second queue of the same folder.
    void File(const std::string& text) {
        TSmsQueue writer(store_, Home("q"), QueueFlags{});
        writer.Add(Message("+3620", text), false);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < queue_.Count(); ++i)
            texts.push_back(queue_.At(i).text);
        return texts;
    }

    TSmsQueue queue_;
};

TEST_F(FolderSnapshotTest, LoadsWhatTheSnapshotReadAsLoadFolderWould) {
    for (const char* text : {"one", "two", "three"})
        File(text);
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    FolderSnapshot snapshot = ReadFolderSnapshot(queue_.Directory(), [&](auto done, auto total) {
        progress.emplace_back(done, total);
        return true;
    });
    ASSERT_EQ(snapshot.names.size(), 3u);
    EXPECT_EQ(progress.back(), std::make_pair(std::size_t{3}, std::size_t{3}));

    queue_.LoadSnapshot(std::move(snapshot));
    EXPECT_TRUE(queue_.loaded);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_TRUE(queue_.At(0).path.starts_with(queue_.Directory()));
    EXPECT_TRUE(queue_.At(0).FileExists());
}

// A message filed into the folder while its files were being read is not lost.
TEST_F(FolderSnapshotTest, FilesThatCameAfterTheSnapshotAreReadInTheirPlace) {
    File("one");
    FolderSnapshot snapshot = ReadFolderSnapshot(queue_.Directory());
    File("two");
    queue_.Add(Message("+3630", "three"));  // not loaded yet: only the file is written
    queue_.LoadSnapshot(std::move(snapshot));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(FolderSnapshotTest, MessagesReadAPartAtATimeAreTakenInOrder) {
    for (const char* text : {"one", "two", "three", "four", "five"})
        File(text);
    FolderSnapshot snapshot = ReadFolderSnapshot(queue_.Directory());
    EXPECT_EQ(queue_.ParseSnapshot(snapshot, 2), 3u);
    EXPECT_EQ(queue_.ParseSnapshot(snapshot, 2), 1u);
    EXPECT_EQ(queue_.Count(), 0);  // nothing is taken yet
    EXPECT_FALSE(queue_.loaded);
    queue_.LoadSnapshot(std::move(snapshot));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"one", "two", "three", "four", "five"}));
}

// A message that left the folder after its file was read is not brought back.
TEST_F(FolderSnapshotTest, FilesThatWentAfterTheSnapshotAreLeftOut) {
    File("stays");
    File("goes");
    FolderSnapshot snapshot = ReadFolderSnapshot(queue_.Directory());
    queue_.ParseSnapshot(snapshot, 2);
    ASSERT_EQ(snapshot.messages.size(), 2u);
    std::filesystem::remove(snapshot.messages[1]->path);
    queue_.LoadSnapshot(std::move(snapshot));
    EXPECT_EQ(Texts(), std::vector<std::string>{"stays"});
}

TEST_F(FolderSnapshotTest, ASnapshotOfAnotherFolderIsNotTakenForThisOne) {
    File("mine");
    TSmsQueue other(store_, Home("other"), QueueFlags{});
    other.Add(Message("+3620", "not mine"), false);
    queue_.LoadSnapshot(ReadFolderSnapshot(other.Directory()));
    EXPECT_EQ(Texts(), std::vector<std::string>{"mine"});
}

TEST_F(FolderSnapshotTest, ReadingStopsWhenProgressSaysSo) {
    for (int i = 0; i < 300; ++i)
        File("m" + std::to_string(i));
    const FolderSnapshot snapshot = ReadFolderSnapshot(
        queue_.Directory(), [](std::size_t done, std::size_t) { return done < 100; });
    EXPECT_LT(snapshot.names.size(), 300u);
    EXPECT_EQ(snapshot.names.size(), snapshot.contents.size());
}

TEST_F(FolderSnapshotTest, ReloadKeepsTheMessageADeviceIsSending) {
    File("one");
    File("two");
    queue_.LoadFolder();
    TSms* sending = &queue_.At(1);
    ASSERT_TRUE(sending->TryLock());
    File("three");
    queue_.ReloadSnapshot(ReadFolderSnapshot(queue_.Directory()));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(&queue_.At(1), sending);
}

TEST_F(FolderSnapshotTest, QueueToShowGivesTheFolderWithoutReadingIt) {
    TFolderMan folders(store_);
    TqueueManager queues(store_, folders);
    ASSERT_TRUE(folders.CreateFolder("Customers", nullptr));
    TSmsQueue* sent = queues.QueueToShow(kTreeSentItems);
    ASSERT_NE(sent, nullptr);
    EXPECT_FALSE(sent->loaded);
    TSmsQueue* user = queues.QueueToShow(kFirstUserFolderIndex);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->Directory(), Home("Folders/Customers/"));
    EXPECT_FALSE(user->loaded);
    EXPECT_EQ(queues.QueueToShow(kTreeServerEvents), nullptr);
    EXPECT_EQ(queues.QueueToShow(kFirstUserFolderIndex + 1), nullptr);

    queues.SelectFolder(kFirstUserFolderIndex);
    EXPECT_EQ(queues.ShownQueue(), user);
    EXPECT_TRUE(user->loaded);
    queues.SelectFolder(-1);
    EXPECT_EQ(queues.ShownQueue(), nullptr);
    EXPECT_EQ(queues.MessageList().RowCount(), 0);
}

}  // namespace
}  // namespace nimbra
