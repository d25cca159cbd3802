// Hostile input for the PDU decoder: malformed PDUs, random hexadecimal of any length, every
// truncation and random damage of valid PDUs. Nothing may fault or read out of bounds (the
// sanitizer build watches), the kind is always one of the three, and the part store only ever
// holds files named from well-formed headers.

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "pducoder.h"
#include "pducoder_septets.h"

namespace nimbra {
namespace {

using test::DeliverFields;
using test::DeliverPdu;
using test::Octets;
using test::SevenBitPart;

bool KnownKind(const std::string& kind) {
    return kind == kTypeMessage || kind == kTypeDeliveryReport || kind == kPduKindPass;
}

// Part files are named sender (letters, digits, "+" and "%XX") + "_" + stem (hex) + part
// number 1-20 + ".smspart.txt".
void ExpectWellNamedParts(const test::TempFolder& folder) {
    static const std::regex kName(
        "([0-9A-Za-z+]|%[0-9A-F]{2})*_(0003[0-9A-F]{2}|0804[0-9A-F]{4})"
        "([1-9]|1[0-9]|20)\\.smspart\\.txt");
    for (const std::string& name : folder.PartFiles())
        EXPECT_TRUE(std::regex_match(name, kName)) << name;
}

class PduRobustnessTest : public testing::Test {
protected:
    PduDecodeResult Decode(std::string_view pdu) {
        TsmsPduCodec codec(references_, folder_.Options());
        PduDecodeResult r = codec.Decode(pdu, true, true);
        EXPECT_TRUE(KnownKind(r.kind)) << r.kind;
        if (r.kind == kPduKindPass) {
            EXPECT_EQ(r.text, "");
        }
        return r;
    }

    test::TempFolder folder_;
    MemoryPduReferenceStore references_;
};

TEST_F(PduRobustnessTest, MalformedPdusAreNothingToDeliver) {
    const std::string stamps = "7090215101218070902151017180";
    DeliverFields longOriginator;
    longOriginator.originator = "FF91" + std::string(20, '1');
    const std::vector<std::string> malformed = {
        "",
        "0",
        "00040B912143658",                              // 15 characters
        "0004x0B912143658709F10000503021010203000568",  // not hex
        "00040b912143658709f1000050302101020300",       // lower case
        "0F040B912143658709F10000",                     // SMSC longer than the PDU
        "00010B912143658709F1000005E8329BFD06",         // a submit
        "00030B912143658709F1000005E8329BFD06",         // reserved type
        "00040B912143658709F10000503021010203",         // deliver without UDL
        "00040B912143658709F1000050302101020300",       // deliver without SCTS time zone
        DeliverPdu(longOriginator),                     // originator longer than the PDU
        "0006000B910221815716F2" + stamps,              // report without status
        "0006000B910221815716F2" + stamps.substr(0, 20) + "00",
        "0006FF",
        DeliverPdu({"00", true, "0B912143658709F1", 0, 0, "05-03-12 10:20:30", 5, ""}),
        DeliverPdu({"00", true, "0B912143658709F1", 0, 0, "05-03-12 10:20:30", 5, "05000361"}),
        DeliverPdu({"00", true, "0B912143658709F1", 0, 0, "05-03-12 10:20:30", 9,
                    "0400050361020101"}),  // element longer than the header
        SevenBitPart("050003610200", "zero"),
        SevenBitPart("050003610300", "beyond"),
        SevenBitPart("050003610000", "none"),
    };
    for (const std::string& pdu : malformed) {
        EXPECT_EQ(Decode(pdu).kind, kPduKindPass) << pdu;
        TsmsPduCodec codec(references_, folder_.Options());
        EXPECT_FALSE(codec.IsPdu(pdu, true)) << pdu;
    }
    EXPECT_TRUE(folder_.PartFiles().empty());
}

std::string RandomHex(std::mt19937& rng, std::size_t length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::uniform_int_distribution<int> digit(0, 15);
    std::string hex(length, '0');
    for (char& c : hex)
        c = kDigits[digit(rng)];
    return hex;
}

TEST_F(PduRobustnessTest, RandomHexOfAnyLength) {
    std::mt19937 rng(20050312);
    std::uniform_int_distribution<std::size_t> length(0, 400);
    std::uniform_int_distribution<int> shape(0, 7);
    // Prefixes that steer random input into the deeper paths: a deliver with and without a
    // header (and with a concatenation element), a status report.
    const std::string prefixes[] = {"",
                                    "0004",
                                    "0044",
                                    "000600",
                                    "00440B91214365870900",
                                    "004402912100F6503021010203000A050003"};
    int delivered = 0;
    for (int i = 0; i < 6000; ++i) {
        const std::string& prefix = prefixes[static_cast<std::size_t>(i) % std::size(prefixes)];
        std::string input = prefix + RandomHex(rng, length(rng));
        const int kind = shape(rng);
        if (kind == 0)
            input.push_back('\r');
        else if (kind == 1 && !input.empty())
            input[input.size() / 2] = 'a';
        if (Decode(input).kind != kPduKindPass)
            ++delivered;
        if (testing::Test::HasFailure())
            FAIL() << "input " << input;
        if (i % 500 == 0)
            ExpectWellNamedParts(folder_);
    }
    ExpectWellNamedParts(folder_);
    EXPECT_GT(delivered, 100) << "random input must also reach the decoding paths";
}

TEST_F(PduRobustnessTest, TruncatedAndDamagedValidPdus) {
    std::vector<std::string> valid = {
        "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37",
        Octets("0006000B910221815716F27090215101218070902151017180 00"),
        SevenBitPart("050003610101", "Hello there, part one"),
        SevenBitPart("060804ABCD0101", "all of it"),
        DeliverPdu({"00", true, "0BD0CE745B2C0F03", 0, 0xF5, "05-03-12 10:20:30", 9,
                    "06050423F400004142"}),
        DeliverPdu({"00", false, "0B912143658709F1", 0, 0x08, "05-03-12 10:20:30", 4, "00480069"}),
    };
    std::mt19937 rng(1079514341);
    for (const std::string& pdu : valid) {
        EXPECT_NE(Decode(pdu).kind, kPduKindPass) << pdu;
        for (std::size_t cut = 0; cut < pdu.size(); ++cut) {
            Decode(std::string_view(pdu).substr(0, cut));
            Decode(std::string_view(pdu).substr(cut));
        }
        std::uniform_int_distribution<std::size_t> at(0, pdu.size() - 1);
        std::uniform_int_distribution<int> digit(0, 15);
        for (int round = 0; round < 500; ++round) {
            std::string damaged = pdu;
            for (int k = 0; k < 3; ++k)
                damaged[at(rng)] = "0123456789ABCDEF"[digit(rng)];
            Decode(damaged);
        }
        if (testing::Test::HasFailure())
            FAIL() << "from " << pdu;
    }
    ExpectWellNamedParts(folder_);
}

TEST_F(PduRobustnessTest, EncodingOddInputNeverFaults) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 400);
    const std::string markers[] = {"",      "_UCS2_",      "_CLASS",       "_CLASS1_", "_B64_",
                                   "_PDU_", "BEGIN:VCARD", "_UCS2__CLASS", "\\0x"};
    TsmsPduCodec codec(references_, folder_.Options());
    for (int i = 0; i < 2000; ++i) {
        std::string text = markers[static_cast<std::size_t>(i) % std::size(markers)];
        for (std::size_t n = length(rng); n > 0; --n)
            text.push_back(static_cast<char>(byte(rng)));
        const int parts = 1 + i % 3;
        const PduSubmit submit = codec.EncodeSubmit("+123", "+456", text, parts, 1 + i % 4, i % 2);
        // Text after these markers is hexadecimal the caller vouches for; any other text
        // gives a well-formed PDU or none.
        const bool callerHex =
            text.starts_with("_PDU_") || text.starts_with("_UCS2_") || text.starts_with("_B64_");
        if (!callerHex && !submit.pdu.empty()) {
            EXPECT_TRUE(pdu::IsUpperHex(submit.pdu)) << text;
            EXPECT_EQ(submit.pdu.size() % 2, 0u) << text;
            EXPECT_EQ(submit.tpduLength * 2 + 2, static_cast<int>(submit.pdu.size())) << text;
        }
        codec.Unpack7Bit(text, static_cast<int>(text.size()), i % 2 == 0);
    }
}

}  // namespace
}  // namespace nimbra
