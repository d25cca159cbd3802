// The composer's counters, recipients, pieces and message file, without a window.
#include <gtest/gtest.h>

#include <string>

#include "composerlogic.h"

namespace nimbra::ui {
namespace {

std::u16string Repeat(char16_t c, std::size_t n) {
    return std::u16string(n, c);
}

struct CounterCase {
    const char* name;
    std::u16string text;
    bool unicode;
    int characters;
    int messages;
    int left;
};

TEST(ComposerCounters, PartBoundariesOfPlainExtendedAndUnicodeTexts) {
    const char16_t zhe = u'\u0436';
    const CounterCase cases[] = {
        {"empty", u"", false, 0, 1, 160},
        {"plain 160", Repeat(u'a', 160), false, 160, 1, 0},
        {"plain 161", Repeat(u'a', 161), false, 161, 2, 145},
        {"plain 306", Repeat(u'a', 306), false, 306, 2, 0},
        {"plain 307", Repeat(u'a', 307), false, 307, 3, 152},
        // Extension characters take two positions each.
        {"extended 160", Repeat(u'{', 80), false, 160, 1, 0},
        {"extended 161", Repeat(u'{', 80) + u"a", false, 161, 2, 145},
        {"extended 306", Repeat(u'[', 150) + u"abcdef", false, 306, 2, 0},
        {"extended 307", Repeat(u'[', 150) + u"abcdefg", false, 307, 3, 152},
        {"mixed extension", u"~|^\\}]" + Repeat(u'a', 149), false, 161, 2, 145},
        {"unicode 70", Repeat(zhe, 70), true, 70, 1, 0},
        {"unicode 71", Repeat(zhe, 71), true, 71, 2, 57},
        {"unicode 128", Repeat(zhe, 128), true, 128, 2, 0},
        {"unicode 129", Repeat(zhe, 129), true, 129, 3, 63},
        // Line breaks are not counted.
        {"line breaks", u"ab\r\ncd\n", false, 4, 1, 156},
        {"unicode line breaks", Repeat(zhe, 70) + u"\r\n", true, 70, 1, 0},
    };
    for (const CounterCase& c : cases) {
        const ComposerCounters counters = CountText(c.text, c.unicode);
        EXPECT_EQ(counters.characters, c.characters) << c.name;
        EXPECT_EQ(counters.messages, c.messages) << c.name;
        EXPECT_EQ(counters.left, c.left) << c.name;
    }
}

TEST(ComposerRecipients, EntriesEndAtCommasAndSemicolonsAndInvalidOnesAreRejected) {
    const Recipients r = ReadRecipients("Anna (+3620111), abc;+3620333 ", "x;+3620444");
    EXPECT_EQ(r.taken, (std::vector<std::string>{"Anna (+3620111)", "+3620333", "+3620444"}));
    EXPECT_EQ(r.rejected, (std::vector<std::string>{"abc", "x"}));
}

TEST(ComposerRecipients, BlankEntriesAndAOneCharacterTailAreNotReported) {
    // The ";" that joins the fields and doubled separators leave blank entries.
    Recipients r = ReadRecipients("+3620111;", "");
    EXPECT_EQ(r.taken, (std::vector<std::string>{"+3620111"}));
    EXPECT_TRUE(r.rejected.empty());
    r = ReadRecipients("+3620111;; ,", "7");
    EXPECT_EQ(r.taken.size(), 1u);
    EXPECT_TRUE(r.rejected.empty());
    // A last entry of more than one character without a number is dropped silently.
    r = ReadRecipients("", "ab");
    EXPECT_TRUE(r.taken.empty());
    EXPECT_TRUE(r.rejected.empty());
}

TEST(ComposerPieces, TextIsCutInto760CharacterPiecesWithoutLineBreaks) {
    const std::string text = std::string(1000, 'a') + "\r\n" + std::string(1000, 'b');
    const std::vector<std::string> pieces = TextPieces(text);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], std::string(760, 'a'));
    EXPECT_EQ(pieces[1], std::string(240, 'a') + std::string(520, 'b'));
    EXPECT_EQ(pieces[2], std::string(480, 'b'));
    EXPECT_EQ(TextPieces(""), (std::vector<std::string>{" "}));
    // Nothing but line breaks is still a message, not none.
    EXPECT_EQ(TextPieces("\r\n\n"), (std::vector<std::string>{" "}));
}

TEST(ComposerMessageFile, RoundTripKeepsLineBreaksBackslashesAndUnicode) {
    const MessageFile cases[] = {
        {"Anna (+3620111)", "+3620222;\r\n+3620333", u"line 1\r\nC:\\dir\\n is not a break\\"},
        {"+3620111", "", u"\u0436\u0443\u043a and \\r"},
        {"", "", u""},
        {"+1", "", u"_UCS2_0041 typed as text"},
    };
    for (const MessageFile& file : cases) {
        const std::string text = MessageFileText(file);
        const std::optional<MessageFile> read = ParseMessageFile(text);
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(read->to, file.to);
        EXPECT_EQ(read->cc, file.cc);
        EXPECT_EQ(read->text, file.text) << text;
    }
    // Three CR LF lines; the escaped ones hold no line break.
    EXPECT_EQ(MessageFileText({"+1", "a\r\nb", u"x\ny\\"}), "+1\r\na\\r\\nb\r\nx\\ny\\\\\r\n");
    EXPECT_FALSE(ParseMessageFile("+1\r\nonly two lines"));
}

}  // namespace
}  // namespace nimbra::ui
