#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "file_text.h"
#include "folderman.h"
#include "store_fixture.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

using testing_support::StoreTest;

// Records what a view of the folder tree would be told.
class TreeEvents : public FolderTreeObserver {
public:
    void NodeAboutToBeAdded(const TFolderNode* parent, int position) override {
        events.push_back("adding " + PathOf(parent) + "#" + std::to_string(position));
    }
    void NodeAdded(const TFolderNode& node) override { events.push_back("+" + FolderPath(node)); }
    void NodeAboutToBeRemoved(const TFolderNode& node) override {
        events.push_back("-" + FolderPath(node));
    }
    void NodeRemoved(const TFolderNode* parent, int position) override {
        events.push_back("removed " + PathOf(parent) + "#" + std::to_string(position));
    }
    void NodeChanged(const TFolderNode& node) override { events.push_back("~" + FolderPath(node)); }
    std::vector<std::string> events;

private:
    static std::string PathOf(const TFolderNode* node) { return node ? FolderPath(*node) : "/"; }
};

class FolderManTest : public StoreTest {
protected:
    TFolderMan& Folders() {
        if (!folders_) {
            folders_ = std::make_unique<TFolderMan>(store_);
            folders_->ShowFolders();
        }
        return *folders_;
    }
    // Every node's folder path, in tree order, from the first user folder on.
    std::vector<std::string> UserPaths() {
        std::vector<std::string> paths;
        const TFolderTree& tree = Folders().Tree();
        for (int i = kFirstUserFolderIndex; i < tree.NodeCount(); ++i)
            paths.push_back(FolderPath(*tree.NodeAt(i)));
        return paths;
    }
    bool IsDir(const std::string& path) const { return fs::is_directory(Home("Folders/" + path)); }

    std::unique_ptr<TFolderMan> folders_;
};

TEST_F(FolderManTest, TheTreeStartsWithTheSevenFixedNodes) {
    const TFolderTree& tree = Folders().Tree();
    ASSERT_EQ(tree.NodeCount(), 7);
    const std::vector<std::pair<std::string, int>> expected = {
        {"Inbox", 4},        {"Outbox", 6},        {"Waiting for resend", 11},
        {"Sent items", 7},   {"Deleted items", 5}, {"Could not be sent", 10},
        {"Server events", 8}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(NodeName(*tree.NodeAt(i)), expected[static_cast<std::size_t>(i)].first);
        EXPECT_EQ(IconOf(tree.NodeAt(i)->caption), expected[static_cast<std::size_t>(i)].second);
    }
    EXPECT_EQ(tree.NodeAt(0)->caption, "<img src=\"idx:4\"><b>Inbox</b>");
    EXPECT_EQ(Folders().IndexOf("SERVER EVENTS", nullptr), kTreeServerEvents);
    EXPECT_TRUE(IsDir(""));
}

TEST(IconOfTest, ReadsTheNumberAfterIdx) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"<img src=\"idx:9\">Work", 9},
        {"<img src=\"idx:12\">", 12},
        {"no markup", -1},
        {"<img src=\"idx:\">x", -1},
        {"<img src=\"pic:3\">x", -1},
        {"a\"b\"idx:\"7", 7},  // further double quotes are dropped before the search
        {"idx:5 before any quote\"", -1},
    };
    for (const auto& [caption, icon] : cases)
        EXPECT_EQ(IconOf(caption), icon) << caption;
}

TEST(FolderNameTest, RefusesTheNineCharactersAndWhatAMessagePathCannotHold) {
    for (const char* name : {"Work", "2004_03_17", "Jo Smith", "a-b+c", "caf\xe9", "x:y"})
        EXPECT_TRUE(IsValidFolderName(name)) << name;
    for (const char* name : {"", " ", " lead", "trail ", "a\\b", "a<b", "a>b", "it's", "a\"b",
                             "a/b", "a*b", "a!b", "a.b", "a(b)", "a,b", "a#b", "a%b", "a\tb"})
        EXPECT_FALSE(IsValidFolderName(name)) << name;
}

TEST(FolderNameTest, GroupNamesBecomeValidFolderNames) {
    const struct {
        const char* group;
        const char* folder;
    } cases[] = {
        {"Friends", "Friends"},
        {"Dist. Ltd", "Dist_ Ltd"},
        {"Friends & Family", "Friends _ Family"},
        {"A/B \\ C*!", "A_B _ C__"},
        {"<b>Bold</b>", "_b_Bold__b_"},
        {"  padded  ", "padded"},
        {"", "_"},
        {"Sent items", "Sent items group"},
        {"INBOX", "INBOX group"},
        {"Server events", "Server events group"},
        {"Sent items 2", "Sent items 2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GroupFolderName(c.group), c.folder) << c.group;
        EXPECT_TRUE(IsValidFolderName(GroupFolderName(c.group))) << c.group;
    }
}

TEST_F(FolderManTest, CreateChecksTheNameAndRefusesASecondFolderOfTheSameName) {
    TFolderMan& folders = Folders();
    EXPECT_EQ(folders.CreateFolder("a.b", nullptr), nullptr);
    EXPECT_EQ(folders.CreateFolder("a/b", nullptr), nullptr);
    EXPECT_FALSE(IsDir("a.b"));
    ASSERT_NE(folders.CreateFolder("Work", nullptr), nullptr);
    EXPECT_EQ(folders.CreateFolder("Work", nullptr), nullptr);
    EXPECT_EQ(folders.CreateFolder("WORK", nullptr), nullptr);   // found by the tree as Work
    EXPECT_EQ(folders.CreateFolder("inbox", nullptr), nullptr);  // would stand for Inbox
    EXPECT_EQ(folders.CreateFolder("Sub", folders.Tree().NodeAt(kTreeOutbox)), nullptr);
    EXPECT_EQ(folders.CreateFolder("Sub", folders.Tree().NodeAt(kTreeOutbox)), nullptr);
    EXPECT_EQ(notifier_.messages,
              (std::vector<std::string>{"The folder name contains illegal characters!",
                                        "The folder name contains illegal characters!",
                                        "The folder with this name already exists!",
                                        "The folder with this name already exists!",
                                        "The folder with this name already exists!"}));
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"Work"}));
}

TEST_F(FolderManTest, SubfoldersGoLastUnderTheirParentWhichOpens) {
    TFolderMan& folders = Folders();
    TFolderNode* work = folders.CreateFolder("Work", nullptr);
    folders.CreateFolder("Zoo", nullptr);
    TFolderNode* b = folders.CreateFolder("B", work);
    folders.CreateFolder("A", work);
    EXPECT_TRUE(work->expanded);
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"Work", "Work/B", "Work/A", "Zoo"}));
    EXPECT_TRUE(IsDir("Work/A"));
    EXPECT_EQ(folders.IndexOf("a", work), 9);
    EXPECT_EQ(folders.IndexOf("A", nullptr), -1);
    EXPECT_EQ(folders.FindChild("B", work), b);
    EXPECT_EQ(folders.FindChild("b", work), nullptr);
    EXPECT_EQ(folders.UserFolderPathAt(9), "Work/A");
    EXPECT_EQ(folders.DirectoryOf(b), Home("Folders/Work/B"));
}

TEST_F(FolderManTest, EnsureFolderPathCreatesEveryLevelOnceAndFindsThemAfterwards) {
    TFolderMan& folders = Folders();
    EXPECT_TRUE(folders.EnsureFolderPath("Daily\\2004_03_17"));
    EXPECT_TRUE(IsDir("Daily/2004_03_17"));
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"Daily", "Daily/2004_03_17"}));
    EXPECT_TRUE(folders.EnsureFolderPath("Daily/2004_03_17"));
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"Daily", "Daily/2004_03_17"}));
    EXPECT_TRUE(notifier_.messages.empty());

    // A level the name rule refuses stops the walk.
    EXPECT_FALSE(folders.EnsureFolderPath("Daily/bad.name/below"));
    EXPECT_FALSE(IsDir("Daily/bad.name"));
    // A directory made behind the tree's back gets its node.
    fs::create_directories(Home("Folders/Daily/2004_03_18"));
    folders.EnsureFolderPath("Daily/2004_03_18");
    EXPECT_EQ(UserPaths(),
              (std::vector<std::string>{"Daily", "Daily/2004_03_17", "Daily/2004_03_18"}));
}

TEST_F(FolderManTest, EnsureFolderPathRepairsAndFollowsWhatChangedOnDisk) {
    TFolderMan& folders = Folders();
    folders.EnsureFolderPath("Daily/2004_03_17");
    fs::remove_all(Home("Folders/Daily"));
    std::string actual;
    EXPECT_TRUE(folders.EnsureFolderPath("Daily/2004_03_17", &actual));
    EXPECT_TRUE(IsDir("Daily/2004_03_17"));
    EXPECT_EQ(actual, "Daily/2004_03_17");

    // A folder whose name differs in case only is the one the path means.
    folders.CreateFolder("archive", nullptr);
    EXPECT_TRUE(folders.EnsureFolderPath("Archive/2004", &actual));
    EXPECT_EQ(actual, "archive/2004");
    EXPECT_TRUE(IsDir("archive/2004"));
    EXPECT_FALSE(folders.EnsureFolderPath("Inbox/x"));  // a system folder's name
    EXPECT_EQ(notifier_.messages.size(), 1u);
}

TEST_F(FolderManTest, LinksAreNotFollowed) {
    testing_support::TempDir outside;
    testing_support::WriteFileText(outside / "precious.txt", "not the store's");
    fs::create_directories(Home("Folders/a"));
    fs::create_directory_symlink(Home("Folders"), Home("Folders/a/up"));
    fs::create_directory_symlink(outside.path(), Home("Folders/Elsewhere"));
    TFolderMan& folders = Folders();
    EXPECT_EQ(UserPaths(), std::vector<std::string>{"a"});

    // A link made into a folder is removed as a link.
    ASSERT_TRUE(folders.EnsureFolderPath("Elsewhere"));
    notifier_.answers = {true, true};
    EXPECT_TRUE(folders.DeleteFolder(folders.FindChild("Elsewhere", nullptr)));
    EXPECT_FALSE(fs::exists(Home("Folders/Elsewhere")));
    EXPECT_TRUE(fs::exists(outside / "precious.txt"));
}

TEST_F(FolderManTest, FoldersWhoseNamesNoMessagePathCanHoldAreLeftOut) {
    for (const char* path : {"Sales (EU)", "Good", "Good/R&D", "a<b>"})
        fs::create_directories(Home("Folders/") + path);
    TFolderMan& folders = Folders();
    EXPECT_EQ(UserPaths(), std::vector<std::string>{"Good"});
    EXPECT_EQ(notifier_.messages.size(), 3u);
    EXPECT_EQ(notifier_.messages[0].rfind("Folder not shown, its name cannot hold messages: ", 0),
              0u);
    EXPECT_EQ(folders.Tree().NodeCount(), 8);
}

TEST_F(FolderManTest, FoldersOnDiskAppearOnceInNameOrder) {
    for (const char* path : {"Zed", "Alpha/Two", "Alpha/One", "Mid"})
        fs::create_directories(Home("Folders/") + path);
    testing_support::WriteFileText(Home("Folders/Alpha/1_msg.sms"), "files are no folders");
    TFolderMan& folders = Folders();
    folders.ShowFolders();
    EXPECT_EQ(UserPaths(),
              (std::vector<std::string>{"Alpha", "Alpha/One", "Alpha/Two", "Mid", "Zed"}));
}

TEST_F(FolderManTest, RenameKeepsTheTreeAndTheDirectoryInStep) {
    TFolderMan& folders = Folders();
    TFolderNode* work = folders.CreateFolder("Work", nullptr);
    TFolderNode* sub = folders.CreateFolder("Sub", work);
    folders.CreateFolder("Home", nullptr);

    EXPECT_TRUE(folders.RenameFolder(sub, "Inner"));
    EXPECT_TRUE(IsDir("Work/Inner"));
    EXPECT_EQ(sub->caption, "<img src=\"idx:9\">Inner");
    EXPECT_FALSE(folders.RenameFolder(sub, "Work"));   // the parent's own name
    EXPECT_FALSE(folders.RenameFolder(work, "home"));  // another folder's name
    EXPECT_FALSE(folders.RenameFolder(work, "Bad.Name"));
    EXPECT_TRUE(folders.RenameFolder(work, "WORK"));  // a change of case only
    EXPECT_EQ(notifier_.messages,
              (std::vector<std::string>{"The folder name contains illegal characters!",
                                        "Cannot rename folder: Work",
                                        "The folder name contains illegal characters!"}));
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"WORK", "WORK/Inner", "Home"}));
    EXPECT_TRUE(IsDir("WORK/Inner"));
    EXPECT_FALSE(folders.RenameFolder(folders.Tree().NodeAt(kTreeInbox), "Mail"));
}

TEST_F(FolderManTest, MoveTakesTheSubfoldersAlong) {
    TFolderMan& folders = Folders();
    TFolderNode* work = folders.CreateFolder("Work", nullptr);
    TFolderNode* sub = folders.CreateFolder("Sub", work);
    TFolderNode* archive = folders.CreateFolder("Archive", nullptr);
    testing_support::WriteFileText(Home("Folders/Work/Sub/1_m.sms"), "message");
    TreeEvents view;
    folders.Tree().AddObserver(&view);

    EXPECT_TRUE(folders.MoveFolder(work, archive));
    EXPECT_EQ(UserPaths(),
              (std::vector<std::string>{"Archive", "Archive/Work", "Archive/Work/Sub"}));
    EXPECT_TRUE(fs::exists(Home("Folders/Archive/Work/Sub/1_m.sms")));
    EXPECT_TRUE(archive->expanded);
    EXPECT_EQ(view.events, (std::vector<std::string>{"-Work", "removed /#7", "adding Archive#0",
                                                     "+Archive/Work", "~Archive"}));
    folders.Tree().RemoveObserver(&view);

    // Into itself or below itself, onto a system folder, or back where it is: nothing moves.
    EXPECT_FALSE(folders.MoveFolder(work, sub));
    EXPECT_FALSE(folders.MoveFolder(work, work));
    EXPECT_FALSE(folders.MoveFolder(work, folders.Tree().NodeAt(kTreeSentItems)));
    EXPECT_FALSE(folders.MoveFolder(work, archive));
    EXPECT_EQ(notifier_.messages,
              (std::vector<std::string>{"Cannot move folder: Work", "Cannot move folder: Work"}));

    // Onto the top level, where a folder of the same name already waits: refused.
    fs::create_directory(Home("Folders/Work"));
    EXPECT_FALSE(folders.MoveFolder(work, nullptr));
    EXPECT_TRUE(fs::exists(Home("Folders/Archive/Work/Sub/1_m.sms")));
    fs::remove(Home("Folders/Work"));
    EXPECT_TRUE(folders.MoveFolder(work, nullptr));
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"Archive", "Work", "Work/Sub"}));
}

TEST_F(FolderManTest, DeleteAsksTwiceAndRemovesEverythingForGood) {
    TFolderMan& folders = Folders();
    TFolderNode* work = folders.CreateFolder("Work", nullptr);
    folders.CreateFolder("Sub", work);
    testing_support::WriteFileText(Home("Folders/Work/1_a.sms"), "a");
    testing_support::WriteFileText(Home("Folders/Work/Sub/2_b.sms"), "b");

    notifier_.answers = {true, false};
    EXPECT_FALSE(folders.DeleteFolder(work));
    notifier_.answers = {false};
    EXPECT_FALSE(folders.DeleteFolder(work));
    EXPECT_TRUE(fs::exists(Home("Folders/Work/Sub/2_b.sms")));
    EXPECT_EQ(notifier_.questions.size(), 3u);
    EXPECT_EQ(notifier_.questions[0], "Are you sure you want to delete folder: Work");
    EXPECT_EQ(notifier_.questions[1],
              "The contents will not be saved in Deleted items! Do you still want to delete "
              "the folder?");

    notifier_.answers = {true, true};
    EXPECT_TRUE(folders.DeleteFolder(work));
    EXPECT_FALSE(IsDir("Work"));
    EXPECT_TRUE(UserPaths().empty());
}

TEST_F(FolderManTest, AReadOnlyFileStopsTheDeleteAndTheNodeStays) {
    TFolderMan& folders = Folders();
    TFolderNode* work = folders.CreateFolder("Work", nullptr);
    folders.CreateFolder("Sub", work);
    const std::string locked = Home("Folders/Work/Sub/1_locked.sms");
    testing_support::WriteFileText(locked, "keep me");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    testing_support::WriteFileText(Home("Folders/Work/2_free.sms"), "free");

    notifier_.answers = {true, true};
    EXPECT_FALSE(folders.DeleteFolder(work));
    EXPECT_EQ(notifier_.messages, (std::vector<std::string>{"Cannot delete folder!"}));
    EXPECT_TRUE(fs::exists(locked));
    EXPECT_EQ(UserPaths(), (std::vector<std::string>{"Work", "Work/Sub"}));
    // The files before the failing step are gone.
    EXPECT_FALSE(fs::exists(Home("Folders/Work/2_free.sms")));
}

TEST_F(FolderManTest, SystemNodesAreNeitherRenamedMovedNorDeleted) {
    TFolderMan& folders = Folders();
    TFolderNode* inbox = folders.Tree().NodeAt(kTreeInbox);
    notifier_.answers = {true, true};
    EXPECT_FALSE(folders.DeleteFolder(inbox));
    EXPECT_FALSE(folders.MoveFolder(inbox, nullptr));
    EXPECT_TRUE(notifier_.questions.empty());
    EXPECT_EQ(folders.Tree().NodeCount(), 7);
}

TEST_F(FolderManTest, AFileWhereTheFoldersBelongStopsTheStart) {
    testing_support::WriteFileText(Home("Folders"), "x");
    EXPECT_THROW(TFolderMan{store_}, std::runtime_error);
}

}  // namespace
}  // namespace nimbra
