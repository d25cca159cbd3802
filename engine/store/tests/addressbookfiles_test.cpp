#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "addressbookfiles.h"
#include "file_text.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

std::vector<Contact> ThroughFile(const std::vector<Contact>& contacts) {
    TempDir dir;
    const std::string path = (dir / "Addressbook.csv").string();
    EXPECT_TRUE(WriteContactsFile(path, contacts));
    std::vector<Contact> read;
    EXPECT_TRUE(ReadContactsFile(path, read));
    return read;
}

TEST(ContactsFile, CellsSurviveSaveAndLoad) {
    const std::vector<Contact> contacts = {
        {"true", "Smith; John", "+441632960001", "a,b", "Friends"},
        {"", "\"Quoted\"", "\"", "say \"hi\", \"bye\"", ""},
        {"", "", "", "", ""},
        {"x\"", "\"\"", "\"a;\"", ";", ","},
        {"", "Z\xFCrich \x80\xA0\xFF", " spaced ", "\t", "Group, one"},
    };
    EXPECT_EQ(ThroughFile(contacts), contacts);
}

TEST(ContactsFile, RandomCellsSurviveSaveAndLoad) {
    std::mt19937 random(20240517);
    const std::string alphabet = "ab ;,\"\t\x80\xE9\xFF()+0";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 6);
    std::vector<Contact> contacts(300);
    for (Contact& contact : contacts) {
        for (std::string& cell : contact) {
            for (int n = length(random); n > 0; --n)
                cell.push_back(alphabet[pick(random)]);
        }
    }
    EXPECT_EQ(ThroughFile(contacts), contacts);
}

TEST(ContactsFile, WritesTitleRowQuotedCellsAndOneLinePerContact) {
    const std::vector<Contact> contacts = {
        {"true", "Ann", "+4477", "line one\r\nline two\rthree\nfour", "Friends"},
        {"", "Bo \"B\"", "1;2", "", "a,b"},
    };
    EXPECT_EQ(ContactsFileText(contacts),
              ";Name;Phone;Note;Group\r\n"
              "true;Ann;+4477;line one  line two three four;Friends\r\n"
              ";\"Bo \"\"B\"\"\";\"1;2\";;\"a,b\"\r\n");
}

TEST(ContactsFile, SplitsHandWrittenLines) {
    struct Case {
        std::string line;
        Contact expected;
    };
    const std::vector<Case> cases = {
        {"a", {"a", "", "", "", ""}},
        {";Ann,+44;note;group", {"", "Ann", "+44", "note", "group"}},
        {"1;2;3;4;5;6;7", {"1", "2", "3", "4", "5"}},
        {"\"x;y\",\"a,b\"", {"x;y", "a,b", "", "", ""}},
        {"\"a\"\"b\"", {"a\"b", "", "", "", ""}},
        {"\"\"\"\"", {"\"", "", "", "", ""}},
        {"\"\"", {"", "", "", "", ""}},
        {"a\"b;c\"d", {"ab;cd", "", "", "", ""}},  // quotes anywhere toggle
        {"\"open;to the end", {"open;to the end", "", "", "", ""}},
        {" ; ", {" ", " ", "", "", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseContactLine(c.line), c.expected) << c.line;
}

TEST(ContactsFile, SkipsTitleAndEmptyLinesWhateverTheLineEnds) {
    struct Case {
        std::string text;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {";Name;Phone;Note;Group\r\n", {}},
        {";Name;Phone;Note;Group", {}},
        {"title\r\n;A\r\n\r\n;B\r\n", {"A", "B"}},
        {"title\n;A\n;B", {"A", "B"}},
        {"title\r;A\r\r;B\r", {"A", "B"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const Contact& contact : ParseContactsText(c.text))
            names.push_back(contact[kNameColumn]);
        EXPECT_EQ(names, c.names) << c.text;
    }
}

TEST(GroupsFile, TreeSurvivesSaveAndLoad) {
    GroupNode root = FreshGroupTree();
    root.children[0].children.push_back({"Close friends", kUncheckedPicture, {}});
    root.children[0].children[0].children.push_back({"Best", kUncheckedPicture, {}});
    root.children.push_back({"Zoo <b>keepers</b>", kUncheckedPicture, {}});
    const std::string text = GroupsFileText(root);
    EXPECT_EQ(text,
              "<img src=\"idx:2\"><b>All contacts</b>\r\n\tFriends\r\n\t\tClose friends\r\n"
              "\t\t\tBest\r\n\tCustomers\r\n\tDistributors\r\n\tZoo <b>keepers</b>\r\n");

    TempDir dir;
    WriteFileText(dir / "Groups", text);
    const std::optional<GroupNode> read = ParseGroupsText(ReadFileText(dir / "Groups"));
    ASSERT_TRUE(read);
    EXPECT_EQ(GroupsFileText(*read), text);
}

TEST(GroupsFile, OddIndentationStillGivesOneTree) {
    // A root line with tabs is still the root; a line two levels deeper than the one before
    // hangs below that one; untabbed lines after the root are groups; lines of tabs alone
    // name nothing.
    const std::optional<GroupNode> read =
        ParseGroupsText("\t\r\tRoot\n\t\t\tDeep\nFlat\r\n\r\n\tNext\n\t\t");
    ASSERT_TRUE(read);
    EXPECT_EQ(GroupsFileText(*read), "Root\r\n\tDeep\r\n\tFlat\r\n\tNext\r\n");
    EXPECT_FALSE(ParseGroupsText("\r\n\t\n"));
}

TEST(GroupsFile, EndlessNestingIsCapped) {
    std::string text = "Root\n";
    for (std::size_t depth = 1; depth <= 5000; ++depth)
        text += std::string(depth, '\t') + "g\n";
    const std::optional<GroupNode> read = ParseGroupsText(text);
    ASSERT_TRUE(read);
    int deepest = 0;
    std::size_t nodes = 0;
    VisitGroups(*read, [&](const GroupNode&, int depth) {
        deepest = std::max(deepest, depth);
        ++nodes;
    });
    EXPECT_EQ(deepest, static_cast<int>(kMaxGroupDepth));
    EXPECT_EQ(nodes, 5001u);
}

}  // namespace
}  // namespace nimbra
