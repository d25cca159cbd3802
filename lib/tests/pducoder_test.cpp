// Encoding side of the PDU codec: addresses, markers, concatenation headers and the stored
// reference, septet packing, escapes and the conversion tables.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "pducoder.h"
#include "pducoder_tables.h"

namespace nimbra {
namespace {

using namespace std::string_literals;
using test::Hex;
using test::Octets;
using test::PackSeptets;
using test::PlainSeptets;
using test::PlainText;

constexpr std::string_view kNumber = "+12345678901";
constexpr std::string_view kAddress = "0B912143658709F1";

TEST(PduEncode, EncodeAddress) {
    struct Case {
        std::string_view number;
        bool withLength;
        std::string_view expected;
    };
    const Case cases[] = {
        {"+12345678901", true, "0B912143658709F1"},
        {"12345678901", true, "0B812143658709F1"},
        {"+1 234-567", true, "0791214365F7"},
        {"+31624000000", false, "911326040000F0"},
        {"3620", false, "816302"},
        {"", true, "0081"},
        {"1+2", true, "028121"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TsmsPduCodec::EncodeAddress(c.number, c.withLength), c.expected)
            << "number " << c.number;
    }
}

TEST(PduEncode, HelloIsAWholeSubmitPdu) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references, PduCodecOptions{});
    const PduSubmit submit = codec.EncodeSubmit(kNumber, "+31624000000", "hello", 1, 1, false);
    // SMSC "00", first octet, TP-MR, address, PID, DCS, UDL, user data.
    EXPECT_EQ(submit.pdu, Octets("00 01 00 0B912143658709F1 00 00 05 E8329BFD06"));
    EXPECT_EQ(submit.tpduLength, 18);
    EXPECT_TRUE(references.Value().empty()) << "a single part never touches the reference";
}

TEST(PduEncode, StatusReportRequestAndSmscPart) {
    MemoryPduReferenceStore references;
    PduCodecOptions options;
    options.includeSmsc = true;
    TsmsPduCodec codec(references, options);
    const PduSubmit submit = codec.EncodeSubmit(kNumber, "+31624000000", "hello", 1, 1, true);
    EXPECT_EQ(submit.pdu, Octets("07911326040000F0 21 00 0B912143658709F1 0000 05 E8329BFD06"));
    EXPECT_EQ(submit.tpduLength, 18) << "the SMSC part is not counted";

    const PduSubmit noSmsc = codec.EncodeSubmit(kNumber, "", "hello", 1, 1, false);
    EXPECT_EQ(noSmsc.pdu.substr(0, 6), "018101");
}

// Markers select the data coding; the expected TPDU is written out after the address.
TEST(PduEncode, MarkersSetCodingAndUserData) {
    struct Case {
        std::string text;
        std::string afterAddress;  // PID, DCS, UDL, user data
        int firstOctet;
    };
    const std::string card = "BEGIN:VCARD\r\nN:Ann\r\nEND:VCARD";
    const Case cases[] = {
        {"_CLASS0_Hi", Octets("00 10 02 C834"), 0x01},
        {"_CLASS3_Hi", Octets("00 13 02 C834"), 0x01},
        {"_CLASSx_Hi", Octets("00 00 02 C834"), 0x01},
        {"_CLASS9_Hi", Octets("00 00 02 C834"), 0x01},
        {"_CLASS", Octets("00 00 00"), 0x01},
        {"_UCS2__CLASS1_0041", Octets("00 19 02 0041"), 0x01},
        {"_UCS2_00480069", Octets("00 08 04 00480069"), 0x01},
        {"_B64_48656C6C6F", Octets("00 F7 05 48656C6C6F"), 0x01},
        {"BEGIN:VCARD\\0x0D\\0x0AN:Ann\\0x0D\\0x0AEND:VCARD",
         Octets("00 F5") + Hex(7 + static_cast<int>(card.size())) + "06050423F40000" +
             test::HexOfText(card),
         0x41},
        {"Hi\\0x0A", Octets("00 00 03 C8B402"), 0x01},
        {"_VCARD_", Octets("00 00 07") + PackSeptets({17, 86, 67, 65, 82, 68, 17}), 0x01},
    };
    for (const Case& c : cases) {
        MemoryPduReferenceStore references;
        TsmsPduCodec codec(references, PduCodecOptions{});
        const PduSubmit submit = codec.EncodeSubmit(kNumber, "", c.text, 1, 1, false);
        EXPECT_EQ(submit.pdu,
                  "00" + Hex(c.firstOctet) + "00" + std::string(kAddress) + c.afterAddress)
            << "text " << c.text;
        EXPECT_EQ(submit.tpduLength, static_cast<int>(submit.pdu.size() - 2) / 2);
    }
}

TEST(PduEncode, ReadyPduIsPassedThrough) {
    struct Case {
        std::string_view text;
        std::string_view pdu;
        int tpduLength;
    };
    const Case cases[] = {
        {"_PDU_07911326040000F001000B912143658709F1000005E8329BFD06",
         "07911326040000F001000B912143658709F1000005E8329BFD06", 18},
        {"_PDU_0001000B912143658709F1000005E8329BFD06", "0001000B912143658709F1000005E8329BFD06",
         18},
        {"_PDU_", "", 0},
        {"_PDU_0", "0", 0},
        {"_PDU_0F00", "0F00", 0},
    };
    for (const Case& c : cases) {
        MemoryPduReferenceStore references;
        TsmsPduCodec codec(references, PduCodecOptions{});
        const PduSubmit submit = codec.EncodeSubmit(kNumber, "", c.text, 3, 2, true);
        EXPECT_EQ(submit.pdu, c.pdu);
        EXPECT_EQ(submit.tpduLength, c.tpduLength) << c.text;
        EXPECT_TRUE(references.Value().empty());
    }
}

TEST(PduEncode, LongTextGoesAsTwoPartsWithOneReference) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references, PduCodecOptions{});
    TGsmSms record(0.0);
    record.receiver = std::string(kNumber);
    record.text = PlainText(161);

    const PduPart first = codec.EncodePart(record, 1, false, "");
    EXPECT_TRUE(first.morePartsFollow);
    EXPECT_EQ(references.Value(), "61") << "default 60, advanced once";
    const PduPart second = codec.EncodePart(record, 2, false, "");
    EXPECT_FALSE(second.morePartsFollow);
    EXPECT_EQ(references.Value(), "61") << "later parts keep the reference";

    const std::string head = Octets("00 41 00") + std::string(kAddress) + "0000";
    EXPECT_EQ(first.pdu, head + "A0" + "050003610201" +
                             PackSeptets(PlainSeptets(record.text.substr(0, 153)), 1));
    EXPECT_EQ(second.pdu,
              head + "0F" + "050003610202" + PackSeptets(PlainSeptets(record.text.substr(153)), 1));
    EXPECT_EQ(first.tpduLength, static_cast<int>(first.pdu.size() - 2) / 2);
    EXPECT_EQ(second.tpduLength, static_cast<int>(second.pdu.size() - 2) / 2);

    for (int n : {0, 3, -1}) {
        const PduPart none = codec.EncodePart(record, n, false, "");
        EXPECT_TRUE(none.pdu.empty()) << "part " << n;
        EXPECT_FALSE(none.morePartsFollow);
    }
    EXPECT_EQ(references.Value(), "61");
}

TEST(PduEncode, SinglePartRecordIgnoresPartNumber) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references, PduCodecOptions{});
    TGsmSms record(0.0);
    record.receiver = std::string(kNumber);
    record.text = "hello";
    for (int n : {1, 2, 0}) {
        const PduPart part = codec.EncodePart(record, n, false, "");
        EXPECT_EQ(part.pdu, "0001000B912143658709F1000005E8329BFD06");
        EXPECT_EQ(part.tpduLength, 18);
        EXPECT_FALSE(part.morePartsFollow);
    }
}

TEST(PduEncode, StoredReferenceAdvancesAndWraps) {
    struct Case {
        std::string stored;
        std::string used;
    };
    const Case cases[] = {
        {"", "61"},   {"60", "61"}, {"EF", "F0"}, {"F0", "3C"},  {"FF", "3C"}, {"00", "01"},
        {"7a", "7B"}, {"zz", "61"}, {"6", "61"},  {"600", "61"}, {"G0", "61"},
    };
    for (const Case& c : cases) {
        MemoryPduReferenceStore references(c.stored);
        TsmsPduCodec codec(references, PduCodecOptions{});
        const PreparedUserData first = codec.PrepareUserData("abc", 2, 1);
        EXPECT_EQ(first.udh, "050003" + c.used + "0201") << "stored " << c.stored;
        EXPECT_EQ(references.Value(), c.used);
        const PreparedUserData second = codec.PrepareUserData("def", 2, 2);
        EXPECT_EQ(second.udh, "050003" + c.used + "0202");
        EXPECT_EQ(references.Value(), c.used);
    }
}

TEST(PduEncode, PartNumbersThatCannotBeWrittenGiveNoPdu) {
    struct Case {
        int count;
        int index;
    };
    for (const Case& c : {Case{2, 0}, Case{2, 3}, Case{256, 1}, Case{3, -1}}) {
        MemoryPduReferenceStore references("70");
        TsmsPduCodec codec(references, PduCodecOptions{});
        EXPECT_FALSE(codec.PrepareUserData("abc", c.count, c.index).valid);
        EXPECT_TRUE(codec.EncodeSubmit(kNumber, "", "abc", c.count, c.index, false).pdu.empty());
        EXPECT_EQ(references.Value(), "70") << c.count << "/" << c.index;
    }
}

// One SMS carries at most 160 septets or 140 octets of user data; a longer PDU would only
// be refused by the device.
TEST(PduEncode, UserDataBeyondOneSmsGivesNoPdu) {
    struct Case {
        std::string text;
        int count;
        bool fits;
    };
    // 15 octets once its escapes are resolved, behind a 7-octet header.
    const std::string vcard = "BEGIN:VCARD\\0x0D\\0x0AN:";
    const Case cases[] = {
        {std::string(160, 'a'), 1, true},
        {std::string(161, 'a'), 1, false},
        {std::string(80, '{'), 1, true},
        {std::string(81, '{'), 1, false},
        {std::string(153, 'a'), 2, true},
        {std::string(150, 'a') + std::string(20, '{'), 2, false},
        {"_B64_" + std::string(280, 'A'), 1, true},
        {"_B64_" + std::string(282, 'A'), 1, false},
        {vcard + std::string(118, 'x'), 1, true},
        {vcard + std::string(119, 'x'), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20) + " length " + std::to_string(c.text.size()));
        MemoryPduReferenceStore references;
        TsmsPduCodec codec(references, PduCodecOptions{});
        EXPECT_EQ(codec.EncodeSubmit(kNumber, "", c.text, c.count, 1, false).pdu.empty(), !c.fits);
    }
}

// A part that starts with a two-position character keeps ESC and its code together.
TEST(PduEncode, PartStartingWithExtensionCharacter) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references, PduCodecOptions{});
    TGsmSms record(0.0);
    record.receiver = std::string(kNumber);
    record.text = PlainText(153) + "{abcdefg";
    ASSERT_EQ(PartCount(record.text), 2);
    codec.EncodePart(record, 1, false, "");
    const PduPart second = codec.EncodePart(record, 2, false, "");
    const std::string head = Octets("00 41 00") + std::string(kAddress) + "0000";
    std::vector<int> septets = {27, 40};
    for (int s : PlainSeptets("abcdefg"))
        septets.push_back(s);
    EXPECT_EQ(second.pdu, head + Hex(7 + 9) + "050003610202" + PackSeptets(septets, 1));
}

TEST(PduEncode, Pack7Bit) {
    struct Case {
        std::string text;
        bool convert;
        std::string hex;
        int septets;
    };
    const Case cases[] = {
        {"hello", true, "E8329BFD06", 5},
        {"hellohello", true, "E8329BFD4697D9EC37", 10},
        {"[", true, "1B1E", 2},
        {"[", false, "5B", 1},
        {"@$_", true, "004104", 3},
        {"@", false, "40", 1},
        {"\xE9", false, "69", 1},
        {"\xE9\xE0", true, PackSeptets({5, 127}), 2},
        {"", true, "", 0},
    };
    for (const Case& c : cases) {
        MemoryPduReferenceStore references;
        PduCodecOptions options;
        options.convert7Bit = c.convert;
        TsmsPduCodec codec(references, options);
        const Packed7Bit packed = codec.Pack7Bit(c.text);
        EXPECT_EQ(packed.hex, c.hex) << c.text;
        EXPECT_EQ(packed.septetCount, c.septets) << c.text;
    }
}

TEST(PduEncode, Unpack7Bit) {
    struct Case {
        std::string hex;
        int maxSeptets;
        bool convert;
        std::string text;
    };
    const Case cases[] = {
        {"E8329BFD06", 5, true, "hello"},
        {"E8329BFD06", 3, true, "hel"},
        {"E8329BFD06", 0, true, ""},
        {"E8329BFD06", -4, true, ""},
        {"E8329BFD0", 100, true, "hell"},
        {"E8329bFD06", 100, true, "he"},
        {"31D98C56B3DD00", 7, true, "1234567"},
        {"31D98C56B3DD00", 100, true, "1234567@"},  // seven spare bits read as code 0
        {"1B1E", 2, true, "["},
        {"1B1E", 2, false, "\x1B<"},
        {"1B1E", 1, true, ""},
        {"004104", 3, true, "@$_"},
        {"004104", 3, false, "\0\2\x11"s},
        {PackSeptets({6, 16, 18, 127}), 4, true, "\xFA\xB6\xB6\xE1"},
    };
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references, PduCodecOptions{});
    for (const Case& c : cases) {
        EXPECT_EQ(codec.Unpack7Bit(c.hex, c.maxSeptets, c.convert), c.text)
            << c.hex << " max " << c.maxSeptets;
    }
}

TEST(PduEncode, HexEscapes) {
    struct Case {
        std::string_view in;
        std::string out;
    };
    const Case unescape[] = {
        {"a\\0x0Ab", "a\nb"},
        {"\\0x41\\0x6a", "Aj"},
        {"\\0x4", "\\0x4"},
        {"\\0xZZ1", "\\0xZZ1"},
        {"\\\\0x41", "\\A"},
        {"\\0x00", "\0"s},
        {"", ""},
        {"0x41\\1x41", "0x41\\1x41"},
    };
    for (const Case& c : unescape)
        EXPECT_EQ(TsmsPduCodec::UnescapeHex(c.in), c.out) << c.in;

    EXPECT_EQ(TsmsPduCodec::EscapeLineBreaks("a\r\nb\n"), "a\\0x0D\\0x0Ab\\0x0A");
    EXPECT_EQ(TsmsPduCodec::UnescapeHex(TsmsPduCodec::EscapeLineBreaks("x\r\n\r")), "x\r\n\r");
}

TEST(PduTables, ShapeAndInverse) {
    const PduTables& t = PduConversionTables();
    for (const PduTable* table : {&t.gsmToAnsi, &t.escToAnsi, &t.ansiToEsc, &t.ansiToGsm})
        EXPECT_EQ((*table)[256], 256);
    int extensions = 0;
    for (int code = 0; code < 128; ++code) {
        const int ansi = t.escToAnsi[static_cast<std::size_t>(code)];
        if (ansi != code) {
            ++extensions;
            EXPECT_EQ(t.ansiToEsc[static_cast<std::size_t>(ansi)], code);
        }
    }
    EXPECT_EQ(extensions, 10);
    for (int c = 0; c < 256; ++c)
        EXPECT_LT(t.ansiToGsm[static_cast<std::size_t>(c)], 128) << "character " << c;
}

// Every entry of the four tables: the listed pairs, and the identity everywhere else.
TEST(PduTables, EveryEntryIsAsListed) {
    struct Run {
        int first;
        int last;
        int value;
    };
    using Runs = std::vector<Run>;
    const Runs gsmToAnsi = {
        {0, 0, 64},      {1, 1, 163},     {2, 2, 36},      {3, 3, 165},    {4, 4, 232},
        {5, 5, 233},     {6, 6, 250},     {7, 7, 237},     {8, 8, 243},    {9, 9, 199},
        {11, 11, 216},   {12, 12, 248},   {14, 14, 197},   {15, 15, 229},  {16, 16, 182},
        {17, 17, 95},    {18, 26, 182},   {28, 28, 198},   {29, 29, 230},  {30, 30, 223},
        {31, 31, 201},   {36, 36, 164},   {64, 64, 161},   {91, 91, 196},  {92, 92, 214},
        {93, 93, 209},   {94, 94, 220},   {95, 95, 167},   {96, 96, 191},  {123, 123, 228},
        {124, 124, 246}, {125, 125, 241}, {126, 126, 252}, {127, 127, 225}};
    const Runs escToAnsi = {{10, 10, 12},  {20, 20, 94},   {40, 40, 123}, {41, 41, 125},
                            {47, 47, 92},  {60, 60, 91},   {61, 61, 126}, {62, 62, 93},
                            {64, 64, 124}, {101, 101, 164}};
    const Runs ansiToEsc = {{12, 12, 10},   {91, 91, 60},   {92, 92, 47},   {93, 93, 62},
                            {94, 94, 20},   {123, 123, 40}, {124, 124, 64}, {125, 125, 41},
                            {126, 126, 61}, {164, 164, 101}};
    const Runs ansiToGsm = {
        {36, 36, 2},     {64, 64, 0},     {95, 95, 17},    {128, 128, 9},   {129, 129, 126},
        {130, 130, 5},   {131, 132, 123}, {133, 133, 127}, {134, 134, 15},  {135, 135, 9},
        {136, 137, 5},   {138, 138, 4},   {139, 141, 7},   {142, 142, 91},  {143, 143, 14},
        {144, 144, 69},  {145, 145, 29},  {146, 146, 28},  {147, 148, 124}, {149, 149, 8},
        {150, 150, 126}, {151, 151, 6},   {152, 152, 17},  {153, 153, 92},  {154, 154, 94},
        {155, 155, 127}, {156, 156, 1},   {157, 157, 3},   {158, 158, 17},  {159, 159, 96},
        {160, 160, 127}, {161, 161, 7},   {162, 162, 8},   {163, 163, 6},   {164, 164, 125},
        {165, 165, 93},  {166, 166, 34},  {167, 167, 36},  {168, 168, 96},  {169, 170, 17},
        {171, 172, 32},  {173, 173, 64},  {174, 174, 60},  {175, 175, 62},  {176, 191, 32},
        {192, 196, 65},  {197, 197, 14},  {198, 198, 28},  {199, 199, 9},   {200, 203, 31},
        {204, 207, 73},  {208, 208, 68},  {209, 209, 93},  {210, 211, 79},  {212, 212, 92},
        {213, 213, 79},  {214, 214, 92},  {215, 215, 32},  {216, 216, 48},  {217, 219, 85},
        {220, 220, 94},  {221, 221, 89},  {222, 222, 22},  {223, 223, 30},  {224, 226, 127},
        {227, 228, 123}, {229, 229, 15},  {230, 230, 29},  {231, 231, 99},  {232, 232, 4},
        {233, 235, 5},   {236, 239, 7},   {240, 240, 124}, {241, 241, 125}, {242, 243, 8},
        {244, 246, 124}, {247, 247, 47},  {248, 248, 48},  {249, 251, 6},   {252, 252, 126},
        {253, 253, 121}, {254, 254, 80},  {255, 255, 121}};
    const PduTables& t = PduConversionTables();
    const std::pair<const PduTable*, const Runs*> tables[] = {{&t.gsmToAnsi, &gsmToAnsi},
                                                              {&t.escToAnsi, &escToAnsi},
                                                              {&t.ansiToEsc, &ansiToEsc},
                                                              {&t.ansiToGsm, &ansiToGsm}};
    for (std::size_t n = 0; n < std::size(tables); ++n) {
        PduTable expected{};
        for (std::size_t i = 0; i < kPduTableSize; ++i)
            expected[i] = static_cast<std::uint16_t>(i);
        for (const Run& run : *tables[n].second)
            for (int i = run.first; i <= run.last; ++i)
                expected[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(run.value);
        for (std::size_t i = 0; i < kPduTableSize; ++i)
            EXPECT_EQ((*tables[n].first)[i], expected[i]) << "table " << n << ", entry " << i;
    }
}

// Every printable host character the GSM alphabet carries (directly or behind ESC) comes back
// unchanged through encoding, a deliver PDU and decoding.
TEST(PduRoundTrip, EveryCarriedCharacterSurvives) {
    const PduTables& t = PduConversionTables();
    std::string carried;
    for (int c = 32; c < 256; ++c) {
        const bool escaped =
            std::string_view("[\\]^{|}~").find(static_cast<char>(c)) != std::string_view::npos;
        const auto gsm = t.ansiToGsm[static_cast<std::size_t>(c)];
        if (c != 127 && (escaped || t.gsmToAnsi[gsm] == c))
            carried.push_back(static_cast<char>(c));
    }
    ASSERT_GT(carried.size(), 100u);

    test::TempFolder folder;
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references, folder.Options());
    TGsmSms record(0.0);
    record.receiver = std::string(kNumber);
    for (const std::string& text : {carried, PlainText(150) + carried}) {
        record.text = text;
        std::string decoded;
        const int parts = PartCount(text);
        for (int n = 1; n <= parts; ++n) {
            const PduPart part = codec.EncodePart(record, n, false, "");
            ASSERT_FALSE(part.pdu.empty());
            const PduDecodeResult result =
                codec.Decode(test::SubmitToDeliver(part.pdu), false, true);
            EXPECT_EQ(result.kind, n < parts ? kPduKindPass : kTypeMessage);
            decoded = result.text;
        }
        EXPECT_EQ(decoded, text) << parts << " parts";
        EXPECT_TRUE(folder.PartFiles().empty());
    }
}

}  // namespace
}  // namespace nimbra
