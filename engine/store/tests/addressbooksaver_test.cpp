// The saver thread: combined requests, the latest contacts and path winning, failures, and
// the last save at exit. The writer below holds its first write until the test opens it, so
// that requests made meanwhile are known to meet a write in progress. Each write copies the
// contacts once, so counting writes counts copies.

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "addressbook.h"
#include "addressbookfiles.h"
#include "atomicfile.h"
#include "file_text.h"
#include "recording_notifier.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

using testing_support::ReadFileText;
using testing_support::ScopedProcessNotifier;
using testing_support::TempDir;

class GatedWriter {
public:
    bool Write(const std::string& path, const std::string& text) {
        {
            std::unique_lock lock(mutex_);
            paths_.push_back(path);
            texts_.push_back(text);
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
        return WriteFileAtomically(path, text);
    }
    TMyThread::WriteFunction Function() {
        return
            [this](const std::string& path, const std::string& text) { return Write(path, text); };
    }
    void WaitForFirstWrite() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !paths_.empty(); });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    std::vector<std::string> Paths() {
        std::lock_guard lock(mutex_);
        return paths_;
    }
    std::vector<std::string> Texts() {
        std::lock_guard lock(mutex_);
        return texts_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    std::vector<std::string> paths_;
    std::vector<std::string> texts_;
};

class SaverTest : public testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return (home_ / name).string(); }
    // The contacts a fresh book reads from path.
    std::vector<Contact> ReadBack(const std::string& path) const {
        std::vector<Contact> contacts;
        EXPECT_TRUE(ReadContactsFile(path, contacts));
        return contacts;
    }

    ScopedProcessNotifier notifier_;
    TempDir home_;
    GatedWriter writer_;
};

TEST_F(SaverTest, BurstOfRequestsDuringAWriteIsWrittenOnceWithTheLastContacts) {
    TAddressBook book(home_.path().string(), writer_.Function());
    book.LoadAddressBook();
    const std::string path = book.ContactsFilePath();
    book.RequestSave(path);
    writer_.WaitForFirstWrite();
    for (int i = 0; i < 1000; ++i) {
        const std::string number = std::to_string(100000 + i);
        if (i % 3 == 2)
            book.ReplaceContact(book.ContactCount() - 1, MakeContact("R", number, "", ""));
        else
            book.AddContact(MakeContact("N" + std::to_string(i), number, "note\r\n2", "G"));
        book.RequestSave(path);
    }
    writer_.Open();
    book.WaitUntilSaved();
    // 1001 requests, two writes: the one held open and one for everything after it.
    EXPECT_EQ(writer_.Paths(), (std::vector<std::string>{path, path}));
    EXPECT_EQ(writer_.Texts().front(),
              ContactsFileText(
                  {MakeContact("NIMBRA", "+441632960123", "Software developer", "All contacts")}));
    EXPECT_EQ(ReadFileText(path), ContactsFileText(book.Contacts()));
    EXPECT_EQ(ReadBack(path).size(), book.ContactCount());
}

TEST_F(SaverTest, EveryWriteIsAWholeStateAndEditsBetweenRequestsAreNeverLost) {
    // No gate: requests meet the saver idle, waiting or writing, as it happens.
    writer_.Open();
    TAddressBook book(home_.path().string(), writer_.Function());
    book.LoadAddressBook();
    // Every state the book passes through, in order: a write may copy any of them, but never
    // one half edited, and never one older than what it wrote before.
    std::unordered_map<std::string, std::size_t> states;
    const auto recordState = [&] {
        states.emplace(ContactsFileText(book.Contacts()), states.size());
    };
    recordState();
    for (int i = 0; i < 1000; ++i) {
        book.AddContact(MakeContact("N", std::to_string(500 + i), "", ""));
        recordState();
        if (i % 10 == 0) {
            book.DeleteContacts({0});
            recordState();
        }
        book.RequestSave(book.ContactsFilePath());
    }
    book.WaitUntilSaved();
    ASSERT_EQ(states.size(), 1101u);
    const std::vector<std::string> texts = writer_.Texts();
    ASSERT_FALSE(texts.empty());
    std::size_t previous = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto state = states.find(texts[i]);
        ASSERT_NE(state, states.end()) << "write " << i << " is no state of the book";
        EXPECT_GE(state->second, previous) << "write " << i << " went back in time";
        previous = state->second;
    }
    EXPECT_EQ(previous, states.size() - 1);
    EXPECT_EQ(ReadBack(book.ContactsFilePath()), book.Contacts());
}

TEST_F(SaverTest, LatestPathWins) {
    TAddressBook book(home_.path().string(), writer_.Function());
    book.LoadAddressBook();
    book.RequestSave(PathOf("first.csv"));
    writer_.WaitForFirstWrite();
    book.RequestSave(PathOf("second.csv"));
    book.AddContact(MakeContact("Late", "999", "", ""));
    book.RequestSave(PathOf("third.csv"));
    writer_.Open();
    book.WaitUntilSaved();
    EXPECT_EQ(writer_.Paths(),
              (std::vector<std::string>{PathOf("first.csv"), PathOf("third.csv")}));
    EXPECT_FALSE(std::filesystem::exists(PathOf("second.csv")));
    EXPECT_EQ(ReadBack(PathOf("first.csv")).size(), 1u);
    EXPECT_EQ(ReadBack(PathOf("third.csv")), book.Contacts());
}

TEST_F(SaverTest, FailedWriteIsReportedAndTheNextRequestWrites) {
    TAddressBook book(home_.path().string());
    book.LoadAddressBook();
    const std::string bad = PathOf("missing folder/Addressbook.csv");
    book.RequestSave(bad);
    book.WaitUntilSaved();
    EXPECT_EQ(notifier_.messages(), std::vector<std::string>{"Can't write to file:\r" + bad});
    EXPECT_EQ(book.ContactCount(), 1u);

    book.RequestSave(book.ContactsFilePath());
    book.WaitUntilSaved();
    EXPECT_EQ(ReadBack(book.ContactsFilePath()), book.Contacts());
    EXPECT_EQ(notifier_.messages().size(), 1u);
}

TEST_F(SaverTest, ClosingTheBookWritesWhatIsPending) {
    std::vector<Contact> expected;
    {
        TAddressBook book(home_.path().string(), writer_.Function());
        book.LoadAddressBook();
        book.AddUnknownContact("First", "+44111", "", "");
        writer_.WaitForFirstWrite();
        book.AddUnknownContact("Second", "+44222", "Friends", "");
        expected = book.Contacts();
        writer_.Open();
    }
    EXPECT_EQ(ReadBack(PathOf(kContactsFileName)), expected);
}

TEST_F(SaverTest, SaverAloneWritesItsLastRequestBeforeItGoes) {
    const std::string path = PathOf("contacts.csv");
    std::vector<Contact> contacts;
    std::optional<TMyThread> saver(std::in_place, contacts);
    saver->Request(path);
    {
        const auto lock = saver->LockContacts();
        contacts.push_back(MakeContact("A", "1", "", ""));
    }
    saver->Request(path);
    saver.reset();
    EXPECT_EQ(ReadBack(path), contacts);
}

}  // namespace
}  // namespace nimbra
