#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "unDate.h"
#include "unGSMSMS.h"

namespace nimbra {
namespace {

using namespace std::string_literals;

TDateTime At(int year, int month, int day, int hour, int minute, int second) {
    TDateTime result = 0;
    EXPECT_TRUE(TryEncodeDateTime({year, month, day, hour, minute, second, 0}, result));
    return result;
}

TDateTime ExampleTime() {
    return At(2004, 3, 17, 9, 5, 41);
}

std::array<std::string, 13> Fields(const TGsmSms& r) {
    std::array<std::string, 13> out;
    for (std::size_t i = 0; i < kGsmSmsFields.size(); ++i)
        out[i] = r.*kGsmSmsFields[i];
    return out;
}

TEST(GsmSmsRecord, NewRecordHasCreationValues) {
    const TGsmSms r(ExampleTime());
    EXPECT_EQ(Fields(r), (std::array<std::string, 13>{"GSMSMS", "", "", "", "", "", "", "", "",
                                                      "2004-03-17 09:05:41", "2004-03-17 09:05:41",
                                                      "1079514341", ""}));
}

TEST(GsmSmsRecord, ExampleLineIsWrittenByteExactAndParsesBack) {
    TGsmSms r(ExampleTime());
    r.sender = "111";
    r.receiver = "222";
    r.text = "Hi {you}";
    const std::string expected =
        "{GSMSMS}{}{111}{222}{Hi \\{you\\}}{}{}{}{}{2004-03-17 09:05:41}{2004-03-17 09:05:41}"
        "{1079514341}{}";
    EXPECT_EQ(r.ToText(), expected);
    EXPECT_EQ(r.Summary(), "111 222 Hi {you}");

    TGsmSms parsed(At(2020, 1, 1, 0, 0, 0));
    parsed.FromText(expected);
    EXPECT_EQ(parsed, r);
}

TEST(GsmSmsRecord, TypeIsWrittenWithoutEscaping) {
    TGsmSms r(ExampleTime());
    r.type = "A\\B";
    EXPECT_EQ(r.ToText().substr(0, 8), "{A\\B}{}{");
}

// Every field but the type (written raw) must survive its text form whatever bytes it holds.
TEST(GsmSmsRecord, EveryFieldRoundTripsAwkwardBytes) {
    const std::vector<std::string> values = {
        "{",          "}",           "\\",     "a\\",
        "\\{}\\}",    "{}{}{",       "}x{",    "line1\r\nline2\n\r",
        "a\0b"s,      "\0"s,         "\0{\\"s, "\x80\xa0\xfb\xff",
        "{GSMSMS}{}", "ends with \\"};
    for (std::size_t f = 1; f < kGsmSmsFields.size(); ++f) {
        for (const std::string& value : values) {
            SCOPED_TRACE("field " + std::to_string(f + 1) + " value " + value);
            TGsmSms r(ExampleTime());
            r.*kGsmSmsFields[f] = value;
            TGsmSms parsed(At(1999, 12, 31, 23, 59, 59));
            parsed.FromText(r.ToText());
            if (kGsmSmsFields[f] == &TGsmSms::text) {
                std::string withoutNul = value;
                std::erase(withoutNul, '\0');
                r.text = withoutNul;
            }
            EXPECT_EQ(parsed, r);
        }
    }

    // All fields awkward at once: nothing may leak from one group into the next.
    TGsmSms all(ExampleTime());
    for (std::size_t f = 1; f < kGsmSmsFields.size(); ++f)
        all.*kGsmSmsFields[f] = values[f] + "#" + std::to_string(f);
    std::erase(all.text, '\0');
    TGsmSms parsed(At(1999, 12, 31, 23, 59, 59));
    parsed.FromText(all.ToText());
    EXPECT_EQ(parsed, all);
}

struct ParseCase {
    const char* name;
    std::string input;
    std::array<std::string, 13> expected;
};

// Parsing starts from a record whose every field holds "old": fields 1-9 and 13 are always
// overwritten, fields 10-12 only by a non-empty value.
TEST(GsmSmsRecord, FromTextExtractsFields) {
    const std::string o = "old";
    const std::vector<ParseCase> cases = {
        {"type alone", "{GSMSMS}", {"GSMSMS", "", "", "", "", "", "", "", "", o, o, o, ""}},
        {"empty input", "", {"", "", "", "", "", "", "", "", "", o, o, o, ""}},
        {"bytes after } belong to the field before",
         "{A}x{B}",
         {"Ax", "B", "", "", "", "", "", "", "", o, o, o, ""}},
        {"} does not end a field",
         "{T}{a}b}c{d}",
         {"T", "abc", "d", "", "", "", "", "", "", o, o, o, ""}},
        {"bytes before the first { ignored, escaped { included",
         "ab\\{c}d{T}{O}",
         {"T", "O", "", "", "", "", "", "", "", o, o, o, ""}},
        {"empty groups 10-12 keep old values",
         "{T}{}{}{}{}{}{}{}{}{}{}{}{}",
         {"T", "", "", "", "", "", "", "", "", o, o, o, ""}},
        {"non-empty groups 10-12 overwrite",
         "{T}{}{}{}{}{}{}{}{}{s}{r}{c}{st}",
         {"T", "", "", "", "", "", "", "", "", "s", "r", "c", "st"}},
        {"groups past the 13th ignored",
         "{1}{2}{3}{4}{5}{6}{7}{8}{9}{10}{11}{12}{13}{14}x{15}",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"}},
        {"escapes are taken literally",
         "{T}{a\\{b}{c\\\\}{\\}\\x}",
         {"T", "a{b", "c\\", "}x", "", "", "", "", "", o, o, o, ""}},
        {"trailing lone backslash dropped",
         "{T}{op\\",
         {"T", "op", "", "", "", "", "", "", "", o, o, o, ""}},
        {"escaped backslash at the very end kept",
         "{T}{op\\\\",
         {"T", "op\\", "", "", "", "", "", "", "", o, o, o, ""}},
        {"NUL removed from text only",
         "{T\0}{o\0p}{}{}{t\0x\\\0}{\0\\\0}"s,
         {"T\0"s, "o\0p"s, "", "", "tx", "\0\0"s, "", "", "", o, o, o, ""}},
        {"high bytes kept",
         "{T}{\x80\xff}",
         {"T", "\x80\xff", "", "", "", "", "", "", "", o, o, o, ""}},
        {"line breaks kept raw",
         "{T}{a\r\nb}{\n}",
         {"T", "a\r\nb", "\n", "", "", "", "", "", "", o, o, o, ""}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        TGsmSms r(ExampleTime());
        for (auto f : kGsmSmsFields)
            r.*f = o;
        r.FromText(c.input);
        EXPECT_EQ(Fields(r), c.expected);
    }
}

TEST(GsmSmsRecord, ShortRecordKeepsCreationValues) {
    TGsmSms r(ExampleTime());
    r.FromText("{GSMSMS_DELIVERY_REPORT}{op}{111}");
    EXPECT_EQ(r.type, "GSMSMS_DELIVERY_REPORT");
    EXPECT_EQ(r.sender, "111");
    EXPECT_EQ(r.sentTime, "2004-03-17 09:05:41");
    EXPECT_EQ(r.receivedTime, "2004-03-17 09:05:41");
    EXPECT_EQ(r.created, "1079514341");
}

TEST(GsmSmsRecord, ParsesTextHeldInItsOwnField) {
    TGsmSms r(ExampleTime());
    r.text = "{GSMSMS}{op}{111}{222}{hello}{id}";
    r.FromText(r.text);
    EXPECT_EQ(r.operatorName, "op");
    EXPECT_EQ(r.sender, "111");
    EXPECT_EQ(r.text, "hello");
    EXPECT_EQ(r.messageId, "id");
}

TEST(GsmSmsLength, MessageLength) {
    const struct {
        std::string text;
        int length;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"abc{", 5},
        {"{}[]\\~|^", 16},
        {"a\\0x13b", 4},  // the escape counts one, its backslash one more
        {"\\0x10\\0x99", 4},
        {"\\0x0A", 6},  // only two decimal digits make an escape
        {"\\0x\\0x12", 6},
        {"\\0x1", 5},
        {"\xe9\xff", 2},
        {"_UCS2_00410042", 2},
        {"_UCS2_", 0},
        {"_UCS2_00", 0},              // 0.5
        {"_UCS2_004100", 2},          // 1.5
        {"_UCS2_0041004200", 2},      // 2.5
        {"_UCS2_00410042004100", 4},  // 3.5
        {"_UCS2_007B", 1},            // hex digits are no two-position characters
        {"_UCS2x0041", 1},            // "_UCS2" alone selects the Unicode count
        {"_UCS0041", 8},
        {"_B64_" + std::string(500, 'q'), 160},
        {"_B64_a{b", 161},
        {"_PDU_0011000B91", 160},
        {"_VCARD_BEGIN:VCARD", 160},
        {"_CLASS0_hello", 5},
        {"_CLASS1_a\\0x13b", 4},
        {"_CLASS0_[x]", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageLength(c.text), c.length) << c.text;
    }
}

TEST(GsmSmsLength, LimitsAndPartCount) {
    const std::string ucs2 = "_UCS2_";
    const auto units = [&](int n) {
        return ucs2 + std::string(4 * static_cast<std::size_t>(n), 'A');
    };
    EXPECT_EQ(SinglePartLimit("abc"), 160);
    EXPECT_EQ(PartLimit("abc"), 153);
    EXPECT_EQ(SinglePartLimit(units(1)), 70);
    EXPECT_EQ(PartLimit(units(1)), 64);
    EXPECT_EQ(SinglePartLimit("_UCS2x"), 160);
    EXPECT_EQ(PartLimit("_UCS2x"), 153);

    const struct {
        std::string text;
        int parts;
    } cases[] = {
        {"", 1},
        {std::string(160, 'a'), 1},
        {std::string(161, 'a'), 2},
        {std::string(306, 'a'), 2},
        {std::string(307, 'a'), 3},
        {std::string(159, 'a') + "{", 2},  // the brace takes two positions
        {"_B64_" + std::string(1000, 'a'), 1},
        {units(70), 1},
        {units(71), 2},
        {units(128), 2},
        {units(129), 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PartCount(c.text), c.parts) << c.text.size() << " characters";
    }
}

TEST(GsmSmsLength, PartText) {
    std::string plain;
    for (int i = 0; i < 200; ++i)
        plain.push_back(static_cast<char>('!' + i % 90));
    EXPECT_EQ(PartText(plain, 1), plain.substr(0, 153));
    EXPECT_EQ(PartText(plain, 2), plain.substr(153));  // characters 154 to 200
    EXPECT_EQ(PartText(plain, 3), "");
    EXPECT_EQ(PartText("short", 1), "short");

    // The cut counts plain characters, escapes included.
    const std::string escaped = std::string(151, 'a') + "\\0x0Ab";
    EXPECT_EQ(PartText(escaped, 2), "x0Ab");

    std::string hex;
    for (int i = 0; i < 71; ++i) {
        char unit[5];
        std::snprintf(unit, sizeof unit, "%04X", i);
        hex += unit;
    }
    const std::string ucs2 = "_UCS2_" + hex;
    EXPECT_EQ(PartText(ucs2, 1), "_UCS2_" + hex.substr(0, 256));
    EXPECT_EQ(PartText(ucs2, 2), "_UCS2_" + hex.substr(256));
    EXPECT_EQ(PartText(ucs2, 3), "_UCS2_");
}

}  // namespace
}  // namespace nimbra
