#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginetext.h"
#include "unGSMSMS.h"

namespace nimbra {
namespace {

TEST(EngineText, TextsTheCodePageHoldsStayAndOthersTakeTheUnicodeForm) {
    struct Case {
        std::u16string text;
        std::string engine;
    };
    const std::vector<Case> cases = {
        {u"", ""},
        {u"Hello?", "Hello?"},
        {u"@ \u00A3 \u00E9 \u00E4 \u20AC", "@ \xA3 \xE9 \xE4 \x80"},
        {u"\u0393\u03B5\u03B9\u03B1", "_UCS2_039303B503B903B1"},
        {u"\u041F\u0440\u0438", "_UCS2_041F04400438"},
        {u"T\u0151", "_UCS2_00540151"},  // one letter outside the code page: the whole text
        {u"ok \xD83D\xDE00", "_UCS2_006F006B0020D83DDE00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EngineText(c.text), c.engine) << c.engine;
}

TEST(RecordForEngine, OnlyTheTextTakesTheUnicodeFormAndEmptyTimesStayEmpty) {
    const std::string utf8 =
        "{GSMSMS}{op}{+36 \xCE\xB1}{+3620111}{\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1 \\{x\\}}{42}"
        "{caf\xC3\xA9}{}{}{}{}{}{}";
    TGsmSms record;
    record.FromText(RecordForEngine(utf8));
    EXPECT_EQ(record.operatorName, "op");
    EXPECT_EQ(record.sender, "+36 ?");
    EXPECT_EQ(record.receiver, "+3620111");
    EXPECT_EQ(record.text, "_UCS2_039303B503B903B10020007B0078007D");
    EXPECT_EQ(record.messageId, "42");
    EXPECT_EQ(record.extra, "caf\xE9");

    // idSource, reference, both times, created and status: all empty.
    const std::string text = RecordForEngine(utf8);
    EXPECT_TRUE(text.ends_with("{}{}{}{}{}{}")) << text;
}

}  // namespace
}  // namespace nimbra
