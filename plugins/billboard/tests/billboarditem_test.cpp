#include "unBillboardItem.h"

#include <gtest/gtest.h>

#include "phonenumfile.h"
#include "unGSMSMS.h"

namespace nimbra {
namespace {

constexpr long long kNow = 1700000000;

TEST(BillboardItem, TextFormHoldsSenderEscapedTextAndTime) {
    const TBillboardItem item{"+36201234567", u"Hi {you} \\o/", 1700000042};
    EXPECT_EQ(EntryText(item), u"{+36201234567}{Hi \\{you\\} \\\\o/}{1700000042}");
}

TEST(BillboardItem, TextsComeBackExactlyFromTheTextForm) {
    const std::u16string texts[] = {u"{",
                                    u"}",
                                    u"\\",
                                    u"a{b}c\\d",
                                    u"\\{\\}",
                                    u"}{}{1}",
                                    u"line one\nline two",
                                    u"\u00e1rv\u00edzt\u0171r\u0151 \u20ac \u4f60\u597d",
                                    u"{GSMSMS}{}{1}{2}"};
    for (const std::u16string& text : texts) {
        const std::optional<TBillboardItem> back = ReadEntry(EntryText({"+3620", text, kNow}));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->text, text);
        EXPECT_EQ(back->sender, "+3620");
        EXPECT_EQ(back->time, kNow);
    }
}

TEST(BillboardItem, TextLosesBlanksAtItsEndsOnly) {
    const TBillboardItem item{"1", std::u16string(u"\0\t\r\n  mid  dle \n\t\0", 19), kNow};
    EXPECT_EQ(ReadEntry(EntryText(item))->text, u"mid  dle");
}

TEST(BillboardItem, UnicodeMarkedTextIsDecoded) {
    EXPECT_EQ(ItemFromMessage("1", u"_UCS2_004100420043", kNow).text, u"ABC");
    EXPECT_EQ(ItemFromMessage("1", u"_UCS2_0150007B", kNow).text, u"\u0150{");
    // A text that only mentions the marker later stays as it is.
    EXPECT_EQ(ItemFromMessage("1", u"x_UCS2_0041", kNow).text, u"x_UCS2_0041");
}

TEST(BillboardItem, RecordGivesSenderTextAndArrivalTime) {
    TGsmSms record;
    record.FromText("{GSMSMS}{}{+3630999}{+3620111}{\xe1llj \\{meg\\}!}{}{}{}{}{}{}{}{}");
    const TBillboardItem item = ItemFromRecord(record, kNow);
    EXPECT_EQ(item.sender, "+3630999");
    EXPECT_EQ(item.text, u"\u00e1llj {meg}!");
    EXPECT_EQ(item.time, kNow);
}

TEST(BillboardItem, EntryWhoseTimeCannotBeReadIsUnreadable) {
    // A hand-typed sender with a brace shifts the groups: the third is the text.
    EXPECT_FALSE(ReadEntry(EntryText({"+36{20", u"hello", kNow})).has_value());
    const std::u16string forms[] = {u"",
                                    u"{1}{text}",
                                    u"{1}{text}{}",
                                    u"{1}{text}{12x}",
                                    u"{1}{text}{99999999999999999999}",
                                    u"{1}{text}{-}"};
    for (const std::u16string& form : forms)
        EXPECT_FALSE(ReadEntry(form).has_value()) << std::string(form.begin(), form.end());
    // Braces that close early only move bytes into the group before them.
    EXPECT_EQ(ReadEntry(EntryText({"+36}20", u"hello", kNow}))->sender, "+3620");
}

TEST(BillboardItem, GroupsFollowTheMessageRecordExtraction) {
    struct Case {
        std::u16string form;
        int n;
        std::u16string group;
    };
    const Case cases[] = {
        {u"{A}x{B}", 1, u"Ax"},
        {u"{A}x{B}", 2, u"B"},
        {u"{a\\{b}{c}", 1, u"a\\{b"},
        {u"{a}{b\\}c}", 2, u"b\\}c"},
        {u"{a}{b}", 3, u""},
        {u"no braces", 1, u""},
        {u"{\u0150\\\\}{x}", 1, u"\u0150\\\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WideGroup(c.form, c.n), c.group);
}

TEST(PhoneNumFile, PlusAndSpaceAreWrittenAsInAQuery) {
    EXPECT_EQ(PhoneNumLine("+36 201234567"), "topPhoneNumber=SMS:+%2B36+201234567");
    EXPECT_EQ(PhoneNumLine("06-20/123&4"), "topPhoneNumber=SMS:+06-20/123&4");
}

}  // namespace
}  // namespace nimbra
