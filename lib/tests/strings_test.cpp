#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "unStrings.h"

namespace nimbra {
namespace {

using namespace std::string_literals;

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(PhoneNumbers, NormalizeKeepsDigitsAndOneLeadingPlus) {
    const std::vector<TextCase> cases = {
        {"+12-34/567 8901", "+12345678901"},
        {"01 23 456", "0123456"},
        {"12", ""},        // fewer than three characters left
        {"+1", ""},        // "+" counts towards the three
        {"1+2+3", "123"},  // a "+" after the first position is dropped
        {"+1+2+3", "+123"},
        {"-123", "123"},                // "-" never survives
        {"Bob (0171 555)", "0171555"},  // the number in parentheses wins over the name
        {"Bob 42 (+44 20 7946)", "+44207946"},
        {"Bob 0171 555 ()", "0171555"},  // empty parentheses fall back to the whole text
        {"Bob (0171 555", "0171555"},    // so does an unclosed one
        {"no number", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizePhoneNumber(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(PhoneNumbers, SameComparesTheLastSixCharactersAtMost) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const std::vector<Case> cases = {
        {"+12345678901", "0045678901", true},  // last six: 678901
        {"+1234567", "4567", true},            // second one shorter: n = 4
        {"4567", "+1234567", true},            // first one shorter: n = 4
        {"123456", "654321", false},
        {"+44 111 678901", "Alice (0049 222 678901)", true},
        {"0049 222 678900", "0049 222 678901", false},
        {"12", "ab", true},   // both normalise to empty
        {"12", "123", true},  // one empty: n = 0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SamePhoneNumber(c.a, c.b), c.same) << c.a << " vs " << c.b;
    }
}

TEST(Blanks, TrimBlanks) {
    const std::vector<TextCase> cases = {
        {"  \r\n abc \r\n ", "abc"},
        {"     ", ""},
        {"", ""},
        {"\0\0 abc"s, "abc"},       // leading NUL bytes go
        {"abc\0"s, "abc\0"s},       // a trailing NUL stays
        {"abc\0 \r\n"s, "abc\0"s},  // ... and stops the trimming behind it
        {"\tabc\t", "\tabc\t"},     // tabs are not blanks
        {"a  b", "a  b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimBlanks(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(Blanks, TextInParentheses) {
    const std::vector<TextCase> cases = {
        {"  plain text  ", "plain text"},  // no "(": the text itself, trimmed
        {"Bob (0171 555)", "0171 555"},
        {"(a) x (b) y ( c )", "ab c"},  // all parenthesised parts, concatenated
        {"x (a (b) c)", "a (b"},        // up to the next ")" only
        {"x ) y (z)", "z"},
        {"Bob (0171", ""},  // no ")" after the "(": nothing stands between
        {"()", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextInParentheses(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(Blanks, DigitsOnlyKeepsALeadingMinus) {
    const std::vector<TextCase> cases = {
        {"a1b2c3", "123"}, {"-12x3", "-123"}, {"-", ""},     {"--5", "-5"},
        {"5-6", "56"},     {" -5", "5"},      {"-abc", "-"}, {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DigitsOnly(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(Slices, CountsAreClampedToTheText) {
    struct Case {
        long n;
        const char* left;
        const char* right;
        const char* dropped;
    };
    const std::vector<Case> cases = {
        {-5, "", "", "abcdef"},      {0, "", "", "abcdef"},         {2, "ab", "ef", "cdef"},
        {6, "abcdef", "abcdef", ""}, {100, "abcdef", "abcdef", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeftChars("abcdef", c.n), c.left) << "n = " << c.n;
        EXPECT_EQ(RightChars("abcdef", c.n), c.right) << "n = " << c.n;
        EXPECT_EQ(DropChars("abcdef", c.n), c.dropped) << "n = " << c.n;
    }
    EXPECT_EQ(RightChars("", 3), "");
}

TEST(Slices, PadZeros) {
    EXPECT_EQ(PadZeros("7", 3), "007");
    EXPECT_EQ(PadZeros("", 2), "00");
    EXPECT_EQ(PadZeros("1234", 3), "1234");
    EXPECT_EQ(PadZeros("12", -1), "12");
}

TEST(Hex, Integers) {
    EXPECT_EQ(IntToHexText(31), "1F");
    EXPECT_EQ(IntToHexText(0), "0");
    EXPECT_EQ(IntToHexText(-1), "");
    EXPECT_EQ(IntToHexText(0x10), "10");
    EXPECT_EQ(IntToHexText(0xABCDEF0123LL), "ABCDEF0123");

    EXPECT_EQ(ByteToHex2(5), "05");
    EXPECT_EQ(ByteToHex2(255), "FF");
    EXPECT_EQ(ByteToHex2(0x1FF), "1FF");

    EXPECT_EQ(HexTextToInt("1F"), 31);
    EXPECT_EQ(HexTextToInt("0041"), 65);
    EXPECT_EQ(HexTextToInt(""), 0);
    EXPECT_EQ(HexTextToInt("7FFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(HexTextToInt("FFFFFFFF"), -1);  // wraps like a 32-bit integer

    // No validation: the value is plain arithmetic on the byte.
    const std::vector<std::pair<char, int>> digits = {{'0', 0},  {'9', 9},  {'A', 10}, {'F', 15},
                                                      {'G', 16}, {'a', 42}, {'@', 16}, {' ', -16}};
    for (const auto& [c, value] : digits) {
        EXPECT_EQ(HexDigitValue(c), value) << "digit: " << c;
    }
}

TEST(Hex, WideText) {
    EXPECT_EQ(WideToHex(u"A"), "0041");
    EXPECT_EQ(WideToHex(u"\u20AC\u00E9\U0001F600"), "20AC00E9D83DDE00");
    EXPECT_EQ(WideToHex(u""), "");
    EXPECT_EQ(HexToWide("20AC00E9D83DDE00"), u"\u20AC\u00E9\U0001F600");
    EXPECT_EQ(HexToWide("00410042004"), u"AB");  // a short final group is ignored
    EXPECT_EQ(HexToWide("004"), u"");
    const std::u16string all = [] {
        std::u16string w;
        for (char32_t u = 0; u <= 0xFFFF; u += 0x3F)
            w.push_back(static_cast<char16_t>(u));
        return w;
    }();
    EXPECT_EQ(HexToWide(WideToHex(all)), all);

    EXPECT_FALSE(HasWideChars(u""));
    EXPECT_FALSE(HasWideChars(u"abc\u00FF"));
    EXPECT_TRUE(HasWideChars(u"abc\u0100"));
    EXPECT_TRUE(HasWideChars(u"\u20AC"));  // in the code page, but still above 255

    EXPECT_EQ(RemoveLineBreaksWide(u"a\r\nb\rc\n"), u"abc");
    EXPECT_EQ(RemoveLineBreaksWide(u"\u20AC\u00FC\u0081"), u"\u20AC\u00FC\u0081");
    EXPECT_EQ(RemoveLineBreaksWide(u"x\u4E2Dy\u0080\U0001F600"), u"x?y??");
}

TEST(Case, UpperAsciiAndAlnum) {
    EXPECT_EQ(UpperAscii("abz AZ 09 \xE9\xFF{`"), "ABZ AZ 09 \xE9\xFF{`");
    EXPECT_EQ(UpperAlnum("Send to: phone-2 \xE9!"), "SENDTOPHONE2");
    EXPECT_EQ(UpperAlnum(""), "");
}

TEST(Tags, StripTags) {
    const std::vector<TextCase> cases = {
        {"<b>bold</b> text", "bold text"},
        {"a<<b>c", "ac"},
        {"a > b", "a > b"},
        {"<>x<y z>", "x"},
        {"no tags", "no tags"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StripTags(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(Split, SplitText) {
    struct Case {
        std::string sep;
        std::string s;
        std::vector<std::string> pieces;
    };
    const std::vector<Case> cases = {
        {"\\", "a\\\\b", {"a", "", "b"}},
        {",", "a,b,", {"a", "b"}},  // the empty last piece is dropped
        {",", ",a", {"", "a"}},     // an empty first piece is kept
        {",", ",", {""}},
        {",", "", {}},
        {"AND", "xandyAnDz", {"x", "y", "z"}},  // separator compared without regard to case
        {"ab", "aab", {"a"}},
        {"--", "a---b", {"a", "-b"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> list;
        SplitText(c.sep, c.s, list);
        EXPECT_EQ(list, c.pieces) << "sep: " << c.sep << " text: " << c.s;
    }

    std::vector<std::string> list = {"kept"};
    SplitText(";", "x;y", list);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "x", "y"}));  // appends, never clears
}

TEST(Split, SplitAtChar) {
    using Parts = std::pair<std::string, std::string>;
    EXPECT_EQ(SplitAtChar("key=val=ue=", '='), Parts("key", "value"));
    EXPECT_EQ(SplitAtChar("=x", '='), Parts("", "x"));
    EXPECT_EQ(SplitAtChar("none", '='), Parts("none", ""));
    EXPECT_EQ(SplitAtChar("", '='), Parts("", ""));
}

TEST(Replace, ReplaceAll) {
    struct Case {
        const char* oldText;
        const char* newText;
        const char* s;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"a", "aa", "banana", "baanaanaa"},  // inserted text is not scanned again
        {"aa", "a", "aaaa", "aa"},
        {"x", "", "xaxbx", "ab"},
        {"A", "b", "aA", "ab"},  // case-sensitive
        {"", "z", "abc", "abc"},
        {"abc", "z", "ab", "ab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.oldText, c.newText, c.s), c.expected)
            << c.oldText << " -> " << c.newText << " in " << c.s;
    }
}

TEST(Paths, FilterPathCharsDropsBytesBelowDot) {
    std::string all;
    std::string kept;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
        if (b >= '.' || b == ' ' || b == '+' || b == '-')
            kept.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(FilterPathChars(all), kept);
    EXPECT_EQ(FilterPathChars("+49 (171) 55*5/x.txt"), "+49 171 555/x.txt");
}

TEST(LineBreaks, EscapeAndUnescape) {
    EXPECT_EQ(EscapeLineBreaks("a\\b\r\nc"), "a\\\\b\\r\\nc");
    const std::vector<TextCase> unescape = {
        {"a\\\\b\\r\\nc", "a\\b\r\nc"},
        {"x\\ty", "xy"},   // an unknown escape drops both characters
        {"\\R\\N", ""},    // escapes are case-sensitive
        {"end\\", "end"},  // a backslash at the very end is dropped
        {"\\\\\\", "\\"},
    };
    for (const auto& c : unescape) {
        EXPECT_EQ(UnescapeLineBreaks(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(LineBreaks, UnescapeInvertsEscapeForAnyBytes) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(UnescapeLineBreaks(EscapeLineBreaks(all)), all);

    // Random texts dense in the three special bytes and "r"/"n".
    const std::string alphabet = "\\\r\nrnx\0\xFF"s;
    std::mt19937 rng(1234);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        for (int k = length(rng); k > 0; --k)
            s.push_back(alphabet[pick(rng)]);
        ASSERT_EQ(UnescapeLineBreaks(EscapeLineBreaks(s)), s);
        ASSERT_EQ(EscapeLineBreaks(s).find_first_of("\r\n"), std::string::npos);
    }
}

TEST(Numbers, ParseInt32IsStrict) {
    const std::vector<std::pair<const char*, int>> accepted = {
        {"0", 0},     {"42", 42},
        {"-42", -42}, {"+42", 42},
        {"007", 7},   {"2147483647", 2147483647},
        {"-0", 0},    {"-2147483648", -2147483647 - 1},
    };
    for (const auto& [s, expected] : accepted) {
        int value = 0;
        EXPECT_TRUE(ParseInt32(s, value)) << "input: " << s;
        EXPECT_EQ(value, expected) << "input: " << s;
    }
    const std::vector<const char*> rejected = {
        "2147483648", "-2147483649", "", "+", "-", "+-1", "--1", " 1", "1 ", "12a", "0x10", "1.0",
    };
    for (const char* s : rejected) {
        int value = 0;
        EXPECT_FALSE(ParseInt32(s, value)) << "input: " << s;
    }
}

TEST(Numbers, ParseInt64TakesTheWholeRange) {
    const std::vector<std::pair<const char*, std::int64_t>> accepted = {
        {"2147483648", 2147483648},
        {"+4102444800", 4102444800},
        {"-2147483649", -2147483649},
        {"9223372036854775807", INT64_MAX},
    };
    for (const auto& [s, expected] : accepted) {
        std::int64_t value = 0;
        EXPECT_TRUE(ParseInt64(s, value)) << "input: " << s;
        EXPECT_EQ(value, expected) << "input: " << s;
    }
    for (const char* s : {"9223372036854775808", "", "+-1", " 1", "12a"}) {
        std::int64_t value = 0;
        EXPECT_FALSE(ParseInt64(s, value)) << "input: " << s;
    }
}

}  // namespace
}  // namespace nimbra
