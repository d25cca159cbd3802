#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "file_text.h"
#include "queuemanager.h"
#include "store_fixture.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

using testing_support::StoreTest;

std::size_t FileCount(const std::string& directory) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(directory))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

class QueueManagerTest : public StoreTest {
protected:
    QueueManagerTest() {
        folders_ = std::make_unique<TFolderMan>(store_);
        folders_->ShowFolders();
        queues_ = std::make_unique<TqueueManager>(store_, *folders_);
        queues_->LoadAtStart();
    }
    TSmsQueue& Q(SystemFolder folder) { return queues_->Queue(folder); }
    void AddWithId(SystemFolder folder, const std::string& id, const std::string& text) {
        auto message = Message("+1", text);
        message->messageId = id;
        Q(folder).Add(std::move(message));
    }
    // Rebuilds the store from disk, as a new run of the engine would.
    void Restart() {
        queues_.reset();
        folders_ = std::make_unique<TFolderMan>(store_);
        folders_->ShowFolders();
        queues_ = std::make_unique<TqueueManager>(store_, *folders_);
        queues_->LoadAtStart();
    }

    std::unique_ptr<TFolderMan> folders_;
    std::unique_ptr<TqueueManager> queues_;
};

TEST_F(QueueManagerTest, CreatesTheEightSystemFoldersAndReadsOnlyTheBusyOnesAtStart) {
    for (const char* name : {"Tmp", "Inbox", "Outbox", "Waiting for resend", "Receive",
                             "Sent Items", "Deleted Items", "Could not be sent"}) {
        EXPECT_TRUE(fs::is_directory(Home("SysFolders/" + std::string(name)))) << name;
    }
    AddWithId(SystemFolder::Tmp, "1", "in process");
    AddWithId(SystemFolder::SentItems, "2", "sent");
    AddWithId(SystemFolder::Outbox, "3", "waiting");
    Restart();

    EXPECT_EQ(Q(SystemFolder::Tmp).Count(), 0);
    EXPECT_EQ(FileCount(Home("SysFolders/Tmp")), 1u);  // the file stays
    EXPECT_EQ(Q(SystemFolder::Outbox).Count(), 1);
    EXPECT_FALSE(Q(SystemFolder::SentItems).loaded);
    EXPECT_EQ(queues_->QueueForTreeIndex(kTreeSentItems), nullptr);
    queues_->SelectFolder(kTreeSentItems);
    EXPECT_TRUE(Q(SystemFolder::SentItems).loaded);
    EXPECT_EQ(queues_->QueueForTreeIndex(kTreeSentItems), &Q(SystemFolder::SentItems));
}

TEST_F(QueueManagerTest, AFileWhereTheSystemFoldersBelongStopsTheStart) {
    testing_support::TempDir other;
    testing_support::WriteFileText(other / "SysFolders", "x");
    StoreEnvironment env(sms_, other.path().string());
    TFolderMan folders(env);
    EXPECT_THROW(TqueueManager(env, folders), std::runtime_error);
}

struct LocateCase {
    const char* name;
    std::vector<SystemFolder> holders;
    SystemFolder expected;
};

class LocateTest : public QueueManagerTest, public testing::WithParamInterface<LocateCase> {};

TEST_P(LocateTest, TheFirstFolderInSearchOrderWins) {
    for (SystemFolder folder : GetParam().holders)
        AddWithId(folder, "77", "copy");
    AddWithId(SystemFolder::Inbox, "78", "other");
    const TqueueManager::Location found = queues_->LocateMessage("77");
    ASSERT_NE(found.message, nullptr);
    EXPECT_EQ(found.queue, &Q(GetParam().expected));
    EXPECT_EQ(found.message->messageId, "77");
    EXPECT_EQ(queues_->LocateMessage("7").message, nullptr);  // exact comparison
}

INSTANTIATE_TEST_SUITE_P(
    Order, LocateTest,
    testing::Values(
        LocateCase{"OutboxBeforeSentItems",
                   {SystemFolder::SentItems, SystemFolder::Outbox},
                   SystemFolder::Outbox},
        LocateCase{"OnlySentItemsEvenUnread", {SystemFolder::SentItems}, SystemFolder::SentItems},
        LocateCase{"DeletedBeforeInbox",
                   {SystemFolder::Inbox, SystemFolder::DeletedItems},
                   SystemFolder::DeletedItems},
        LocateCase{"TmpFirst", {SystemFolder::Receive, SystemFolder::Tmp}, SystemFolder::Tmp},
        LocateCase{"WaitingBeforeCouldNotBeSent",
                   {SystemFolder::CouldNotBeSent, SystemFolder::WaitingForResend},
                   SystemFolder::WaitingForResend}),
    [](const testing::TestParamInfo<LocateCase>& param) { return param.param.name; });

TEST_F(QueueManagerTest, TakeByMessageIdRemovesTheMessageAndItsFileAndReturnsACopy) {
    AddWithId(SystemFolder::Outbox, "5", "to send");
    const std::string file = Q(SystemFolder::Outbox).At(0).path;
    std::unique_ptr<TSms> taken = queues_->TakeByMessageId(Q(SystemFolder::Outbox), "5");
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->text, "to send");
    EXPECT_EQ(taken->path, file);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(Q(SystemFolder::Outbox).Count(), 0);
    EXPECT_EQ(queues_->TakeByMessageId(Q(SystemFolder::Outbox), "5"), nullptr);
}

TEST_F(QueueManagerTest, TakeByMessageIdDoesNotReadAFolder) {
    AddWithId(SystemFolder::SentItems, "6", "sent");
    EXPECT_EQ(queues_->TakeByMessageId(Q(SystemFolder::SentItems), "6"), nullptr);
    EXPECT_FALSE(Q(SystemFolder::SentItems).loaded);
    EXPECT_NE(queues_->FindByMessageId(Q(SystemFolder::SentItems), "6"), nullptr);
    EXPECT_TRUE(Q(SystemFolder::SentItems).loaded);
}

TEST_F(QueueManagerTest, SelectingFoldersFillsTheMessageList) {
    AddWithId(SystemFolder::Inbox, "1", "in one");
    AddWithId(SystemFolder::Inbox, "2", "in two");
    AddWithId(SystemFolder::Outbox, "3", "out");
    TMessageList& list = queues_->MessageList();

    queues_->SelectFolder(kTreeInbox);
    ASSERT_EQ(list.RowCount(), 2);
    EXPECT_EQ(queues_->MessageForRow(1)->text, "in two");
    EXPECT_EQ(queues_->MessageForRow(2), nullptr);
    queues_->SelectFolder(kTreeServerEvents);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(queues_->ShownQueue(), nullptr);
    queues_->SelectFolder(kTreeOutbox);
    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(queues_->MessageForRow(0)->text, "out");

    // A message dropped into the folder by hand shows after a refresh.
    fs::copy_file(Q(SystemFolder::Outbox).At(0).path, Home("SysFolders/Outbox/0_copy.sms"));
    queues_->RefreshShown();
    EXPECT_EQ(list.RowCount(), 2);
    queues_->DeleteRow(0);
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(FileCount(Home("SysFolders/Outbox")), 1u);
}

TEST_F(QueueManagerTest, SelectingANodeShowsItsFolderAndCountsItsMessages) {
    AddWithId(SystemFolder::WaitingForResend, "1", "retry");
    TFolderNode* work = folders_->CreateFolder("Work", nullptr);
    const TFolderTree& tree = folders_->Tree();
    EXPECT_EQ(queues_->SelectNode(*tree.NodeAt(kTreeWaitingForResend)), kTreeWaitingForResend);
    EXPECT_EQ(status_["status2"], "1");
    EXPECT_EQ(queues_->SelectNode(*tree.NodeAt(kTreeServerEvents)), kTreeServerEvents);
    EXPECT_EQ(queues_->ShownQueue(), nullptr);
    EXPECT_EQ(status_["status2"], "0");
    EXPECT_EQ(queues_->SelectNode(*work), kFirstUserFolderIndex);
    EXPECT_EQ(queues_->ShownQueue()->Directory(), Home("Folders/Work/"));
}

// A user folder may bear the name of a system folder; selecting it shows its own messages.
TEST_F(QueueManagerTest, AUserFolderNamedLikeASystemFolderShowsItsOwnMessages) {
    AddWithId(SystemFolder::Inbox, "1", "in the system Inbox");
    AddWithId(SystemFolder::SentItems, "2", "in the system Sent Items");
    for (const char* name : {"Inbox", "Sent items"}) {
        auto message = Message("+1", std::string("in the user folder ") + name);
        fs::create_directories(Home(std::string("Folders/") + name));
        ASSERT_TRUE(message->Save(Home(std::string("Folders/") + name + "/1.sms")));
    }
    Restart();
    const auto& top = folders_->Tree().TopLevel();
    for (const char* name : {"Inbox", "Sent items"}) {
        SCOPED_TRACE(name);
        const auto user = std::find_if(top.begin() + kFirstUserFolderIndex, top.end(),
                                       [&](const auto& node) { return NodeName(*node) == name; });
        ASSERT_NE(user, top.end());
        EXPECT_EQ(queues_->SelectNode(**user), folders_->Tree().IndexOfNode(user->get()));
        ASSERT_NE(queues_->ShownQueue(), nullptr);
        EXPECT_EQ(queues_->ShownQueue()->Directory(), Home(std::string("Folders/") + name + "/"));
        ASSERT_EQ(queues_->ShownQueue()->Count(), 1);
        EXPECT_EQ(queues_->ShownQueue()->At(0).text, std::string("in the user folder ") + name);
    }
    // The system folders are still found by their own nodes.
    EXPECT_EQ(queues_->SelectNode(*top[kTreeInbox]), kTreeInbox);
    EXPECT_EQ(queues_->ShownQueue()->At(0).text, "in the system Inbox");
}

TEST_F(QueueManagerTest, TheUserFolderCacheDropsTheFolderDisplayedLongestAgo) {
    for (std::size_t i = 0; i <= kUserFolderCacheSize; ++i) {
        TFolderNode* node = folders_->CreateFolder("F" + std::to_string(i), nullptr);
        queues_->SelectFolder(folders_->Tree().IndexOfNode(node));
        if (i == kUserFolderCacheSize - 1)
            queues_->SelectFolder(kFirstUserFolderIndex);  // F0 displayed again
    }
    EXPECT_NE(queues_->QueueForTreeIndex(kFirstUserFolderIndex), nullptr);
    EXPECT_EQ(queues_->QueueForTreeIndex(kFirstUserFolderIndex + 1), nullptr);
    EXPECT_NE(queues_->QueueForTreeIndex(kFirstUserFolderIndex + 2), nullptr);
    EXPECT_EQ(queues_->QueueForTreeIndex(queues_->ShownIndex()), queues_->ShownQueue());
}

TEST_F(QueueManagerTest, UserFoldersAreReadOnFirstDisplayAndCached) {
    TFolderNode* work = folders_->CreateFolder("Work", nullptr);
    const int index = folders_->Tree().IndexOfNode(work);
    EXPECT_EQ(queues_->QueueForTreeIndex(index), nullptr);
    queues_->SelectFolder(index);
    TSmsQueue* queue = queues_->QueueForTreeIndex(index);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->Directory(), Home("Folders/Work") + "/");
    queues_->SelectFolder(kTreeInbox);
    queues_->SelectFolder(index);
    EXPECT_EQ(queues_->QueueForTreeIndex(index), queue);
}

TEST_F(QueueManagerTest, MovingRowsToReadAndUnreadFolders) {
    AddWithId(SystemFolder::Inbox, "1", "to work");
    AddWithId(SystemFolder::Inbox, "2", "to deleted");
    AddWithId(SystemFolder::Inbox, "3", "to outbox");
    TFolderNode* work = folders_->CreateFolder("Work", nullptr);
    const int workIndex = folders_->Tree().IndexOfNode(work);
    const std::string firstName = fs::path(Q(SystemFolder::Inbox).At(0).path).filename();
    queues_->SelectFolder(kTreeInbox);

    // Not displayed yet: the file itself goes, under its own name.
    EXPECT_TRUE(queues_->MoveRow(0, workIndex));
    EXPECT_TRUE(fs::exists(Home("Folders/Work/" + firstName)));
    EXPECT_TRUE(queues_->MoveRow(0, kTreeDeletedItems));
    EXPECT_EQ(FileCount(Home("SysFolders/Deleted Items")), 1u);
    // A read folder gets a copy under a fresh name.
    EXPECT_TRUE(queues_->MoveRow(0, kTreeOutbox));
    ASSERT_EQ(Q(SystemFolder::Outbox).Count(), 1);
    EXPECT_EQ(Q(SystemFolder::Outbox).At(0).text, "to outbox");
    EXPECT_EQ(Q(SystemFolder::Inbox).Count(), 0);
    EXPECT_EQ(FileCount(Home("SysFolders/Inbox")), 0u);
    EXPECT_EQ(queues_->MessageList().RowCount(), 0);
}

TEST_F(QueueManagerTest, MovingARowToADisplayedUserFolderAddsItToThatQueue) {
    AddWithId(SystemFolder::Inbox, "1", "to work");
    TFolderNode* work = folders_->CreateFolder("Work", nullptr);
    const int workIndex = folders_->Tree().IndexOfNode(work);
    queues_->SelectFolder(workIndex);
    queues_->SelectFolder(kTreeInbox);
    EXPECT_TRUE(queues_->MoveRow(0, workIndex));
    TSmsQueue* workQueue = queues_->QueueForTreeIndex(workIndex);
    ASSERT_EQ(workQueue->Count(), 1);
    EXPECT_EQ(workQueue->At(0).text, "to work");
    EXPECT_EQ(FileCount(Home("Folders/Work")), 1u);
    EXPECT_EQ(FileCount(Home("SysFolders/Inbox")), 0u);
}

TEST_F(QueueManagerTest, MoveRowRefusesServerEventsTheShownFolderAndNameClashes) {
    AddWithId(SystemFolder::Inbox, "1", "stays");
    queues_->SelectFolder(kTreeInbox);
    EXPECT_FALSE(queues_->MoveRow(0, kTreeServerEvents));
    EXPECT_FALSE(queues_->MoveRow(0, kTreeInbox));
    EXPECT_FALSE(queues_->MoveRow(5, kTreeOutbox));

    // A file of the same name in the target is never overwritten.
    TFolderNode* work = folders_->CreateFolder("Work", nullptr);
    const std::string path = Q(SystemFolder::Inbox).At(0).path;
    const std::string clash = Home("Folders/Work/") + fs::path(path).filename().string();
    testing_support::WriteFileText(clash, "someone else's");
    EXPECT_FALSE(queues_->MoveRow(0, folders_->Tree().IndexOfNode(work)));
    EXPECT_EQ(notifier_.messages, (std::vector<std::string>{"Cannot move message!"}));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(testing_support::ReadFileText(clash), "someone else's");
    EXPECT_EQ(queues_->MessageList().RowCount(), 1);
}

TEST_F(QueueManagerTest, AMoveWhoseCopyCannotBeWrittenKeepsTheMessage) {
    AddWithId(SystemFolder::Inbox, "1", "stays");
    queues_->SelectFolder(kTreeInbox);
    const std::string path = Q(SystemFolder::Inbox).At(0).path;
    fs::remove_all(Home("SysFolders/Outbox"));
    testing_support::WriteFileText(Home("SysFolders/Outbox"), "not a folder");
    EXPECT_FALSE(queues_->MoveRow(0, kTreeOutbox));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(Q(SystemFolder::Inbox).Count(), 1);
    EXPECT_EQ(Q(SystemFolder::Outbox).Count(), 0);
}

TEST_F(QueueManagerTest, ADeletedOrRenamedFolderLeavesNoStaleQueue) {
    TFolderNode* work = folders_->CreateFolder("Work", nullptr);
    TFolderNode* sub = folders_->CreateFolder("Sub", work);
    const int subIndex = folders_->Tree().IndexOfNode(sub);
    queues_->SelectFolder(subIndex);
    queues_->QueueForTreeIndex(subIndex)->Add(Message("+1", "kept in sub"));
    ASSERT_EQ(queues_->MessageList().RowCount(), 1);

    ASSERT_TRUE(folders_->RenameFolder(work, "Job"));
    EXPECT_EQ(queues_->ShownQueue(), nullptr);
    EXPECT_EQ(queues_->MessageList().RowCount(), 0);
    EXPECT_EQ(queues_->QueueForTreeIndex(subIndex), nullptr);
    queues_->SelectFolder(subIndex);
    ASSERT_NE(queues_->ShownQueue(), nullptr);
    EXPECT_EQ(queues_->ShownQueue()->Directory(), Home("Folders/Job/Sub") + "/");
    EXPECT_EQ(queues_->MessageForRow(0)->text, "kept in sub");

    notifier_.answers = {true, true};
    ASSERT_TRUE(folders_->DeleteFolder(work));
    EXPECT_EQ(queues_->ShownQueue(), nullptr);
    folders_->CreateFolder("Job", nullptr);
    queues_->SelectFolder(kFirstUserFolderIndex);
    EXPECT_EQ(queues_->MessageList().RowCount(), 0);
}

}  // namespace
}  // namespace nimbra
