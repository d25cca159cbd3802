// Hostile input for the record parser and the length routines: random bytes, cut-off records
// and very large records. Besides not faulting (the sanitizer build watches for that), every
// parsed record must survive its own text form, and a cut-off record may only lose bytes.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "unDate.h"
#include "unGSMSMS.h"

namespace nimbra {
namespace {

constexpr TDateTime kFirstNow = 38063.5;  // 2004-03-17 12:00
constexpr TDateTime kSecondNow = 45000.25;

// Bytes with a strong bias towards the ones the format gives a meaning to.
std::string RandomRecordBytes(std::mt19937& rng, std::size_t maxLength) {
    static constexpr char kSpecial[] = {'{', '}', '\\', '\0', '\r', '\n'};
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(length(rng), ' ');
    for (char& c : s) {
        const int kind = pick(rng);
        if (kind < 4) {
            c = kSpecial[static_cast<std::size_t>(byte(rng)) % sizeof kSpecial];
        } else {
            c = static_cast<char>(byte(rng));
        }
    }
    return s;
}

bool HasFormatBytes(const std::string& s) {
    return s.find_first_of("{}\\") != std::string::npos;
}

// Checks the invariants of a parsed record and of the length routines on its text.
void CheckParsed(const TGsmSms& r) {
    EXPECT_EQ(r.text.find('\0'), std::string::npos);
    EXPECT_FALSE(r.sentTime.empty());
    EXPECT_FALSE(r.receivedTime.empty());
    EXPECT_FALSE(r.created.empty());

    // The type is written raw, so only a plain type can come back unchanged.
    if (!HasFormatBytes(r.type)) {
        TGsmSms again(kSecondNow);
        again.FromText(r.ToText());
        EXPECT_EQ(again, r);
    }

    const int parts = PartCount(r.text);
    EXPECT_GE(parts, 1);
    // The parts, put back together, are the text again (the cut counts plain characters).
    const bool unicode = r.text.starts_with("_UCS2_");
    std::string joined = unicode ? "_UCS2_" : "";
    for (int n = 1;; ++n) {
        std::string part = PartText(r.text, n);
        if (unicode)
            part.erase(0, 6);
        if (part.empty())
            break;
        joined += part;
        ASSERT_LE(n, static_cast<int>(r.text.size()));
    }
    EXPECT_EQ(joined, r.text);
}

TEST(GsmSmsRobustness, RandomBytesParse) {
    std::mt19937 rng(20040317);
    for (int i = 0; i < 4000; ++i) {
        // Half the inputs open with a plain type tag so that the round trip is checked often.
        const std::string input = (i % 2 ? "" : "{GSMSMS}") + RandomRecordBytes(rng, 200);
        TGsmSms r(kFirstNow);
        r.FromText(input);
        CheckParsed(r);
        if (testing::Test::HasFailure())
            FAIL() << "input " << i << ": " << testing::PrintToString(input);
    }
}

TEST(GsmSmsRobustness, CutOffRecordOnlyLosesBytes) {
    std::mt19937 rng(1079514341);
    for (int round = 0; round < 200; ++round) {
        TGsmSms full(kFirstNow);
        for (std::size_t f = 1; f < kGsmSmsFields.size(); ++f)
            full.*kGsmSmsFields[f] = RandomRecordBytes(rng, 12);
        std::erase(full.text, '\0');
        const std::string text = full.ToText();
        const TGsmSms defaults(kSecondNow);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            TGsmSms r(kSecondNow);
            r.FromText(std::string_view(text).substr(0, cut));
            for (std::size_t f = 0; f < kGsmSmsFields.size(); ++f) {
                const std::string& got = r.*kGsmSmsFields[f];
                const std::string& whole = full.*kGsmSmsFields[f];
                const bool keptDefault = f >= 9 && f <= 11 && got == defaults.*kGsmSmsFields[f];
                EXPECT_TRUE(keptDefault || whole.starts_with(got))
                    << "cut " << cut << " field " << f + 1 << " got "
                    << testing::PrintToString(got);
            }
            if (testing::Test::HasFailure())
                return;
        }
    }
}

TEST(GsmSmsRobustness, OversizedRecords) {
    constexpr std::size_t kMegabyte = 1 << 20;
    std::mt19937 rng(7);

    TGsmSms big(kFirstNow);
    big.text = std::string(kMegabyte, '{') + "x}";
    big.extra = std::string(kMegabyte, '\\');
    big.status = RandomRecordBytes(rng, kMegabyte);
    TGsmSms parsed(kSecondNow);
    parsed.FromText(big.ToText());
    EXPECT_TRUE(parsed == big);

    for (const std::string& input :
         {std::string(kMegabyte, '{'), std::string(kMegabyte, '}'), std::string(kMegabyte, '\\'),
          std::string(kMegabyte, '\0'), "{GSMSMS}{" + std::string(kMegabyte, 'x'),
          RandomRecordBytes(rng, kMegabyte)}) {
        TGsmSms r(kFirstNow);
        r.FromText(input);
        CheckParsed(r);
    }
}

}  // namespace
}  // namespace nimbra
