#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "addressbook.h"
#include "addressbookfiles.h"
#include "file_text.h"
#include "recording_notifier.h"
#include "temp_dir.h"
#include "unStrings.h"

namespace nimbra {
namespace {

using testing_support::ReadFileText;
using testing_support::ScopedProcessNotifier;
using testing_support::TempDir;
using testing_support::WriteFileText;

class AddressBookTest : public testing::Test {
protected:
    // A book loaded from a contacts file holding these contacts.
    void LoadWith(const std::vector<Contact>& contacts) {
        WriteFileText(home_ / kContactsFileName, ContactsFileText(contacts));
        book_.LoadAddressBook();
    }
    std::vector<std::string> Column(ContactColumn column) const {
        std::vector<std::string> cells;
        for (const Contact& contact : book_.Contacts())
            cells.push_back(contact[column]);
        return cells;
    }

    ScopedProcessNotifier notifier_;
    TempDir home_;
    TAddressBook book_{home_.path().string()};
};

TEST_F(AddressBookTest, FreshInstallationHasDefaultGroupsAndSampleContact) {
    book_.LoadAddressBook();
    EXPECT_EQ(book_.GroupNames(),
              (std::vector<std::string>{"All contacts", "Friends", "Customers", "Distributors"}));
    ASSERT_EQ(book_.ContactCount(), 1u);
    EXPECT_EQ(book_.Contacts()[0],
              MakeContact("NIMBRA", "+441632960123", "Software developer", "All contacts"));
    EXPECT_TRUE(notifier_.messages().empty());
}

TEST(AddressBookSampleTest, SampleContactJoinsTheLoadedRootGroup) {
    struct Case {
        std::optional<std::string> groupsFile;
        std::string group;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "All contacts"},
        {"Everyone\r\n\tFamily\r\n", "Everyone"},
        {"<b> Whole book </b>\r\n", "Whole book"},
        {"\r\n", "All contacts"},  // no node: the groups of a fresh installation
    };
    for (const Case& c : cases) {
        ScopedProcessNotifier notifier;
        TempDir home;
        if (c.groupsFile)
            WriteFileText(home / kGroupsFileName, *c.groupsFile);
        TAddressBook book(home.path().string());
        book.LoadAddressBook();
        ASSERT_EQ(book.ContactCount(), 1u);
        EXPECT_EQ(book.Contacts()[0][kGroupColumn], c.group) << c.group;
        EXPECT_EQ(book.GroupNames().front(), c.group);
    }
}

TEST_F(AddressBookTest, LoadsStoredGroupsUncheckedAndStoredContacts) {
    WriteFileText(home_ / kGroupsFileName, "Everyone\r\n\tFamily\r\n\t\tKids\r\n\tWork\r\n");
    LoadWith({MakeContact("Ann", "+4477", "", "Family")});
    EXPECT_EQ(book_.GroupNames(), (std::vector<std::string>{"Everyone", "Family", "Kids", "Work"}));
    VisitGroups(book_.GroupTree(), [](const GroupNode& node, int depth) {
        EXPECT_EQ(node.picture, depth == 0 ? kCheckedPicture : kUncheckedPicture);
    });
    EXPECT_EQ(Column(kNameColumn), std::vector<std::string>{"Ann"});

    // A title line alone is an empty book, not the sample contact.
    LoadWith({});
    EXPECT_EQ(book_.ContactCount(), 0u);
}

TEST_F(AddressBookTest, LookupsByNumber) {
    LoadWith({});
    // Line breaks in cells, as the window may enter them (the file would turn them to spaces).
    book_.AddContact(MakeContact(" Ann ", "+4477001", "first\r\nline ", " Friends\n"));
    book_.AddContact(MakeContact("", "4477002", "", ""));
    book_.AddContact(MakeContact("Dup", "+4477001", "", ""));
    struct Case {
        std::string text, display, note, group;
    };
    const std::vector<Case> cases = {
        {"+44 770 01", "Ann  (+4477001)", "firstline", "Friends"},
        {"Someone (+4477001)", "Ann  (+4477001)", "firstline", "Friends"},
        {"4477002", "4477002", "", ""},
        {"+4477002", "+4477002", "", ""},  // normalises differently: no contact
        {" unknown ", "unknown", "", ""},
        {"", "", "", ""},
        {"Bank", "Bank", "", ""},  // no number: not the contact without a number below
    };
    book_.AddContact(MakeContact("No number", "", "n", "g"));
    for (const Case& c : cases) {
        EXPECT_EQ(book_.DisplayName(c.text), c.display) << c.text;
        EXPECT_EQ(book_.NoteOf(c.text), c.note) << c.text;
        EXPECT_EQ(book_.GroupOf(c.text), c.group) << c.text;
    }
}

// A name's parentheses would make the entry form carry two parenthesised parts, and the number
// read from it would take in the name's digits.
TEST_F(AddressBookTest, NamesNeverKeepParenthesesWhicheverWayTheyComeIn) {
    const std::string importPath = (home_ / "in.csv").string();
    WriteFileText(importPath, "title\r\n;Cy (home);+36203333333\r\n");
    const struct {
        const char* way;
        std::function<void()> enter;
        std::string number;
        std::string display;
    } cases[] = {
        {"loaded", [&] { LoadWith({MakeContact("Bob (ext 12)", "+36201234567", "", "")}); },
         "+36201234567", "Bob [ext 12] (+36201234567)"},
        {"added", [&] { book_.AddContact(MakeContact("(Ann)", "+36202222222", "", "")); },
         "+36202222222", "[Ann] (+36202222222)"},
        {"imported", [&] { ASSERT_TRUE(book_.ImportContacts(importPath)); }, "+36203333333",
         "Cy [home] (+36203333333)"},
        {"replaced",
         [&] { book_.ReplaceContact(0, MakeContact("Bob (work)", "+36201234567", "", "")); },
         "+36201234567", "Bob [work] (+36201234567)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        c.enter();
        const std::string display = book_.DisplayName(c.number);
        EXPECT_EQ(display, c.display);
        EXPECT_EQ(NormalizePhoneNumber(display), c.number);
    }
}

// Phone cells as people type them: the lookup compares numbers, not texts.
TEST_F(AddressBookTest, PhoneCellsWithBlanksAndDashesMatchTheirNumber) {
    LoadWith({MakeContact("Ann", "+36 20 123 4567", "", "Friends"),
              MakeContact("Bea", "06-30-765-4321", "", "Customers")});
    const struct {
        const char* number;
        std::string group;
    } cases[] = {
        {"+36201234567", "Friends"},
        {"+36 20 123-4567", "Friends"},
        {"Ann (+36201234567)", "Friends"},
        {"0630 7654321", "Customers"},
        {"+36307654321", ""},  // another number altogether
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(book_.GroupOf(c.number), c.group);
    }
    EXPECT_EQ(book_.DisplayName("+36201234567"), "Ann (+36 20 123 4567)");
    book_.AddUnknownContact("", "+36201234567", "", "");
    EXPECT_EQ(book_.ContactCount(), 2u);
    // An edit that changes how the number is typed, not the number, keeps the lookup.
    book_.ReplaceContact(0, MakeContact("Ann", "+36-20-1234567", "", "Family"));
    EXPECT_EQ(book_.GroupOf("+36201234567"), "Family");
}

TEST_F(AddressBookTest, LookupsFollowEditsThatMoveContacts) {
    LoadWith({MakeContact("B", "111", "", ""), MakeContact("A", "222", "", ""),
              MakeContact("A2", "222", "", "")});
    EXPECT_EQ(book_.FindContact("222"), 1u);
    book_.SortContacts(kNameColumn, false);  // B, A2, A
    EXPECT_EQ(book_.FindContact("222"), 1u);
    EXPECT_EQ(book_.DisplayName("222"), "A2 (222)");
    book_.DeleteContacts({1, 7});
    EXPECT_EQ(book_.DisplayName("222"), "A (222)");
    book_.ReplaceContact(0, MakeContact("B", "333", "", ""));
    EXPECT_FALSE(book_.FindContact("111"));
    EXPECT_EQ(book_.FindContact("333"), 0u);
    EXPECT_EQ(book_.AddContact(MakeContact("C", "444", "", "")), 2u);
    EXPECT_EQ(book_.FindContact("444"), 2u);
}

TEST_F(AddressBookTest, AddUnknownContactAddsEachNormalisedNumberOnceAndSaves) {
    LoadWith({});
    book_.AddUnknownContact("Ann", "+44 7700 900001", "Friends", "met at fair");
    book_.AddUnknownContact("Ann again", "+447700900001", "Customers", "");
    book_.AddUnknownContact("Other", "447700900001", "", "");  // no "+": another number
    book_.AddUnknownContact("", "Bank", "", "");               // no number: nobody to add
    book_.WaitUntilSaved();
    EXPECT_EQ(Column(kPhoneColumn), (std::vector<std::string>{"+447700900001", "447700900001"}));
    EXPECT_EQ(book_.Contacts()[0], MakeContact("Ann", "+447700900001", "met at fair", "Friends"));
    EXPECT_EQ(ReadFileText(home_ / kContactsFileName), ContactsFileText(book_.Contacts()));
}

TEST_F(AddressBookTest, EntriesAndCompletions) {
    LoadWith({MakeContact("Jo", "+4411", "", ""), MakeContact("jolene", "+4412", "", ""),
              MakeContact("", "Jo55", "", ""), MakeContact("JO\xC9L", "jo1", "", ""),
              MakeContact("\xC9mile", "+4413", "", ""), MakeContact("Bob", "+4414", "", "")});
    std::vector<std::string> list = {"stale"};
    book_.CompleteEntries("jo", list);
    EXPECT_EQ(list, (std::vector<std::string>{"Jo (+4411)", "jolene (+4412)", "Jo55",
                                              "JO\xC9L (jo1)", "JO\xC9L (jo1)"}));
    book_.CompleteEntries("\xE9M", list);  // accented letters ignore case too
    EXPECT_EQ(list, std::vector<std::string>{"\xC9mile (+4413)"});
    book_.CompleteEntries("", list);
    EXPECT_TRUE(list.empty());

    EXPECT_EQ(TAddressBook::NameFromEntry(" Jo (+4411) "), "Jo");
    EXPECT_EQ(TAddressBook::NameFromEntry("(+4411) Jo Smith"), "Jo Smith");
    EXPECT_EQ(TAddressBook::NameFromEntry("+4411"), "");
}

TEST_F(AddressBookTest, SortIsStableCaseInsensitiveBothWays) {
    LoadWith({MakeContact("b", "1", "", ""), MakeContact("A", "2", "", ""),
              MakeContact("B", "3", "", ""), MakeContact("a", "4", "", "")});
    book_.SortContacts(kNameColumn, true);
    EXPECT_EQ(Column(kPhoneColumn), (std::vector<std::string>{"2", "4", "1", "3"}));
    book_.SortContacts(kNameColumn, false);
    EXPECT_EQ(Column(kPhoneColumn), (std::vector<std::string>{"1", "3", "2", "4"}));
    book_.RequestSave(book_.ContactsFilePath());
    book_.WaitUntilSaved();
    TAddressBook reloaded(home_.path().string());
    reloaded.LoadAddressBook();
    EXPECT_EQ(reloaded.Contacts(), book_.Contacts());
}

TEST_F(AddressBookTest, RenamingAndDeletingGroupsMovesTheirContacts) {
    LoadWith({MakeContact("A", "1", "", "Friends"), MakeContact("B", "2", "", "Friends "),
              MakeContact("C", "3", "", "Customers"), MakeContact("D", "4", "", "Friends")});
    EXPECT_FALSE(book_.RenameGroup(0, "Root"));
    EXPECT_FALSE(book_.DeleteGroup(0));
    EXPECT_FALSE(book_.DeleteGroup(99));
    ASSERT_TRUE(book_.RenameGroup(1, "Family"));
    EXPECT_EQ(Column(kGroupColumn),
              (std::vector<std::string>{"Family", "Friends ", "Customers", "Family"}));
    ASSERT_TRUE(book_.DeleteGroup(1));
    EXPECT_EQ(Column(kGroupColumn),
              (std::vector<std::string>{"All contacts", "Friends ", "Customers", "All contacts"}));
    EXPECT_EQ(book_.AddGroup("New"), 3u);
    EXPECT_EQ(book_.GroupNames(),
              (std::vector<std::string>{"All contacts", "Customers", "Distributors", "New"}));

    ASSERT_TRUE(book_.WriteGroups());
    TAddressBook reloaded(home_.path().string());
    reloaded.LoadAddressBook();
    EXPECT_EQ(reloaded.GroupNames(), book_.GroupNames());
}

TEST_F(AddressBookTest, GroupNamesLoseTabsAndLineBreaksAndMayNotBeBlank) {
    LoadWith({MakeContact("A", "1", "", "Friends")});
    struct Case {
        std::string name;
        std::optional<std::string> stored;  // nullopt: refused
    };
    const std::vector<Case> cases = {
        {"\tKids", "Kids"},
        {" Two\r\nLines\n", "Two  Lines"},
        {"Tab\tinside\t\t", "Tab inside"},
        {"Plain", "Plain"},
        {"", std::nullopt},
        {"\t\r\n \t", std::nullopt},
    };
    std::vector<std::string> names = book_.GroupNames();
    for (const Case& c : cases) {
        const std::optional<std::size_t> added = book_.AddGroup(c.name);
        if (c.stored)
            names.push_back(*c.stored);
        EXPECT_EQ(added.has_value(), c.stored.has_value()) << c.name;
        EXPECT_EQ(book_.GroupNames(), names) << c.name;
        if (added) {
            EXPECT_EQ(*added, names.size() - 1);
        }
    }

    for (const Case& c : cases) {
        const std::string before = book_.GroupNames()[1];
        EXPECT_EQ(book_.RenameGroup(1, c.name), c.stored.has_value()) << c.name;
        names[1] = c.stored.value_or(before);
        EXPECT_EQ(book_.GroupNames(), names) << c.name;
        EXPECT_EQ(book_.Contacts()[0][kGroupColumn], names[1]) << c.name;
    }

    // Every group stays one level below the root after a reload.
    ASSERT_TRUE(book_.WriteGroups());
    TAddressBook reloaded(home_.path().string());
    reloaded.LoadAddressBook();
    EXPECT_EQ(reloaded.GroupNames(), names);
    EXPECT_EQ(reloaded.GroupTree().children.size(), names.size() - 1);
}

TEST_F(AddressBookTest, AGroupsFileThatCannotBeReadIsNeverReplaced) {
    const std::filesystem::path groups = home_ / kGroupsFileName;
    const std::string path = groups.string();
    std::filesystem::create_directory(groups);
    LoadWith({});
    EXPECT_EQ(book_.GroupNames(),
              (std::vector<std::string>{"All contacts", "Friends", "Customers", "Distributors"}));
    EXPECT_FALSE(book_.WriteGroups());
    // Should the file turn readable later in the run, it still holds groups this run never
    // saw: it is kept, and the operator is told only once.
    std::filesystem::remove(groups);
    WriteFileText(groups, "Earlier\r\n\tGroups\r\n");
    ASSERT_TRUE(book_.AddGroup("New"));
    EXPECT_FALSE(book_.WriteGroups());
    EXPECT_EQ(ReadFileText(groups), "Earlier\r\n\tGroups\r\n");
    EXPECT_EQ(notifier_.messages(), (std::vector<std::string>{"Could not open file: " + path,
                                                              "Can't write to file:\r" + path}));
}

TEST_F(AddressBookTest, MarksAndContinuedEntries) {
    LoadWith({MakeContact("A", "+111", "", "Friends"), MakeContact("", "+222", "", "Friends"),
              MakeContact("C", "+333", "", "Customers"), MakeContact("D", "", "", "Friends"),
              MakeContact("E", "+555", "", "Friends")});
    book_.SetAllMarks(true);
    EXPECT_EQ(book_.CheckedCount(), 5u);
    for (const GroupNode& group : book_.GroupTree().children)
        EXPECT_EQ(group.picture, kCheckedPicture);
    book_.SetAllMarks(false);
    EXPECT_EQ(book_.CheckedCount(), 0u);
    EXPECT_EQ(book_.ContinueEntries(), (std::pair<std::string, std::string>{}));

    book_.SetGroupMarks(2, true);  // Customers
    book_.SetContactChecked(0, true);
    book_.SetContactChecked(4, true);
    EXPECT_EQ(book_.GroupTree().children[1].picture, kCheckedPicture);
    EXPECT_EQ(book_.ContinueEntries(),
              (std::pair<std::string, std::string>{"A (+111)", "C (+333);E (+555)"}));

    book_.MarkContactsIn("To: +222, +5550 and +333");
    EXPECT_EQ(Column(kMarkColumn), (std::vector<std::string>{"", "true", "true", "", "true"}));
}

TEST_F(AddressBookTest, ImportAppendsAndExportWritesEverything) {
    LoadWith({MakeContact("A", "111", "", "")});
    EXPECT_EQ(book_.DisplayName("222"), "222");
    const std::string importPath = (home_ / "in.csv").string();
    WriteFileText(importPath, "any title\r\n;B;222\r\n;C;111\r\n");
    ASSERT_TRUE(book_.ImportContacts(importPath));
    EXPECT_EQ(Column(kNameColumn), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(book_.DisplayName("222"), "B (222)");
    EXPECT_EQ(book_.DisplayName("111"), "A (111)");

    const std::string exportPath = (home_ / "out.csv").string();
    ASSERT_TRUE(book_.ExportContacts(exportPath));
    EXPECT_EQ(ReadFileText(exportPath), ContactsFileText(book_.Contacts()));
    EXPECT_TRUE(notifier_.messages().empty());
}

TEST_F(AddressBookTest, UnreadableAndUnwritableFilesAreReported) {
    LoadWith({MakeContact("A", "1", "", "")});
    const std::string missing = (home_ / "missing.csv").string();
    const std::string badTarget = (home_ / "no such folder" / "out.csv").string();
    EXPECT_FALSE(book_.ImportContacts(missing));
    EXPECT_FALSE(book_.ExportContacts(badTarget));
    EXPECT_EQ(book_.ContactCount(), 1u);
    EXPECT_EQ(notifier_.messages(),
              (std::vector<std::string>{"Could not open file: " + missing,
                                        "Can't write to file:\r" + badTarget}));
}

TEST_F(AddressBookTest, AContactsFileThatCannotBeReadIsNeverReplaced) {
    // A folder where the file belongs cannot be read as contacts.
    std::filesystem::create_directory(home_ / kContactsFileName);
    WriteFileText(home_ / kContactsFileName / "keep", "contacts of an earlier run");
    book_.LoadAddressBook();
    book_.AddUnknownContact("", "+4470001", "", "");
    book_.AddUnknownContact("", "+4470002", "", "");
    book_.WaitUntilSaved();
    EXPECT_EQ(ReadFileText(home_ / kContactsFileName / "keep"), "contacts of an earlier run");
    const std::string path = (home_ / kContactsFileName).string();
    EXPECT_EQ(notifier_.messages(), (std::vector<std::string>{"Could not open file: " + path,
                                                              "Can't write to file:\r" + path}));
    // Elsewhere the contacts can still be saved.
    ASSERT_TRUE(book_.ExportContacts((home_ / "rescue.csv").string()));
    EXPECT_EQ(ReadFileText(home_ / "rescue.csv"), ContactsFileText(book_.Contacts()));
}

TEST_F(AddressBookTest, EveryChangeIsToldWithItsKind) {
    book_.LoadAddressBook();
    std::vector<BookChange> told;
    book_.onChange = [&told](BookChange change) { told.push_back(change); };
    book_.AddUnknownContact("", "+3620111", "Friends", "now");
    book_.AddUnknownContact("", "+3620111", "Friends", "again");  // known: no change
    book_.SetContactChecked(0, true);
    const std::optional<std::size_t> group = book_.AddGroup("Family");
    ASSERT_TRUE(group);
    book_.RenameGroup(*group, "Kin");
    book_.DeleteContacts({0});
    book_.WaitUntilSaved();
    EXPECT_EQ(told, (std::vector<BookChange>{BookChange::kContactsAppended, BookChange::kContacts,
                                             BookChange::kGroups, BookChange::kGroups,
                                             BookChange::kContacts}));
}

}  // namespace
}  // namespace nimbra
