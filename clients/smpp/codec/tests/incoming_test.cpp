// Incoming short messages: their octets read by data_coding, parts of concatenated messages,
// and delivery receipts with their outcome.
#include <gtest/gtest.h>

#include "pducoder_septets.h"
#include "smppincoming.h"
#include "smpptext.h"

namespace nimbra::smpp {
namespace {

using namespace std::string_literals;

TEST(SmppIncomingText, ReadByDataCoding) {
    const struct {
        const char* name;
        std::string octets;
        int dataCoding;
        Alphabet alphabet;
        std::string text;
    } cases[] = {
        {"GSM letters", "\x00\x20\x01\x20\x05\x20\x7B"s, 0, Alphabet::Gsm, "@ \xA3 \xE9 \xE4"},
        {"GSM extension", "\x1B\x65\x1B\x3C"s, 0, Alphabet::Gsm, "\x80["},
        {"GSM Greek", "\x10\x12"s, 0, Alphabet::Gsm, "_UCS2_039403A6"},
        {"GSM line break", "a\nb"s, 0, Alphabet::Gsm, "a\\0x0Ab"},
        {"GSM with a class", "\x00"s, 0xF1, Alphabet::Latin1, "@"},
        {"default read as Latin-1", "\xE9\x40"s, 0, Alphabet::Latin1, "\xE9@"},
        {"default as code-page bytes", "\xE9\x80\n"s, 0, Alphabet::CodePage, "\xE9\x80\n"},
        {"IA5", "Hi@"s, 1, Alphabet::Gsm, "Hi@"},
        {"Latin-1", "\xE9\xA4"s, 3, Alphabet::Gsm, "\xE9\xA4"},
        {"UCS2 the code page holds", "\x00\xE9\x20\xAC"s, 8, Alphabet::Gsm, "\xE9\x80"},
        {"UCS2 Cyrillic", "\x04\x1F\x04\x40"s, 8, Alphabet::Gsm, "_UCS2_041F0440"},
        {"UCS2 emoji", "\xD8\x3D\xDE\x00"s, 8, Alphabet::Gsm, "_UCS2_D83DDE00"},
        {"UCS2 with a class", "\x00\x41"s, 0x18, Alphabet::Gsm, "A"},
        {"UCS2 odd octet dropped", "\x00\x41\x00"s, 8, Alphabet::Gsm, "A"},
        {"octets", "\x01\x02"s, 4, Alphabet::Gsm, "_B64_0102"},
        {"octets unspecified", "\x01"s, 2, Alphabet::Gsm, "_B64_01"},
        {"8-bit class 1", "\xFF"s, 0xF5, Alphabet::Gsm, "_B64_FF"},
        {"8-bit class 3", "\x00"s, 0xF7, Alphabet::Gsm, "_B64_00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeText(c.octets, c.dataCoding, c.alphabet), c.text) << c.name;
}

TEST(SmppIncomingText, RecordTextOfUnicode) {
    EXPECT_EQ(RecordText(u"caf\u00E9 \u20AC?"), "caf\xE9 \x80?");
    EXPECT_EQ(RecordText(u"\u0151"), "_UCS2_0151");
    EXPECT_EQ(RecordText(u"a\r\nb"), "a\\0x0D\\0x0Ab");
}

DeliverSm Deliver(std::string message, int esmClass) {
    DeliverSm deliver;
    deliver.message = std::move(message);
    deliver.esmClass = esmClass;
    return deliver;
}

TEST(SmppIncomingParts, HeaderOrSarParameters) {
    DeliverSm sar = Deliver("tail", 0);
    sar.sarReference = 0xBEEF;
    sar.sarTotal = 2;
    sar.sarIndex = 2;
    DeliverSm sarWithHeader = Deliver(
        "\x05\x00\x03\x61\x02\x01"
        "abc"s,
        0x40);
    sarWithHeader.sarReference = 1;
    sarWithHeader.sarTotal = 3;
    sarWithHeader.sarIndex = 3;
    const struct {
        const char* name;
        DeliverSm deliver;
        std::string octets;
        std::string stem;  // empty: a whole message
        int total;
        int index;
    } cases[] = {
        {"8-bit reference",
         Deliver("\x05\x00\x03\x61\x02\x01"
                 "abc"s,
                 0x40),
         "abc",
         "smpp000361"
         "02-",
         2, 1},
        {"16-bit reference",
         Deliver("\x06\x08\x04\x12\x34\x03\x03"
                 "z"s,
                 0x40),
         "z",
         "smpp08041234"
         "03-",
         3, 3},
        {"after another element",
         Deliver("\x0B\x05\x04\x23\xF4\x00\x00\x00\x03\x07\x02\x02"
                 "v"s,
                 0x40),
         "v",
         "smpp000307"
         "02-",
         2, 2},
        {"header without concatenation",
         Deliver("\x06\x05\x04\x23\xF4\x00\x00"
                 "card"s,
                 0x40),
         "card", "", 0, 0},
        {"header indicator off",
         Deliver("\x05\x00\x03\x61\x02\x01"
                 "abc"s,
                 0),
         "\x05\x00\x03\x61\x02\x01"
         "abc"s,
         "", 0, 0},
        {"part 1 of 1",
         Deliver("\x05\x00\x03\x61\x01\x01"
                 "one"s,
                 0x40),
         "one", "", 0, 0},
        {"part 0",
         Deliver("\x05\x00\x03\x61\x02\x00"
                 "x"s,
                 0x40),
         "x", "", 0, 0},
        {"part beyond its count",
         Deliver("\x05\x00\x03\x61\x02\x03"
                 "x"s,
                 0x40),
         "x", "", 0, 0},
        {"header longer than the message", Deliver("\x09\x00\x03\x61"s, 0x40), "\x09\x00\x03\x61"s,
         "", 0, 0},
        {"sar parameters", sar, "tail",
         "smppsarBEEF"
         "02-",
         2, 2},
        {"the header goes first", sarWithHeader, "abc",
         "smpp000361"
         "02-",
         2, 1},
    };
    for (const auto& c : cases) {
        const UserData data = SplitUserData(c.deliver);
        EXPECT_EQ(data.octets, c.octets) << c.name;
        ASSERT_EQ(data.part.has_value(), !c.stem.empty()) << c.name;
        if (data.part) {
            EXPECT_EQ(data.part->stem, c.stem) << c.name;
            EXPECT_EQ(data.part->total, c.total) << c.name;
            EXPECT_EQ(data.part->index, c.index) << c.name;
        }
    }
}

TEST(SmppIncomingReceipts, TypeIdStateAndOutcome) {
    DeliverSm withParameters = Deliver({}, 0x04);
    withParameters.receiptedId = "0A1B";
    withParameters.messageState = 5;
    DeliverSm stateOverText = Deliver({}, 0x04);
    stateOverText.messageState = 2;
    const struct {
        const char* name;
        DeliverSm deliver;
        std::string text;
        bool receipt;
        std::string id;
        std::string state;
        bool final;
        std::string status;
    } cases[] = {
        {"delivered", Deliver({}, 0x04), "id:ABC123 sub:001 dlvrd:001 stat:DELIVRD err:000", true,
         "ABC123", "DELIVRD", true, "0"},
        {"undeliverable", Deliver({}, 0x04), "id:X sub:001 dlvrd:000 stat:UNDELIV err:001", true,
         "X", "UNDELIV", true, "UNDELIV"},
        {"parameters before text", withParameters, "id:OTHER stat:DELIVRD", true, "0A1B", "UNDELIV",
         true, "UNDELIV"},
        {"message_state over stat:", stateOverText, "id:Y stat:EXPIRED", true, "Y", "DELIVRD", true,
         "0"},
        {"expired", Deliver({}, 0x04), "id:Z stat:EXPIRED", true, "Z", "EXPIRED", true, "EXPIRED"},
        {"accepted is not final", Deliver({}, 0x04), "id:Z stat:ACCEPTD", true, "Z", "ACCEPTD",
         false, "ACCEPTD"},
        {"en route is not final", Deliver({}, 0x04), "id:Z stat:ENROUTE", true, "Z", "ENROUTE",
         false, "ENROUTE"},
        {"intermediate notification", Deliver({}, 0x20), "id:Z stat:DELIVRD", true, "Z", "DELIVRD",
         false, "0"},
        {"receipt without a state", Deliver({}, 0x04), "id:Q", true, "Q", "", true, ""},
        {"text fallback", Deliver({}, 0x00), "id:ABC123 sub:001 dlvrd:001 stat:DELIVRD", true,
         "ABC123", "DELIVRD", true, "0"},
        {"text fallback any case", Deliver({}, 0x00), "ID:abc Stat:undeliv", true, "abc", "UNDELIV",
         true, "UNDELIV"},
        {"text fallback, designed form", Deliver({}, 0x00), "id:X dlvrd:1", true, "X", "", true,
         ""},
        {"ordinary message", Deliver({}, 0x00), "id: see you at 5", false, "", "", true, ""},
        {"id: not at the start", Deliver({}, 0x00), "Your id:X stat:DELIVRD", false, "", "", true,
         ""},
        {"acknowledgement from the recipient", Deliver({}, 0x08), "id:X stat:DELIVRD", false, "",
         "", true, ""},
        {"header indicator with a receipt type", Deliver({}, 0x44), "id:R stat:DELIVRD", true, "R",
         "DELIVRD", true, "0"},
    };
    for (const auto& c : cases) {
        const std::optional<Receipt> receipt = ReadReceipt(c.deliver, c.text);
        ASSERT_EQ(receipt.has_value(), c.receipt) << c.name;
        if (!receipt)
            continue;
        EXPECT_EQ(receipt->id, c.id) << c.name;
        EXPECT_EQ(receipt->state, c.state) << c.name;
        EXPECT_EQ(receipt->final, c.final) << c.name;
        EXPECT_EQ(receipt->Status(), c.status) << c.name;
    }
}

}  // namespace
}  // namespace nimbra::smpp
