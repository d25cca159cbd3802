#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "codepage.h"

namespace nimbra {
namespace {

using namespace std::string_literals;

std::string AllBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        s.push_back(static_cast<char>(b));
    return s;
}

TEST(CodePage, HighBytesMapToTheirUnicodeCharacters) {
    // 0x80..0x9F, from the published Windows-1252 table; the five bytes it leaves
    // undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same value.
    constexpr std::array<char16_t, 32> kExpected = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int b = 0; b < 256; ++b) {
        const char16_t expected = b >= 0x80 && b <= 0x9F
                                      ? kExpected[static_cast<std::size_t>(b - 0x80)]
                                      : static_cast<char16_t>(b);
        EXPECT_EQ(AnsiCharToWide(static_cast<unsigned char>(b)), expected) << "byte " << b;
    }
}

TEST(CodePage, EveryByteSurvivesUtf16AndUtf8) {
    const std::string all = AllBytes();
    const std::u16string wide = AnsiToWide(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(WideToAnsi(wide), all);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), one) << "byte " << b;
    }
}

TEST(CodePage, MappingIsOneToOne) {
    // Exactly 256 code units map back onto themselves; everything else becomes "?".
    int identities = 0;
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const auto w = static_cast<char16_t>(u);
        const char b = WideCharToAnsi(w);
        if (AnsiCharToWide(static_cast<unsigned char>(b)) == w) {
            ++identities;
        } else {
            ASSERT_EQ(b, '?') << "code unit " << static_cast<int>(u);
        }
    }
    EXPECT_EQ(identities, 256);
}

TEST(CodePage, Utf8OfKnownBytes) {
    EXPECT_EQ(AnsiToUtf8("A\x80\xE9\x81\xFF\x9F"),
              "A"
              "\xE2\x82\xAC"  // euro sign
              "\xC3\xA9"      // e acute
              "\xC2\x81"      // undefined byte: U+0081
              "\xC3\xBF"      // y diaeresis
              "\xC5\xB8");    // Y diaeresis, U+0178
    EXPECT_EQ(AnsiToUtf8(""), "");
}

TEST(CodePage, CharactersOutsideThePageBecomeQuestionMarks) {
    struct WideCase {
        std::u16string w;
        std::string expected;
    };
    const std::vector<WideCase> wide = {
        {u"\u20AC\u0178\u00FF", "\x80\x9F\xFF"},
        {u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},
        {u"\u0080\u009F", "??"},  // C1 controls whose bytes carry other characters
        {u"a\u4E2Db", "a?b"},
        {u"\U0001F600", "?"},       // a surrogate pair is one character
        {u"\xD800x\xDC00", "?x?"},  // lone surrogates
    };
    for (const auto& c : wide) {
        EXPECT_EQ(WideToAnsi(c.w), c.expected);
    }

    struct Utf8Case {
        std::string utf8;
        std::string expected;
    };
    const std::vector<Utf8Case> utf8 = {
        {"\xE2\x82\xAC\xC2\x81", "\x80\x81"},
        {"\xE4\xB8\xAD", "?"},        // valid, but not in the page
        {"\xF0\x9F\x98\x80!", "?!"},  // four-byte character
        {"\x80", "?"},                // stray continuation byte
        {"\xC3", "?"},                // truncated at the end
        {"a\xE2\x82", "a?"},
        {"\xC3"
         "A",
         "?A"},  // the byte after a broken lead is read again
        {"\xFF\xFE", "??"},
        {"\xED\xA0\x80", "?"},  // encoded surrogate
        {"\xC2\xA0", "\xA0"},
    };
    for (const auto& c : utf8) {
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.expected) << "utf-8 of " << c.utf8.size() << " bytes";
    }

    // An overlong NUL must not smuggle a NUL byte in.
    const std::string overlong = Utf8ToAnsi("a\xC0\x80z");
    EXPECT_EQ(overlong.find('\0'), std::string::npos);
    EXPECT_EQ(overlong.front(), 'a');
    EXPECT_EQ(overlong.back(), 'z');
    EXPECT_EQ(overlong.find_first_not_of("?", 1), overlong.size() - 1);
}

TEST(CodePage, Utf8AndUtf16) {
    struct Case {
        std::string utf8;
        std::u16string wide;
    };
    const Case cases[] = {
        {"a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // a surrogate pair
        // Bytes that start no valid sequence are code-page bytes.
        {"caf\xE9 \x80", u"caf\u00E9 \u20AC"},
        {"\xC3"
         "A",
         u"\u00C3A"},
        {"\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},  // an encoded surrogate
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    EXPECT_EQ(WideToUtf8(u"a\u00E9\u20AC\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(u"\xD800x"), "\xEF\xBF\xBDx") << "a lone surrogate";
}

TEST(CodePage, LowerAnsiLowersTheLettersOfThePage) {
    struct Case {
        std::string in;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"AZaz@[`{", "azaz@[`{"},
        {"\xC0\xC9\xD6\xD8\xDE", "\xE0\xE9\xF6\xF8\xFE"},  // accented capitals
        {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"},          // S/Z with caron, OE, Y diaeresis
        {"\xD7\xDF\xFF\xE0\x80\x9A", "\xD7\xDF\xFF\xE0\x80\x9A"},  // no capital letters
    };
    for (const auto& c : cases)
        EXPECT_EQ(LowerAnsi(c.in), c.expected);
    // Every byte that changes is a capital whose small letter is one code point above it in
    // Unicode (Latin-1: 0x20 above), except Y with diaeresis.
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const std::string lowered = LowerAnsi(std::string(1, static_cast<char>(byte)));
        const char16_t from = AnsiCharToWide(byte);
        const char16_t to = AnsiCharToWide(static_cast<unsigned char>(lowered[0]));
        if (from != to && from != 0x0178) {
            EXPECT_TRUE(to - from == 0x20 || to - from == 1) << "byte " << b;
        }
    }
}

TEST(CodePage, AnsiCanHoldTellsWhetherAnyCharacterWouldBecomeAQuestionMark) {
    EXPECT_TRUE(AnsiCanHold(u""));
    EXPECT_TRUE(AnsiCanHold(u"What? \u00E9\u00E4\u00A3\u20AC"));  // é ä £ €
    EXPECT_FALSE(AnsiCanHold(u"\u0151"));                         // o with double acute
    EXPECT_FALSE(AnsiCanHold(u"a\u03B1"));
    EXPECT_FALSE(AnsiCanHold(u"\xD83D\xDE00"));
}

}  // namespace
}  // namespace nimbra
