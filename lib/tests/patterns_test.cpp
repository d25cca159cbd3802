#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unPatterns.h"

namespace nimbra {
namespace {

TEST(RegexMatches, PerlSyntaxAnywhereInTheText) {
    struct Case {
        const char* pattern;
        const char* s;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"\\d{3}", "code 12a345", true},
        {"\\d{4}", "code 12a345", false},
        {"^\\+49", "+4917112345", true},
        {"^\\+49", "0049171", false},
        {"foo(?=bar)", "xfoobar", true},  // lookahead
        {"foo(?!bar)", "foobar", false},  // negative lookahead
        {"(?i)STOP", "please stop", true},
        {"STOP", "please stop", false},  // case-sensitive by default
        {"\\bword\\b", "a word here", true},
        {"\\bword\\b", "swordfish", false},
        {"caf\xE9", "Caf\xC3\xA9 caf\xE9", true},  // code-page bytes, not UTF-8
        {"\xE9\\d",
         "\xC3\xA9"
         "1",
         false},
        {"\\x80", "price 5 \x80", true},  // escapes name bytes, not Unicode characters
        {"[\\x80-\\xff]", "plain \x9f", true},
        {"\\x{20AC}", "price 5 \x80", false},
        {"", "anything", false},
        {".*", "", false},
        {"(", "(", false},  // invalid pattern matches nothing
        {"[a-", "[a-", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegexMatches(c.pattern, c.s), c.matches)
            << "pattern \"" << c.pattern << "\" on \"" << c.s << "\"";
    }
}

TEST(RegexReplace, JoinsThePiecesWithTheLiteralReplacement) {
    struct Case {
        const char* pattern;
        const char* replacement;
        const char* s;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"\\d+", "#", "a1b22c333", "a#b#c#"},
        {"(\\d)", "<$1>", "x7y", "x<$1>y"},  // no back-references
        {"(\\d)", "\\1", "x7y", "x\\1y"},
        {"\\s+", " ", "a \r\n\t b", "a b"},
        {"x", "", "axbxc", "abc"},
        {"nomatch", "!", "text", "text"},
        {"^", "", "", ""},
        {"", "!", "text", "text"},  // empty pattern: unchanged
        {"(", "!", "a(b", "a(b"},   // invalid pattern: unchanged
        {"e", "\x80", "\xE9t\xE9 bebe",
         "\xE9t\xE9 b\x80"
         "b\x80"},
        {"[\\x{80}-\\x{FF}]+", "_",
         "a\x81\xFF"
         "b\x9D",
         "a_b_"},
        {"\xFC", "ue",
         "gr\xFC\xDF"
         "e",
         "grue\xDF"
         "e"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegexReplace(c.pattern, c.replacement, c.s), c.expected)
            << "pattern \"" << c.pattern << "\" on \"" << c.s << "\"";
    }

    // Every byte comes through untouched where nothing matches.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(RegexReplace("\\x{4E2D}", "?", all), all);
}

}  // namespace
}  // namespace nimbra
