#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unCimdCodec.h"

namespace nimbra::cimd {
namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(EncodeText, ReplacesByTheTableInOrder) {
    const std::vector<TextCase> cases = {
        {"a_b", "a_--b"},
        {"x\r\ny\tz", "xyz"},
        {"\xD5", "_o\""},  // double acute to umlaut, then the umlaut row
        {"\xF5", "_o\""},
        {"\xDB", "_u\""},
        {"\xFB", "_u\""},
        {"@", "_Oa"},
        {"[x]", "<x>"},
        {"\xE1_", "_a`_--"},  // underscores from later rows are not doubled
        {"\xC1\xE4\xC4\xD6", "_A*_a\"_A\"_O\""},
        {"\xE9\xC9\xDA\xFA", "_e'_E'_u`_u`"},
        {"\xCD\xED\xD3\xF3", "_i`_i`_o`_o`"},
        {"\xC7\xDF\xDC\xFC", "_C,_ss_U\"_u\""},
        {"plain 123 \xE8", "plain 123 \xE8"},  // outside the table: unchanged
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(EncodeText(c.input), c.expected) << Visible(c.input);
}

TEST(DecodeText, ReplacesByTheTableInOrder) {
    const std::vector<TextCase> cases = {
        {"_--", "_"},
        {"~", "\xFC"},
        {"^", "\xDC"},
        {"]", "\xC1"},
        {"L-", "L"},
        {"XXe", "E"},
        {"XX<XX(", "[{"},
        {"a _XX)", "a}"},
        {"_XX)", "_XX)"},  // needs its leading blank
        {"_a`_i`_u`_o`", "\xE1\xED\xFA\xF3"},
        {"_e`_e'_E'_E`", "\xE9\xE9\xC9\xC9"},
        {"|\\", "\xF6\xD6"},
        // Later rows do not feed earlier ones.
        {"XX>", "]"},
        {"_XX=", "~"},
        {"_XX_gl", "^"},
        {"_--a`", "_a`"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(DecodeText(c.input), c.expected) << c.input;
}

// Every string over an alphabet whose encoding the decoder reads back unchanged survives
// EncodeText then DecodeText; this breaks when rows of either table change places. "XXe" is
// left out: the decoder reads it as "E" whatever produced it.
TEST(TextRoundTrip, DecodeUndoesEncode) {
    std::string alphabet = " _`'=)\xE1\xE9\xC9\xFA\xF3\xED";
    for (char c = '0'; c <= '9'; ++c)
        alphabet += c;
    for (char c = 'a'; c <= 'z'; ++c)
        alphabet += {c, static_cast<char>(c - 'a' + 'A')};

    const auto check = [](const std::string& text) {
        if (text.find("XXe") == std::string::npos) {
            EXPECT_EQ(DecodeText(EncodeText(text)), text) << text;
        }
    };
    for (char a : alphabet) {
        for (char b : alphabet) {
            for (char c : alphabet)
                check({a, b, c});
        }
    }
    check("Az _ \xE1_\xE9 a_b_ XX=)");
}

TEST(Visible, SpellsOutControlBytes) {
    EXPECT_EQ(Visible("\x02"
                      "40:1\t\r\n239\x03"),
              "<stx>40:1<tab><cr><lf>239<etx>");
    EXPECT_EQ(Visible("<tab> \x01"), "<tab> \x01");
}

}  // namespace
}  // namespace nimbra::cimd
