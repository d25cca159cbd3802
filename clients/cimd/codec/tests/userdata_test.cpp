#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cimdcharset.h"
#include "cimduserdata.h"

namespace nimbra::cimd {
namespace {

// Characters of the GSM alphabet and their writing in standard user data.
struct CombinationCase {
    const char* name;
    std::u16string text;
    std::string userData;
};

const CombinationCase kCombinations[] = {
    {"plain ASCII", u"Hello, 42 $ & (x)!", "Hello, 42 $ & (x)!"},
    {"at, pound, e acute, a diaeresis", u"@ \u00A3 \u00E9 \u00E4", "_Oa _L- _e' _a\""},
    {"underscore", u"a_b", "a_--b"},
    {"Latin letters of the alphabet",
     u"\u00E8\u00F9\u00EC\u00F2\u00C7\u00D8\u00F8\u00C5\u00E5\u00C6\u00E6\u00DF\u00C9",
     "_e`_u`_i`_o`_C,_O/_o/_A*_a*_AE_ae_ss_E'"},
    {"umlauts and tildes", u"\u00C4\u00D6\u00D1\u00DC\u00E4\u00F6\u00F1\u00FC\u00E0",
     "_A\"_O\"_N~_U\"_a\"_o\"_n~_u\"_a`"},
    {"signs", u"\u00A5\u00A4\u00A1\u00A7\u00BF", "_Y-_ox_!!_so_??"},
    {"Greek capitals of the alphabet",
     u"\u0394\u03A6\u0393\u039B\u03A9\u03A0\u03A8\u03A3\u0398\u039E",
     "_gd_gf_gg_gl_go_gp_gi_gs_gt_gx"},
    {"extension table", u"{}[]~\\^|\u20AC", "_XX(_XX)_XX<_XX>_XX=_XX/_XX_gl_XX_!!_XXe"},
    {"line breaks stand for themselves", u"a\r\nb", "a\r\nb"},
};

TEST(Combinations, WriteEveryCharacterOfTheAlphabetAndReadItBack) {
    for (const CombinationCase& c : kCombinations) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToCombinations(c.text), std::optional<std::string>(c.userData));
        EXPECT_EQ(FromCombinations(c.userData), c.text);
    }
}

TEST(Combinations, CharactersOutsideTheAlphabetCannotBeWritten) {
    for (const std::u16string text : {u"\u00E1", u"\u03B1", u"a\tb", u"`", u"\xD83D\xDE00"})
        EXPECT_EQ(ToCombinations(text), std::nullopt);
}

TEST(Combinations, WhatMeansNothingIsReadAsItStands) {
    struct Case {
        std::string userData;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {"_", u"_"},
        {"a_zz", u"a_zz"},
        {"_XX", u"_XX"},
        {"_XX[", u"_XX["},                    // "[" is no character of the default table
        {"\xE1rv\xEDz", u"\u00E1rv\u00EDz"},  // Latin-1 letters sent as they are
        {"@_Oa", u"@@"},
        {"_XX_", u"_XX_"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FromCombinations(c.userData), c.text) << c.userData;
}

struct EncodeCase {
    const char* name;
    std::string text;
    UserData data;
};

TEST(EncodeUserData, MarkersBecomeTheDataCodingScheme) {
    const EncodeCase cases[] = {
        {"GSM text", "Hi @ \xA3 \xE9 \xE4", {"", "", "Hi _Oa _L- _e' _a\"", ""}},
        {"a letter outside the alphabet", "\xE1 la", {"8", "", "", "00E10020006C0061"}},
        {"Unicode text", "_UCS2_039303B5", {"8", "", "", "039303B5"}},
        {"Unicode text the alphabet carries", "_UCS2_00400394", {"", "", "_Oa_gd", ""}},
        {"class", "_CLASS1_Hi", {"17", "", "Hi", ""}},
        {"class of a Unicode text", "_CLASS0__UCS2_03B1", {"24", "", "", "03B1"}},
        {"Unicode text with a class", "_UCS2__CLASS3_03B1", {"27", "", "", "03B1"}},
        {"octets", "_B64_0102ff", {"4", "", "", "0102FF"}},
        {"octets with a class", "_CLASS2__B64_AA", {"246", "", "", "AA"}},
        {"octets that are no hex", "_B64_xyz", {"", "", "_--B64_--xyz", ""}},
        {"class digit out of range", "_CLASS9_Hi", {"", "", "Hi", ""}},
    };
    for (const EncodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const UserData data = EncodeUserData(c.text);
        EXPECT_EQ(data.dcs, c.data.dcs);
        EXPECT_EQ(data.text, c.data.text);
        EXPECT_EQ(data.binary, c.data.binary);
        EXPECT_EQ(data.header, "");
    }
}

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

// Long texts go as the parts of a concatenated message, each with its header.
TEST(EncodeMessage, SplitsWhatOneShortMessageCannotHold) {
    struct Part {
        std::string header;
        std::string text;
        std::string binary;
    };
    struct Case {
        const char* name;
        std::string text;
        std::string dcs;
        std::vector<Part> parts;
    };
    const Case cases[] = {
        {"160 GSM characters fit", std::string(160, 'a'), "", {{"", std::string(160, 'a'), ""}}},
        {"161 do not",
         std::string(161, 'a'),
         "",
         {{"0500032A0201", std::string(153, 'a'), ""}, {"0500032A0202", std::string(8, 'a'), ""}}},
        {"400 characters in three parts",
         std::string(400, 'b'),
         "",
         {{"0500032A0301", std::string(153, 'b'), ""},
          {"0500032A0302", std::string(153, 'b'), ""},
          {"0500032A0303", std::string(94, 'b'), ""}}},
        {"an extension character is not cut from its escape",
         std::string(152, 'c') + "[" + std::string(10, 'c'),
         "",
         {{"0500032A0201", std::string(152, 'c'), ""},
          {"0500032A0202", "_XX<" + std::string(10, 'c'), ""}}},
        {"71 Greek letters as UCS-2",
         "_UCS2_" + Repeated("03B1", 71),
         "8",
         {{"0500032A0201", "", Repeated("03B1", 67)}, {"0500032A0202", "", Repeated("03B1", 4)}}},
        {"141 octets",
         "_B64_" + Repeated("AB", 141),
         "4",
         {{"0500032A0201", "", Repeated("AB", 134)}, {"0500032A0202", "", Repeated("AB", 7)}}},
        {"a class on every part",
         "_CLASS1_" + std::string(170, 'd'),
         "17",
         {{"0500032A0201", std::string(153, 'd'), ""}, {"0500032A0202", std::string(17, 'd'), ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<UserData> parts = EncodeMessage(c.text, 0x2A);
        ASSERT_EQ(parts.size(), c.parts.size());
        for (std::size_t i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(parts[i].dcs, c.dcs) << i;
            EXPECT_EQ(parts[i].header, c.parts[i].header) << i;
            EXPECT_EQ(parts[i].text, c.parts[i].text) << i;
            EXPECT_EQ(parts[i].binary, c.parts[i].binary) << i;
        }
    }
}

TEST(EncodeMessage, ATextOfMoreThan255PartsIsNotSplit) {
    EXPECT_EQ(EncodeMessage(std::string(255 * 153, 'e'), 1).size(), 255u);
    EXPECT_TRUE(EncodeMessage(std::string(255 * 153 + 1, 'e'), 1).empty());
}

struct DecodeCase {
    const char* name;
    std::string dcs;
    std::string text;
    std::string binary;
    std::string engineText;
};

TEST(DecodeUserData, TheDataCodingSchemeSaysHowToRead) {
    const DecodeCase cases[] = {
        {"combinations", "", "_Oa _L- _e' _a\"", "", "@ \xA3 \xE9 \xE4"},
        {"default alphabet named", "0", "Hi", "", "Hi"},
        {"Greek capital outside the code page", "", "_gd", "", "_UCS2_0394"},
        {"UCS-2", "8", "", "039303b5", "_UCS2_039303B5"},
        {"UCS-2 the code page holds", "8", "", "00E9", "\xE9"},
        {"UCS-2 with class 1", "25", "", "0041", "A"},
        {"UCS-2 in the class group", "232", "", "03B1", "_UCS2_03B1"},
        {"8-bit data", "4", "", "0102ff", "_B64_0102FF"},
        {"8-bit data in the class group", "245", "", "AB", "_B64_AB"},
        {"default alphabet as septets", "0", "", "001B65", "@\x80"},
        {"no number", "x", "Hi", "", "Hi"},
        {"octets that are no hex", "4", "Hi", "0G", "Hi"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TParamList packet;
        packet.put(0, "20:001");
        int i = 1;
        if (!c.dcs.empty())
            packet.put(i++, "030:" + c.dcs);
        if (!c.text.empty())
            packet.put(i++, "033:" + c.text);
        if (!c.binary.empty())
            packet.put(i++, "034:" + c.binary);
        EXPECT_EQ(DecodeUserData(packet), c.engineText);
    }
}

}  // namespace
}  // namespace nimbra::cimd
