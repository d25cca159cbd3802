// Messages to and from address-book contacts: the number a device is handed, the name shown,
// and the group folder an incoming message is filed in.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "addressbookfiles.h"
#include "engine_fixture.h"
#include "file_text.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

class ContactsTest : public EngineTest {
protected:
    // Starts the engine with these contacts in its Addressbook.csv.
    void StartWith(const std::vector<Contact>& contacts) {
        WriteFileText(home / kContactsFileName, ContactsFileText(contacts));
        StartEngine();
    }
    void Receive(const std::string& sender, const std::string& text) {
        TGsmSms record;
        record.sender = sender;
        record.receiver = "+36709999999";
        record.text = text;
        engine->ReceiveMessage(record);
    }
    std::size_t Occurrences(const std::string& relative, const std::string& text) const {
        const std::string file = ReadHomeFile(relative);
        std::size_t count = 0;
        for (auto at = file.find(text); at != std::string::npos; at = file.find(text, at + 1))
            ++count;
        return count;
    }
};

// The entry form of a contact whose name held parentheses used to carry two parenthesised
// parts, and the number read from it took in the name's digits ("1236201234567").
TEST_F(ContactsTest, NameWithParenthesesKeepsTheNumberWhole) {
    StartWith({MakeContact("Bob (ext 12)", "+36201234567", "", "Friends")});
    Device& device = AddDevice();
    StartServer();
    QueueOutgoing("+36201234567", "to Bob");
    Tick();
    ASSERT_EQ(device.sink->transmitted.size(), 1u);
    EXPECT_EQ(device.sink->transmitted[0].receiver, "+36201234567");

    engine->Options().saveSenders = true;
    engine->Options().sortByGroup = true;
    Receive("+36201234567", "from Bob");
    ASSERT_EQ(Folder(SystemFolder::Inbox).Count(), 1);
    EXPECT_EQ(Folder(SystemFolder::Inbox).At(0).from, "Bob [ext 12] (+36201234567)");
    EXPECT_EQ(FilesIn("Folders/Friends"), 1u);
    EXPECT_EQ(engine->AddressBook().ContactCount(), 1u);
}

// A phone cell typed with blanks or dashes is the same number.
TEST_F(ContactsTest, PhoneCellWithBlanksMatchesItsSender) {
    StartWith({MakeContact("Ann", "+36 20 123 4567", "", "Friends"),
               MakeContact("Bea", "+36-30-765-4321", "", "Customers")});
    engine->Options().saveSenders = true;
    engine->Options().sortByGroup = true;
    Receive("+36201234567", "from Ann");
    Receive("+36307654321", "from Bea");

    ASSERT_EQ(Folder(SystemFolder::Inbox).Count(), 2);
    EXPECT_EQ(Folder(SystemFolder::Inbox).At(0).from, "Ann (+36 20 123 4567)");
    EXPECT_EQ(Folder(SystemFolder::Inbox).At(1).from, "Bea (+36-30-765-4321)");
    EXPECT_EQ(FilesIn("Folders/Friends"), 1u);
    EXPECT_EQ(FilesIn("Folders/Customers"), 1u);
    // No nameless copy of a contact that is there.
    EXPECT_EQ(engine->AddressBook().ContactCount(), 2u);
}

// Group names a folder name refuses, or that a fixed node bears, still get a folder: the same
// one for every message of the group.
TEST_F(ContactsTest, EveryGroupNameGetsAStableFolder) {
    const struct {
        const char* group;
        const char* folder;
    } cases[] = {
        {"Dist. Ltd", "Dist_ Ltd"},
        {"Friends & Family", "Friends _ Family"},
        {"Sent items", "Sent items group"},
    };
    std::vector<Contact> contacts;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        contacts.push_back(MakeContact("", "+3620000000" + std::to_string(i), "", cases[i].group));
    StartWith(contacts);
    engine->Options().sortByGroup = true;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].group);
        Receive("+3620000000" + std::to_string(i), "first");
        Receive("+3620000000" + std::to_string(i), "second");
        EXPECT_EQ(FilesIn(std::string("Folders/") + cases[i].folder), 2u);
        EXPECT_GE(engine->Folders().Tree().IndexOfNode(
                      engine->Folders().FindChild(cases[i].folder, nullptr)),
                  kFirstUserFolderIndex);
    }
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 0u);
    EXPECT_EQ(ReadHomeFile("logs/error-log.txt"), "");
}

TEST_F(ContactsTest, AGroupFolderThatCannotBeMadeIsToldOfOnce) {
    StartWith({MakeContact("", "+36201111111", "", "Blocked")});
    // A file where the folder belongs.
    WriteFileText(home / "Folders" / "Blocked", "not a folder");
    engine->Options().sortByGroup = true;
    for (int i = 0; i < 3; ++i)
        Receive("+36201111111", "message " + std::to_string(i));
    EXPECT_EQ(Folder(SystemFolder::Inbox).Count(), 3);
    EXPECT_EQ(Occurrences("logs/error-log.txt", "Cannot create folder: "), 1u);
}

}  // namespace
}  // namespace nimbra::testing_support
