#include "unModeration.h"

#include <gtest/gtest.h>

namespace nimbra {
namespace {

using List = TModeration::List;

constexpr long long kStart = 1700000000;

// A wall page as the shipped one behaves: it shows a message for showSeconds and then
// empties its message field.
struct WallPage {
    int showSeconds = 10;
    std::u16string field;
    long long putAt = 0;
    std::vector<std::pair<long long, std::u16string>> shown;

    void Tick(long long now) {
        if (!field.empty() && now - putAt >= showSeconds)
            field.clear();
    }
};

// The moderation with the window's defaults, stepped on a clock the test moves.
struct Moderator {
    TModeration moderation;
    std::u16string inboxTime = u"8";
    std::u16string displayTime = u"6";
    WallPage page;
    long long now = kStart;

    void Receive(std::u16string text, std::string sender = "+3620111") {
        moderation.Add({std::move(sender), std::move(text), now});
    }
    // One step at the current time, the page answering with its field.
    void Step() {
        page.Tick(now);
        if (!moderation.MoveDueEntries(now, inboxTime))
            return;
        if (auto item = moderation.TakeForWall(now, displayTime, page.field)) {
            page.field = item->text;
            page.putAt = now;
            page.shown.emplace_back(now, item->text);
        }
    }
    void RunFor(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            ++now;
            Step();
        }
    }
    std::size_t Count(List list) const { return moderation.Entries(list).size(); }
};

TEST(Moderation, EntryLeavesTheInboxOnlyAfterTheInboxTime) {
    Moderator m;
    m.Receive(u"hello");
    m.now += 8;
    m.Step();
    EXPECT_EQ(m.Count(List::Inbox), 1u) << "8 seconds old stays";
    EXPECT_TRUE(m.page.shown.empty());
    m.now += 1;
    m.Step();
    EXPECT_EQ(m.Count(List::Inbox), 0u) << "9 seconds old moves";
    ASSERT_EQ(m.page.shown.size(), 1u);
    EXPECT_EQ(m.page.shown[0].second, u"hello");
}

TEST(Moderation, AgeIsTakenAsAnAbsoluteDifference) {
    Moderator m;
    m.Receive(u"from the future");
    m.now -= 9;  // the clock was put back
    EXPECT_TRUE(m.moderation.MoveDueEntries(m.now, m.inboxTime));
}

TEST(Moderation, TimesThatAreNotNumbersFallBackToEightAndThree) {
    Moderator m;
    m.inboxTime = u"soon";
    m.displayTime = u"";
    m.Receive(u"one");
    m.Receive(u"two");
    m.page.showSeconds = 0;  // the page frees itself at once
    m.RunFor(8);
    EXPECT_TRUE(m.page.shown.empty());
    m.RunFor(1);
    ASSERT_EQ(m.page.shown.size(), 1u);
    m.RunFor(10);
    ASSERT_EQ(m.page.shown.size(), 2u);
    EXPECT_EQ(m.page.shown[1].first - m.page.shown[0].first, 4) << "more than 3 seconds apart";
}

TEST(Moderation, ThreeEntriesReachTheWallOneByOne) {
    struct Case {
        int pageShowSeconds;
        long long expectedGap;  // between two messages on the wall
    };
    // The display interval (6) holds a page that clears fast back; a slow page holds the
    // moderation back.
    for (const Case c : {Case{2, 7}, Case{10, 10}}) {
        Moderator m;
        m.page.showSeconds = c.pageShowSeconds;
        m.Receive(u"first");
        m.Receive(u"second");
        m.Receive(u"third");
        m.RunFor(9);
        EXPECT_EQ(m.Count(List::Display), 2u);
        m.RunFor(40);
        ASSERT_EQ(m.page.shown.size(), 3u);
        EXPECT_EQ(m.page.shown[0].second, u"first");
        EXPECT_EQ(m.page.shown[1].second, u"second");
        EXPECT_EQ(m.page.shown[2].second, u"third");
        EXPECT_EQ(m.page.shown[1].first - m.page.shown[0].first, c.expectedGap);
        EXPECT_EQ(m.page.shown[2].first - m.page.shown[1].first, c.expectedGap);
    }
}

TEST(Moderation, WallIsFreeOnlyWhenClearedOrReplaced) {
    struct Case {
        std::u16string wallText;
        bool free;
    };
    const Case cases[] = {{u"", true},
                          {u"something the page shows itself", true},
                          {u"first", false},
                          {std::u16string(kWallUnreadable), false}};
    for (const Case& c : cases) {
        Moderator m;
        m.Receive(u"first");
        m.Receive(u"second");
        m.RunFor(9);
        ASSERT_EQ(m.moderation.LastShownText(), u"first");
        m.now += 30;
        ASSERT_TRUE(m.moderation.MoveDueEntries(m.now, m.inboxTime));
        EXPECT_EQ(m.moderation.TakeForWall(m.now, m.displayTime, c.wallText).has_value(), c.free)
            << std::string(c.wallText.begin(), c.wallText.end());
    }
}

TEST(Moderation, TextWithBracesAndBackslashesReachesTheWallExactly) {
    Moderator m;
    m.Receive(u"{GSMSMS} \\n }{ \\\\ {");
    m.RunFor(9);
    ASSERT_EQ(m.page.shown.size(), 1u);
    EXPECT_EQ(m.page.shown[0].second, u"{GSMSMS} \\n }{ \\\\ {");
}

TEST(Moderation, UnicodeMessageReachesTheWallDecoded) {
    Moderator m;
    m.moderation.Add(ItemFromMessage("+3620", u"_UCS2_004100420043", m.now));
    m.RunFor(9);
    ASSERT_EQ(m.page.shown.size(), 1u);
    EXPECT_EQ(m.page.shown[0].second, u"ABC");
}

TEST(Moderation, EntryDeletedInTheInboxNeverReachesTheWall) {
    Moderator m;
    m.Receive(u"keep 1");
    m.Receive(u"rude");
    m.Receive(u"keep 2");
    m.RunFor(5);
    m.moderation.Remove(List::Inbox, {1});
    m.RunFor(60);
    ASSERT_EQ(m.page.shown.size(), 2u);
    EXPECT_EQ(m.page.shown[0].second, u"keep 1");
    EXPECT_EQ(m.page.shown[1].second, u"keep 2");
}

TEST(Moderation, EntryDeletedInTheDisplayListNeverReachesTheWall) {
    Moderator m;
    m.Receive(u"shown");
    m.Receive(u"rude");
    m.RunFor(9);
    ASSERT_EQ(m.moderation.Entries(List::Display).size(), 1u);
    m.moderation.Remove(List::Display, {0});
    m.RunFor(60);
    ASSERT_EQ(m.page.shown.size(), 1u);
    EXPECT_EQ(m.page.shown[0].second, u"shown");
}

TEST(Moderation, UnreadableEntryIsSkippedAndTheRestGoOn) {
    Moderator m;
    m.Receive(u"typed by hand", "+36{20");
    m.Receive(u"readable");
    m.RunFor(9);
    ASSERT_EQ(m.page.shown.size(), 1u);
    EXPECT_EQ(m.page.shown[0].second, u"readable");
    ASSERT_EQ(m.Count(List::Inbox), 1u) << "the unreadable entry stays for the operator";
    m.Receive(u"later");
    m.RunFor(30);
    ASSERT_EQ(m.page.shown.size(), 2u);
    EXPECT_EQ(m.page.shown[1].second, u"later");
}

TEST(Moderation, ListChangesAreReportedAsTheyHappen) {
    TModeration moderation;
    std::vector<std::string> events;
    moderation.onInserted = [&](List list, std::size_t at) {
        events.push_back((list == List::Inbox ? "+inbox " : "+display ") + std::to_string(at));
    };
    moderation.onRemoved = [&](List list, std::size_t at) {
        events.push_back((list == List::Inbox ? "-inbox " : "-display ") + std::to_string(at));
    };
    moderation.Add({"1", u"a", kStart});
    moderation.Add({"1", u"b", kStart + 5});
    moderation.Add({"1", u"c", kStart});
    moderation.MoveDueEntries(kStart + 9, u"8");
    moderation.Remove(List::Display, {1, 0, 1, 7});
    const std::vector<std::string> expected = {"+inbox 0",   "+inbox 1",   "+inbox 2",
                                               "-inbox 0",   "+display 0", "-inbox 1",
                                               "+display 1", "-display 1", "-display 0"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(moderation.Entries(List::Inbox), std::vector<std::u16string>{u"{1}{b}{1700000005}"});
}

TEST(Moderation, SecondsAreReadStrictly) {
    struct Case {
        std::u16string text;
        int seconds;
    };
    const Case cases[] = {{u"12", 12},  {u" 12 ", 12}, {u"0", 0}, {u"-2", -2},
                          {u"1.5", 99}, {u"12s", 99},  {u"", 99}, {u"99999999999", 99}};
    for (const Case& c : cases)
        EXPECT_EQ(SecondsOrDefault(c.text, 99), c.seconds);
}

}  // namespace
}  // namespace nimbra
