// The modem's side of the PDUs, checked against the project's codec: submits the codec
// encodes are read back right, and the delivers and status reports the modem builds decode
// right.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec_reader.h"
#include "modem_fixture.h"
#include "modempdu.h"
#include "pducoder.h"
#include "unGSMSMS.h"

namespace modemsim {
namespace {

const LocalTime kStamp{test::FakeClock::StartSeconds(), 4};
const std::string kSmsc = "+36209000000";
// "hello" to +36301122334, no SMSC part.
const std::string kHello = "0001000B916303112233F4000005E8329BFD06";

struct SubmitCase {
    std::string receiver;
    std::string text;
    bool statusReport;
    std::string destination;
    std::string decoded;
    int dcs;
};

class DecodeSubmitTest : public ::testing::TestWithParam<SubmitCase> {};

TEST_P(DecodeSubmitTest, ReadsWhatTheCodecEncoded) {
    const SubmitCase& c = GetParam();
    nimbra::MemoryPduReferenceStore references;
    nimbra::PduCodecOptions options;
    options.includeSmsc = true;
    nimbra::TsmsPduCodec codec(references, options);
    nimbra::TGsmSms record;
    record.receiver = c.receiver;
    record.text = c.text;
    const nimbra::PduPart part = codec.EncodePart(record, 1, c.statusReport, kSmsc);

    std::string error;
    const std::optional<Submit> submit = DecodeSubmit(part.pdu, error);
    ASSERT_TRUE(submit) << error;
    EXPECT_EQ(submit->tpduLength, part.tpduLength);
    EXPECT_EQ(submit->destination, c.destination);
    EXPECT_EQ(submit->text, c.decoded);
    EXPECT_EQ(submit->statusReport, c.statusReport);
    EXPECT_EQ(submit->dcs, c.dcs);
    EXPECT_EQ(submit->partCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeSubmitTest,
    ::testing::Values(
        SubmitCase{"+36301234567", "Hello world", false, "+36301234567", "Hello world", 0},
        SubmitCase{"06301234567", "\xF6rg {x} \xE9", true, "06301234567", "\xF6rg {x} \xE9", 0},
        SubmitCase{"+3620", "_UCS2_04140430", false, "+3620", "_UCS2_04140430", 0x08},
        SubmitCase{"+3620", "_CLASS0_Hi", false, "+3620", "Hi", 0x10},
        SubmitCase{"+3620", "_B64_00FF", false, "+3620", "_B64_00FF", 0xF7}));

TEST(DecodeSubmitTest, ReadsEachPartOfAConcatenatedMessage) {
    nimbra::MemoryPduReferenceStore references;
    nimbra::TsmsPduCodec codec(references, nimbra::PduCodecOptions{});
    nimbra::TGsmSms record;
    record.receiver = "+36301234567";
    record.text = test::Letters(200);
    for (int n = 1; n <= 2; ++n) {
        const nimbra::PduPart part = codec.EncodePart(record, n, false, "");
        std::string error;
        const std::optional<Submit> submit = DecodeSubmit(part.pdu, error);
        ASSERT_TRUE(submit) << error;
        EXPECT_EQ(submit->partCount, 2);
        EXPECT_EQ(submit->partIndex, n);
        EXPECT_EQ(submit->text, nimbra::PartText(record.text, n));
    }
}

TEST(DecodeSubmitTest, TakesLowerCaseAndAValidityPeriod) {
    std::string error;
    std::string lower = kHello;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(c));
    const std::optional<Submit> fromLower = DecodeSubmit(lower, error);
    ASSERT_TRUE(fromLower) << error;
    EXPECT_EQ(fromLower->text, "hello");

    // TP-VPF relative: one more octet before TP-UDL.
    const std::optional<Submit> relative =
        DecodeSubmit("0011000B916303112233F40000AA05E8329BFD06", error);
    ASSERT_TRUE(relative) << error;
    EXPECT_EQ(relative->text, "hello");
    EXPECT_EQ(relative->tpduLength, 19);
}

struct BadSubmit {
    std::string pdu;
    std::string error;
};

class BadSubmitTest : public ::testing::TestWithParam<BadSubmit> {};

TEST_P(BadSubmitTest, IsRefusedWithItsReason) {
    std::string error;
    EXPECT_FALSE(DecodeSubmit(GetParam().pdu, error));
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Pdus, BadSubmitTest,
    ::testing::Values(BadSubmit{"", "hexadecimal"}, BadSubmit{kHello + "0", "hexadecimal"},
                      BadSubmit{"0001000B91630311223XF4000005E8329BFD06", "hexadecimal"},
                      BadSubmit{"07", "SMSC"},
                      BadSubmit{"0004000B916303112233F4000005E8329BFD06", "SMS-SUBMIT"},
                      BadSubmit{"0001000B91630311", "destination"},
                      BadSubmit{"0001000B916303112233F40000", "TP-UDL"},
                      BadSubmit{"0001000B916303112233F4000006E8329BFD06", "length TP-UDL"},
                      BadSubmit{"0001000B916303112233F4000005E8329BFD0600", "length TP-UDL"},
                      // A header announcing 8 octets in 4.
                      BadSubmit{"0041000B916303112233F40004040800AABB", "header"},
                      // Part 3 of 2.
                      BadSubmit{"0041000B916303112233F400040705000301020300", "part number"}));

TEST(TimeStampTest, WritesSemiOctetsAndTheZoneWithItsSign) {
    EXPECT_EQ(TimeStamp(kStamp), "50302101020340");
    EXPECT_EQ(TimeStamp({kStamp.seconds, -22}), "5030210102032A");
}

class DeliverTest : public ::testing::Test {
protected:
    nimbra::PduDecodeResult Decode(const StoredPdu& pdu) { return reader_.Decode(pdu.hex); }
    static int TpduOctets(const StoredPdu& pdu) {
        const auto smsc = static_cast<std::size_t>(std::stoi(pdu.hex.substr(0, 2), nullptr, 16));
        return static_cast<int>((pdu.hex.size() - 2 - 2 * smsc) / 2);
    }

    test::CodecReader reader_;
    nimbra::MemoryPduReferenceStore references_;
};

TEST_F(DeliverTest, DecodesToTheSenderTextAndTimeStamp) {
    struct Case {
        std::string from;
        std::string sender;
    };
    for (const Case& c : {Case{"+36201234567", "+36201234567"}, Case{"06201234567", "06201234567"},
                          Case{"Nimbra", "Nimbra"}}) {
        std::string error;
        const std::vector<DeliverPart> parts =
            DeliverPdus(kSmsc, c.from, "Hi [there] \xE9", kStamp, references_, error);
        ASSERT_EQ(parts.size(), 1u) << error;
        EXPECT_EQ(parts[0].pdu.tpduLength, TpduOctets(parts[0].pdu));
        const nimbra::PduDecodeResult decoded = Decode(parts[0].pdu);
        EXPECT_EQ(decoded.kind, nimbra::kTypeMessage) << c.from;
        EXPECT_EQ(decoded.sender, c.sender);
        EXPECT_EQ(decoded.text, "Hi [there] \xE9");
        EXPECT_EQ(decoded.timestamp, "2005-03-12 10:20:30");
    }
}

TEST_F(DeliverTest, ALongTextComesAsPartsThatJoinAgain) {
    const std::string text = test::Letters(200);
    std::string error;
    const std::vector<DeliverPart> parts =
        DeliverPdus(kSmsc, "+3620", text, kStamp, references_, error);
    ASSERT_EQ(parts.size(), 2u) << error;
    EXPECT_EQ(parts[0].text + parts[1].text, text);
    EXPECT_EQ(Decode(parts[0].pdu).kind, nimbra::kPduKindPass);  // waits for part 2
    const nimbra::PduDecodeResult whole = Decode(parts[1].pdu);
    EXPECT_EQ(whole.kind, nimbra::kTypeMessage);
    EXPECT_EQ(whole.text, text);
}

TEST_F(DeliverTest, APartThatDoesNotFitIsRefused) {
    // A part of a long text with many characters sent behind ESC is more than 160 septets.
    std::string error;
    EXPECT_TRUE(
        DeliverPdus(kSmsc, "+3620", std::string(200, '{'), kStamp, references_, error).empty());
    EXPECT_NE(error.find("does not fit"), std::string::npos);
}

TEST_F(DeliverTest, AStatusReportDecodesToItsReferenceAndTimes) {
    const LocalTime later{kStamp.seconds + 5, 4};
    const StoredPdu report = StatusReportPdu(kSmsc, {17, "+36301234567", kStamp, later, 0});
    EXPECT_EQ(report.tpduLength, TpduOctets(report));
    const nimbra::PduDecodeResult decoded = Decode(report);
    EXPECT_EQ(decoded.kind, nimbra::kTypeDeliveryReport);
    EXPECT_EQ(decoded.reference, "17");
    EXPECT_EQ(decoded.status, "0");
    EXPECT_EQ(decoded.sender, "+36301234567");
    EXPECT_EQ(decoded.timestamp, "2005-03-12 10:20:30");
    EXPECT_EQ(decoded.dischargeTime, "2005-03-12 10:20:35");

    const StoredPdu failed = StatusReportPdu("", {18, "+36301234567", kStamp, later, 48});
    EXPECT_EQ(failed.hex.substr(0, 2), "00");
    EXPECT_EQ(failed.hex.substr(failed.hex.size() - 2), "30");
}

}  // namespace
}  // namespace modemsim
