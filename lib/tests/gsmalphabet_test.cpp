#include <gtest/gtest.h>

#include <string>

#include "gsmalphabet.h"

namespace nimbra::gsm7 {
namespace {

using namespace std::string_literals;

struct Vector {
    const char* name;
    std::u16string text;
    std::string septets;
};

// Septet values from the published default alphabet and extension table.
const Vector kVectors[] = {
    {"plain letters and digits", u"Hello 42", "\x48\x65\x6C\x6C\x6F\x20\x34\x32"s},
    {"at sign is septet zero", u"@", "\x00"s},
    {"pound, dollar, yen", u"\u00A3$\u00A5", "\x01\x02\x03"s},
    {"accented letters", u"\u00E9\u00E4\u00F6\u00FC\u00E0\u00C4", "\x05\x7B\x7C\x7E\x7F\x5B"s},
    {"greek capitals", u"\u0394\u03A6\u03A9\u03A3", "\x10\x12\x15\x18"s},
    {"underscore and section", u"_\u00A7\u00BF\u00A1", "\x11\x5F\x60\x40"s},
    {"line feed and carriage return", u"a\r\nb", "\x61\x0D\x0A\x62"s},
    {"extension characters", u"{}[]~\\^|\u20AC",
     "\x1B\x28\x1B\x29\x1B\x3C\x1B\x3E\x1B\x3D\x1B\x2F\x1B\x14\x1B\x40\x1B\x65"s},
    {"form feed", u"\f", "\x1B\x0A"s},
};

TEST(GsmAlphabet, EncodesAndDecodesThePublishedValues) {
    for (const auto& v : kVectors) {
        SCOPED_TRACE(v.name);
        const auto septets = EncodeUnpacked(v.text);
        ASSERT_TRUE(septets.has_value());
        EXPECT_EQ(*septets, v.septets);
        EXPECT_EQ(DecodeUnpacked(v.septets), v.text);
        EXPECT_EQ(SeptetLength(v.text), v.septets.size());
    }
}

TEST(GsmAlphabet, EverySeptetButTheEscapeRoundTrips) {
    for (int code = 0; code < 128; ++code) {
        if (code == kEscape)
            continue;
        const std::string septet(1, static_cast<char>(code));
        const std::u16string text = DecodeUnpacked(septet);
        ASSERT_EQ(text.size(), 1u) << "septet " << code;
        EXPECT_EQ(SeptetsOf(text[0]), septet) << "septet " << code;
    }
}

TEST(GsmAlphabet, CharactersOutsideTheAlphabetAreRefused) {
    const std::u16string outside[] = {u"\u00F5", u"\u0151",     u"\u0416", u"\u03B1",
                                      u"`",      u"\U0001F600", u"\0"s};
    for (const auto& text : outside) {
        EXPECT_FALSE(EncodeUnpacked(u"ok " + text).has_value());
        EXPECT_FALSE(CanEncode(text));
        EXPECT_TRUE(SeptetsOf(text[0]).empty());
    }
    EXPECT_TRUE(CanEncode(u"@ \u00A3 \u00E9 \u00E4"));
}

TEST(GsmAlphabet, DecodingToleratesWhatAPeerMaySend) {
    // An unknown extension code shows the default-table character; a trailing escape shows
    // nothing; the high bit of a byte is ignored.
    EXPECT_EQ(DecodeUnpacked("\x1B\x41"s), u"A");
    EXPECT_EQ(DecodeUnpacked("ab\x1B"s), u"ab");
    EXPECT_EQ(DecodeUnpacked("\xC1"s), u"A");
    EXPECT_EQ(DecodeUnpacked(""), u"");
}

}  // namespace
}  // namespace nimbra::gsm7
