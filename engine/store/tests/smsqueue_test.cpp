#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "durablewrites.h"
#include "file_text.h"
#include "flush_recorder.h"
#include "folderman.h"
#include "messagelist.h"
#include "smsqueue.h"
#include "store_fixture.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

using testing_support::kHour;
using testing_support::StoreTest;

std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file())
            names.push_back(fs::relative(entry.path(), directory).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class SmsQueueTest : public StoreTest {
protected:
    TSmsQueue& NewQueue(const std::string& name, QueueFlags flags = {}, bool load = true) {
        queues_.push_back(std::make_unique<TSmsQueue>(store_, Home(name), flags, folders_.get()));
        if (load)
            queues_.back()->LoadFolder();
        return *queues_.back();
    }
    std::vector<std::string> Texts(const TSmsQueue& queue) const {
        std::vector<std::string> texts;
        for (int i = 0; i < queue.Count(); ++i)
            texts.push_back(queue.At(i).text);
        return texts;
    }

    std::unique_ptr<TFolderMan> folders_;
    std::vector<std::unique_ptr<TSmsQueue>> queues_;
};

TEST_F(SmsQueueTest, AddGivesListIdsFromTwoAndWritesEachMessage) {
    TSmsQueue& queue = NewQueue("q");
    EXPECT_EQ(queue.Add(Message("a", "one")).index, 0);
    EXPECT_EQ(queue.Add(Message("b", "two")).index, 1);
    EXPECT_EQ(queue.At(0).listId, 2);
    EXPECT_EQ(queue.At(1).listId, 3);
    EXPECT_EQ(FilesIn(Home("q")).size(), 2u);
    EXPECT_EQ(queue.FindByListId(3), &queue.At(1));
    EXPECT_EQ(queue.FindByListId(4), nullptr);
    EXPECT_EQ(queue.FindByListId(-1), nullptr);
}

// A message filed in a folder is acknowledged to whoever handed it over: its contents reach the
// disk before its name, the folder's entry after the rename.
TEST_F(SmsQueueTest, AFiledMessageIsFlushedBeforeItsRenameAndItsFolderAfter) {
    TSmsQueue& queue = NewQueue("q");
    testing_support::FlushRecorder recorder(ProcessDurableWrites());
    ASSERT_TRUE(queue.Add(Message("a", "one")).saved);
    const std::string name = fs::path(queue.At(0).path).filename().string();
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].rfind("file:" + queue.At(0).path + ".", 0), 0u);
    EXPECT_TRUE(recorder.events[0].ends_with(" []")) << recorder.events[0];
    EXPECT_TRUE(recorder.events[1].ends_with(" [" + name + "]")) << recorder.events[1];
}

// The original of a moved message goes only once its copy is on the disk, folder and all.
TEST_F(SmsQueueTest, AMovedMessageLeavesItsFolderOnlyOnceTheCopyIsFlushed) {
    TSmsQueue& from = NewQueue("from");
    TSmsQueue& to = NewQueue("to");
    from.Add(Message("a", "moving"));
    const std::string original = from.At(0).path;
    std::vector<std::string> seen;
    DurableWrites& writes = ProcessDurableWrites();
    writes.SetSyncFunctions(
        [&](int) {
            seen.push_back(std::string("file, original ") +
                           (fs::exists(original) ? "kept" : "gone"));
            return 0;
        },
        [&](int) {
            seen.push_back(std::string("folder, original ") +
                           (fs::exists(original) ? "kept" : "gone"));
            return 0;
        });
    // Held, as a call of a client or device holds them.
    writes.Hold();
    const bool moved = MoveMessage(from, 0, to);
    writes.Release();
    writes.Commit();
    testing_support::FlushRecorder restore(writes);
    EXPECT_TRUE(moved);
    EXPECT_EQ(seen, (std::vector<std::string>{"file, original kept", "folder, original kept"}));
    EXPECT_FALSE(fs::exists(original));
    EXPECT_EQ(Texts(to), std::vector<std::string>{"moving"});
    EXPECT_EQ(FilesIn(Home("to")).size(), 1u);
}

TEST_F(SmsQueueTest, AddToAQueueNotReadYetOnlyWritesTheFile) {
    TSmsQueue& queue = NewQueue("q", {}, false);
    const TSmsQueue::AddResult result = queue.Add(Message("a", "one"));
    EXPECT_EQ(result.index, 0);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(queue.Count(), 0);
    queue.LoadFolder();
    ASSERT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.At(0).text, "one");
    EXPECT_EQ(queue.At(0).listId, 3);  // list ids keep counting
}

TEST_F(SmsQueueTest, LoadSkipsFilesThatDoNotLoadAndKeepsEveryOtherMessage) {
    {
        TSmsQueue& writer = NewQueue("q");
        for (const char* text : {"first", "second", "third"})
            writer.Add(Message("a", text));
    }
    // A file cut short, a file that is not a message, a leftover temporary file and a
    // directory whose name looks like a message.
    testing_support::WriteFileText(Home("q/0_cut.sms"), "a\r\nb\r\ntext\r\n");
    testing_support::WriteFileText(Home("q/notes.txt"), "not a message");
    testing_support::WriteFileText(Home("q/1_x.sms.77-1.tmp"), "half");
    fs::create_directory(Home("q/dir.sms"));
    fs::copy_file(queues_[0]->At(0).path, Home("q/9_UPPER.SMS"));

    TSmsQueue& reader = NewQueue("q");
    EXPECT_EQ(Texts(reader), (std::vector<std::string>{"first", "second", "third", "first"}));
    EXPECT_EQ(reader.At(0).listId, 2);
    EXPECT_EQ(reader.At(3).listId, 5);
    EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(SmsQueueTest, ConstructorCreatesTheDirectoryOrFailsWithItsName) {
    NewQueue("a/b/c");
    EXPECT_TRUE(fs::is_directory(Home("a/b/c")));
    testing_support::WriteFileText(Home("file"), "x");
    try {
        NewQueue("file");
        FAIL() << "a file where the directory belongs must stop the queue";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot find directory " + Home("file"));
    }
}

struct AgeingCase {
    const char* name;
    QueueFlags flags;
    int days;
    std::int64_t age;
    bool removed;
};

class AgeingTest : public SmsQueueTest, public testing::WithParamInterface<AgeingCase> {};

TEST_P(AgeingTest, OldMessagesGoAtTheNextAddition) {
    const AgeingCase& c = GetParam();
    rules_.deleteOlderThanDays = c.days;
    TSmsQueue& queue = NewQueue("q", c.flags);
    queue.Add(Message("old", "old one", c.age));
    const std::string oldFile = queue.At(0).path;

    queue.Add(Message("new", "new one"));
    const std::vector<std::string> expected = c.removed
                                                  ? std::vector<std::string>{"new one"}
                                                  : std::vector<std::string>{"old one", "new one"};
    EXPECT_EQ(Texts(queue), expected);
    EXPECT_EQ(fs::exists(oldFile), !c.removed);
    const std::vector<std::string> logged = Logged("error");
    if (c.removed) {
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_EQ(logged[0], "Message deleted (too old) old +4470000 2004-03-17 12:00:00 old one");
        EXPECT_EQ(Logged("screen"), logged);
    } else {
        EXPECT_TRUE(logged.empty());
    }
}

const QueueFlags kAgeing{false, true, false};

INSTANTIATE_TEST_SUITE_P(
    Rules, AgeingTest,
    testing::Values(AgeingCase{"ZeroDaysKeepsEverything", kAgeing, 0, 400 * 24 * kHour, false},
                    AgeingCase{"OneDay25HoursOld", kAgeing, 1, 25 * kHour, true},
                    AgeingCase{"OneDay23HoursOld", kAgeing, 1, 23 * kHour, false},
                    AgeingCase{"ExactlyOneDayIsNotOlder", kAgeing, 1, 24 * kHour, false},
                    AgeingCase{"NegativeDaysKeep", kAgeing, -1, 400 * 24 * kHour, false},
                    AgeingCase{"UserFolderNeverAges", QueueFlags{}, 1, 25 * kHour, false}),
    [](const testing::TestParamInfo<AgeingCase>& param) { return param.param.name; });

TEST_F(SmsQueueTest, AMessageBeingSentIsNeverAgedOut) {
    rules_.deleteOlderThanDays = 1;
    TSmsQueue& queue = NewQueue("q", kAgeing);
    queue.Add(Message("old", "busy", 48 * kHour));
    ASSERT_TRUE(queue.At(0).TryLock());
    queue.Add(Message("new", "new"));
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"busy", "new"}));
}

TEST_F(SmsQueueTest, AgeingWithoutHousekeepingLeavesOldMessages) {
    rules_.deleteOlderThanDays = 1;
    TSmsQueue& queue = NewQueue("q", kAgeing);
    queue.Add(Message("old", "old", 48 * kHour));
    queue.Add(Message("new", "new"), false);
    EXPECT_EQ(queue.Count(), 2);
}

class DailyMoveTest : public SmsQueueTest {
protected:
    DailyMoveTest() {
        folders_ = std::make_unique<TFolderMan>(store_);
        folders_->ShowFolders();
    }
    const QueueFlags inbox_{false, true, true};
};

TEST_F(DailyMoveTest, AMessageTwoDaysOldMovesToItsDayFolderBeforeTheNewOneIsAdded) {
    rules_.dailyFolders = true;
    TSmsQueue& queue = NewQueue("SysFolders/Inbox", inbox_);
    queue.Add(Message("+111", "two days", 48 * kHour), false);
    queue.Add(Message("+222", "today", 2 * kHour), false);
    const std::string movedFile = queue.At(0).path;

    queue.Add(Message("+333", "new"));
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"today", "new"}));
    EXPECT_FALSE(fs::exists(movedFile));
    const std::vector<std::string> moved = FilesIn(Home("Folders"));
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].substr(0, 17), "Daily/2004_03_15/");
    EXPECT_EQ(folders_->Tree().NodeAt(kFirstUserFolderIndex)->caption, "<img src=\"idx:9\">Daily");
    EXPECT_EQ(Logged("screen"),
              (std::vector<std::string>{"Message moved to folder (2004_03_15) +111 +4470000 "
                                        "2004-03-17 12:00:00 two days"}));
}

TEST_F(DailyMoveTest, OnlyWithTheOptionOn) {
    TSmsQueue& queue = NewQueue("SysFolders/Inbox", inbox_);
    queue.Add(Message("+111", "two days", 48 * kHour));
    queue.Add(Message("+333", "new"));
    EXPECT_EQ(queue.Count(), 2);
    EXPECT_TRUE(FilesIn(Home("Folders")).empty());
}

TEST_F(DailyMoveTest, AMessageTheDayFolderCannotTakeStaysAndIsTriedAgainLater) {
    rules_.dailyFolders = true;
    testing_support::WriteFileText(Home("Folders/Daily"), "a file where the folder belongs");
    TSmsQueue& queue = NewQueue("SysFolders/Inbox", inbox_);
    queue.Add(Message("+111", "two days", 48 * kHour));
    const std::string file = queue.At(0).path;

    queue.Add(Message("+333", "new"));
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"two days", "new"}));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(queue.At(0).path, file);
    const std::size_t told = notifier_.messages.size();
    EXPECT_GT(told, 0u);

    // Not again at every arrival ...
    queue.Add(Message("+444", "soon after"));
    EXPECT_EQ(notifier_.messages.size(), told);
    // ... but once the folder can be made and some minutes have passed.
    fs::remove(Home("Folders/Daily"));
    now_ += 11.0 / (24 * 60);
    queue.Add(Message("+555", "later"));
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"new", "soon after", "later"}));
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(DailyMoveTest, AMessageDueForItsDayFolderAndTooOldMovesAndIsNotDeleted) {
    rules_.dailyFolders = true;
    rules_.deleteOlderThanDays = 1;
    TSmsQueue& queue = NewQueue("SysFolders/Inbox", inbox_);
    queue.Add(Message("+111", "both", 72 * kHour), false);
    queue.Add(Message("+333", "new"));
    EXPECT_EQ(FilesIn(Home("Folders")).size(), 1u);
    EXPECT_TRUE(Logged("error")[0].starts_with("Message moved to folder (2004_03_14)"));
}

TEST_F(DailyMoveTest, AMessageWithoutACreationTimeHasNoAge) {
    rules_.dailyFolders = true;
    rules_.deleteOlderThanDays = 1;
    TSmsQueue& queue = NewQueue("SysFolders/Inbox", inbox_);
    auto unknown = Message("+111", "unknown age");
    unknown->created = 0;
    queue.Add(std::move(unknown), false);
    queue.Add(Message("+333", "new"));
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"unknown age", "new"}));
}

TEST_F(DailyMoveTest, WhatHousekeepingTellsFindsTheQueueWhole) {
    rules_.dailyFolders = true;
    rules_.deleteOlderThanDays = 1;
    TSmsQueue& queue = NewQueue("SysFolders/Inbox", inbox_);
    for (int i = 0; i < 4; ++i)
        queue.Add(Message("+111", "old " + std::to_string(i), (40 + i) * kHour), false);
    std::vector<int> countsSeen;
    store_.log = [&](const std::string&, const std::string&) {
        int readable = 0;
        for (int i = 0; i < queue.Count(); ++i)
            readable += queue.At(i).text.empty() ? 0 : 1;
        countsSeen.push_back(readable);
    };
    queue.Add(Message("+333", "new"));
    EXPECT_EQ(countsSeen, std::vector<int>(8, 4));
    EXPECT_EQ(Texts(queue), std::vector<std::string>{"new"});
}

// Records what a view of the message list would be told.
class ListEvents : public MessageListObserver {
public:
    void ListAboutToBeReset() override { events.push_back("resetting"); }
    void ListReset() override { events.push_back("reset"); }
    void RowAboutToBeAdded(int row) override { Add("adding", row); }
    void RowAdded(int row) override { Add("added", row); }
    void RowAboutToBeRemoved(int row) override { Add("removing", row); }
    void RowRemoved(int row) override { Add("removed", row); }
    void RowChanged(int row) override { Add("changed", row); }
    std::vector<std::string> events;

private:
    void Add(const std::string& what, int row) {
        events.push_back(what + " " + std::to_string(row));
    }
};

TEST_F(SmsQueueTest, AShownQueueKeepsTheMessageListInStep) {
    TSmsQueue& queue = NewQueue("q");
    queue.Add(Message("a", "before"));
    TMessageList list;
    ListEvents view;
    list.AddObserver(&view);
    queue.SetShownIn(&list);
    list.Fill(&queue);

    queue.Add(Message("b", "shown"));
    EXPECT_EQ(status_["status2"], "2");
    queue.hidden = true;
    queue.Add(Message("c", "hidden"));
    queue.hidden = false;
    queue.RemoveAt(0);
    EXPECT_EQ(view.events, (std::vector<std::string>{"resetting", "reset", "adding 1", "added 1",
                                                     "removing 0", "removed 0"}));
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.ListIdAt(0), 3);
    EXPECT_EQ(list.RowOfListId(3), 0);
    EXPECT_EQ(list.RowOfListId(4), -1);
}

TEST_F(SmsQueueTest, RemoveAtDeletesTheFileAndClearKeepsIt) {
    TSmsQueue& queue = NewQueue("q");
    queue.Add(Message("a", "one"));
    queue.Add(Message("b", "two"));
    const std::string first = queue.At(0).path;
    const std::string second = queue.At(1).path;
    queue.RemoveAt(0);
    queue.RemoveAt(5);  // no such position: nothing happens
    EXPECT_FALSE(fs::exists(first));
    queue.Clear();
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_TRUE(fs::exists(second));
}

TEST_F(SmsQueueTest, ANewRunNeverWritesOverTheFilesOfAnEarlierOne) {
    TSmsQueue& queue = NewQueue("q");
    queue.Add(Message("Johnathan Smith (+447700900123)", "first run"));
    // The next run counts file names from the start again.
    SmsEnvironment nextRun;
    nextRun.clock = [this] { return now_; };
    StoreEnvironment nextStore(nextRun, dir_.path().string());
    TSmsQueue again(nextStore, Home("q"), QueueFlags{});
    again.LoadFolder();
    auto message = std::make_unique<TSms>(nextRun);
    message->from = "Johnathan Smith (+447700900123)";
    message->to = "+4470000";
    message->text = "second run";
    again.Add(std::move(message));

    EXPECT_EQ(FilesIn(Home("q")).size(), 2u);
    EXPECT_NE(again.At(0).path, again.At(1).path);
    EXPECT_EQ(Texts(NewQueue("q")), (std::vector<std::string>{"first run", "second run"}));
}

TEST_F(SmsQueueTest, ReloadKeepsAMessageADeviceIsSending) {
    TSmsQueue& queue = NewQueue("q");
    queue.Add(Message("a", "sending"));
    queue.Add(Message("b", "idle"));
    TSms* sending = &queue.At(0);
    ASSERT_TRUE(sending->TryLock());
    testing_support::WriteFileText(Home("q/0_dropped.sms"), "");  // does not load
    fs::copy_file(queue.At(1).path, Home("q/9_copy.sms"));

    queue.Reload();
    ASSERT_EQ(queue.Count(), 3);
    EXPECT_EQ(&queue.At(0), sending);
    EXPECT_TRUE(queue.At(0).IsBusy());
    EXPECT_EQ(queue.FindByListId(queue.At(0).listId), sending);
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"sending", "idle", "idle"}));
}

TEST_F(SmsQueueTest, QueueForSendingFillsWhatIsMissingAndTracesTheMessage) {
    TSmsQueue& outbox = NewQueue("out", QueueFlags{true, true, false});
    auto empty = Message("me", "hello");
    empty->sentTime.clear();
    empty->receivedTime.clear();
    empty->messageId.clear();
    empty->spare2 = "detail";
    EXPECT_TRUE(TSms::QueueForSending(std::move(empty), outbox));
    auto given = Message("me", "kept");
    given->sentTime = "2001-01-01 00:00:00";
    given->messageId = "42";
    EXPECT_TRUE(TSms::QueueForSending(std::move(given), outbox));

    ASSERT_EQ(outbox.Count(), 2);
    EXPECT_EQ(outbox.At(0).sentTime, "2004-03-17 12:00:00");
    EXPECT_EQ(outbox.At(0).receivedTime, "2004-03-17 12:00:00");
    EXPECT_FALSE(outbox.At(0).messageId.empty());
    EXPECT_EQ(outbox.At(1).sentTime, "2001-01-01 00:00:00");
    EXPECT_EQ(outbox.At(1).messageId, "42");
    EXPECT_EQ(status_["main"], "SMS added to queue: +4470000,kept,");
    EXPECT_EQ(FilesIn(Home("out")).size(), 2u);
}

TEST_F(SmsQueueTest, ALockTakenFurtherDownTheStackDoesNotStopANestedAddition) {
    rules_.deleteOlderThanDays = 1;
    TSmsQueue& queue = NewQueue("q", kAgeing);
    queue.Add(Message("old", "old", 48 * kHour), false);
    {
        QueueLock lock(queue);
        EXPECT_TRUE(queue.IsLocked());
        queue.Add(Message("new", "nested"));
        // Housekeeping waits for an addition that does not interrupt another.
        EXPECT_EQ(queue.Count(), 2);
    }
    EXPECT_FALSE(queue.IsLocked());
    queue.Add(Message("new", "later"));
    EXPECT_EQ(Texts(queue), (std::vector<std::string>{"nested", "later"}));
}

}  // namespace
}  // namespace nimbra
