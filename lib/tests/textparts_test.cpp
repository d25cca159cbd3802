#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textparts.h"

namespace nimbra::textparts {
namespace {

using namespace std::string_literals;

std::u16string Repeat(std::u16string_view piece, std::size_t times) {
    std::u16string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

const std::u16string kEuro = u"\u20AC";            // an extension character: two septets
const std::u16string kEmoji = u"\U0001F600";       // a surrogate pair: two UTF-16 units
const std::u16string kCyrillic = u"\u0416\u044F";  // outside the GSM alphabet

struct SplitCase {
    const char* name;
    std::u16string text;
    Coding coding;
    std::vector<std::size_t> partSizes;  // code units of each part
};

const SplitCase kCases[] = {
    {"empty text is one empty part", u"", Coding::Gsm7, {0}},
    {"160 septets fit one message", Repeat(u"a", 160), Coding::Gsm7, {160}},
    {"161 septets: 153 and 8", Repeat(u"a", 161), Coding::Gsm7, {153, 8}},
    {"400 septets: three parts", Repeat(u"a", 400), Coding::Gsm7, {153, 153, 94}},
    {"extension characters count two", Repeat(kEuro, 80), Coding::Gsm7, {80}},
    {"81 extension characters need two parts", Repeat(kEuro, 81), Coding::Gsm7, {76, 5}},
    // 152 septets, then the escape pair would straddle the boundary: it moves on whole.
    {"escape pair not split",
     Repeat(u"a", 152) + kEuro + Repeat(u"b", 10),
     Coding::Gsm7,
     {152, 11}},
    {"escape pair just fits", Repeat(u"a", 151) + kEuro + Repeat(u"b", 8), Coding::Gsm7, {152, 8}},
    {"characters outside the alphabet count one", Repeat(kCyrillic, 81), Coding::Gsm7, {153, 9}},
    {"140 octets fit one message", Repeat(u"\u00E9", 140), Coding::Octet, {140}},
    {"141 octets: 134 and 7", Repeat(u"\u00E9", 141), Coding::Octet, {134, 7}},
    {"70 units fit one message", Repeat(u"\u0416", 70), Coding::Ucs2, {70}},
    {"71 units: 67 and 4", Repeat(u"\u0416", 71), Coding::Ucs2, {67, 4}},
    {"35 surrogate pairs fit one message", Repeat(kEmoji, 35), Coding::Ucs2, {70}},
    // 66 units, then a pair that would straddle the boundary moves on whole.
    {"surrogate pair not split",
     Repeat(u"x", 66) + kEmoji + Repeat(u"y", 5),
     Coding::Ucs2,
     {66, 7}},
    {"surrogate pair just fits",
     Repeat(u"x", 65) + kEmoji + Repeat(u"y", 4),
     Coding::Ucs2,
     {67, 4}},
    // A lone high surrogate at the end is one unit, not half a pair to wait for.
    {"lone surrogate at the end", Repeat(u"x", 70) + u"\xD83D", Coding::Ucs2, {67, 4}},
};

TEST(TextParts, SplitsAtTheCodingsLimits) {
    for (const SplitCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto parts = Split(c.text, c.coding);
        ASSERT_TRUE(parts.has_value());
        std::vector<std::size_t> sizes;
        std::u16string joined;
        for (const std::u16string& part : *parts) {
            sizes.push_back(part.size());
            joined += part;
            if (parts->size() > 1) {
                EXPECT_LE(CodedLength(part, c.coding), PartLimit(c.coding));
            }
        }
        EXPECT_EQ(sizes, c.partSizes);
        EXPECT_EQ(joined, c.text);
    }
}

TEST(TextParts, CodedLengthByCoding) {
    const std::u16string text = u"a\u00E9" + kEuro + kEmoji + kCyrillic;
    EXPECT_EQ(CodedLength(text, Coding::Gsm7), 1u + 1u + 2u + 2u + 2u);
    EXPECT_EQ(CodedLength(text, Coding::Octet), text.size());
    EXPECT_EQ(CodedLength(text, Coding::Ucs2), text.size());
}

TEST(TextParts, AtMost255Parts) {
    EXPECT_EQ(Split(Repeat(u"a", 255 * 153), Coding::Gsm7)->size(), 255u);
    EXPECT_FALSE(Split(Repeat(u"a", 255 * 153 + 1), Coding::Gsm7).has_value());
}

TEST(TextParts, ConcatenationHeaderBytes) {
    EXPECT_EQ(ConcatenationHeader(0x61, 3, 1), "\x05\x00\x03\x61\x03\x01"s);
    EXPECT_EQ(ConcatenationHeader(0xFF, 255, 255), "\x05\x00\x03\xFF\xFF\xFF"s);
}

}  // namespace
}  // namespace nimbra::textparts
