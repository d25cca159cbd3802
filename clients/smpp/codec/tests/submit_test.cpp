// submit_sm bodies: addresses, flags, text codings, long messages and the refusals.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "pducoder_septets.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {
namespace {

using pdu::HexOfBytes;

std::string Repeat(std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The fields of a submit body, as hex, for readable comparisons.
struct Submit {
    std::string source, destination;  // ton, npi, address
    std::string esmClass, validity, registered, dataCoding, length, message;
    std::map<std::string, std::string> parameters;  // tag -> value
};

Submit Split(std::string_view body) {
    std::size_t pos = 2;  // service_type
    auto cstring = [&] {
        std::size_t end = pos;
        while (body.substr(end, 2) != "00")
            end += 2;
        const std::string field(body.substr(pos, end + 2 - pos));
        pos = end + 2;
        return field;
    };
    auto octets = [&](std::size_t count) {
        const std::string field(body.substr(pos, count * 2));
        pos += count * 2;
        return field;
    };
    Submit s;
    s.source = octets(2);
    s.source += cstring();
    s.destination = octets(2);
    s.destination += cstring();
    s.esmClass = octets(1);
    octets(2);  // protocol_id, priority_flag
    cstring();  // schedule_delivery_time
    s.validity = cstring();
    s.registered = octets(1);
    octets(1);  // replace_if_present_flag
    s.dataCoding = octets(1);
    octets(1);  // sm_default_msg_id
    s.length = octets(1);
    s.message = octets(std::stoul(s.length, nullptr, 16));
    while (pos < body.size()) {
        const std::string tag = octets(2);
        const std::size_t length = std::stoul(octets(2), nullptr, 16);
        s.parameters[tag] = octets(length);
    }
    return s;
}

Submit One(std::string_view text, const SubmitOptions& options = {}) {
    const Submits submits = BuildSubmits("+3620111", "+3650444", text, options, 0x1234);
    EXPECT_TRUE(submits.error.empty()) << submits.error;
    EXPECT_EQ(submits.bodies.size(), 1u) << text;
    return submits.bodies.empty() ? Submit{} : Split(submits.bodies[0]);
}

TEST(SmppSubmit, WholePduWithReceiptRequested) {
    SubmitOptions options;
    options.deliveryReport = true;
    const Submits submits = BuildSubmits("+3620111", "+3650444", "Hi", options, 1);
    ASSERT_EQ(submits.bodies.size(), 1u);
    // No validity period, no dest_addr_subunit; registered_delivery 1 with esm_class 0.
    EXPECT_EQ(BuildPdu(kSubmitSm, 1, submits.bodies[0]),
              "00000031"
              "00000004"
              "00000000"
              "00000001"
              "00"
              "0101"
              "3336323031313100"
              "0101"
              "3336353034343400"
              "00"
              "00"
              "00"
              "00"
              "00"
              "01"
              "00"
              "00"
              "00"
              "02"
              "4869");
    EXPECT_EQ(Split(BuildSubmits("+3620111", "+3650444", "Hi", {}, 1).bodies[0]).registered, "00");
}

TEST(SmppSubmit, AddressesTypedByTheirForm) {
    const struct {
        const char* address;
        const char* typed;  // ton, npi, address with terminator
    } cases[] = {
        {"+3620111",
         "0101"
         "3336323031313100"},
        {"Nimbra",
         "0500"
         "4E696D62726100"},
        {"NimbraShop1",
         "0500"
         "4E696D62726153686F703100"},
        {"#12",
         "0500"
         "23313200"},
        {"+36 20",
         "0500"
         "2B3336203230"
         "00"},
        {"123",
         "0300"
         "31323300"},
        {"12345678",
         "0300"
         "313233343536373800"},
        {"12",
         "0001"
         "313200"},
        {"123456789",
         "0001"
         "31323334353637383900"},
        {"",
         "0001"
         "00"},
    };
    for (const auto& c : cases) {
        const Submits submits = BuildSubmits(c.address, c.address, "x", {}, 1);
        ASSERT_EQ(submits.bodies.size(), 1u) << c.address << submits.error;
        const Submit s = Split(submits.bodies[0]);
        EXPECT_EQ(s.source, c.typed) << c.address;
        EXPECT_EQ(s.destination, c.typed) << c.address;
    }
}

TEST(SmppSubmit, AnAlphanumericSenderOfMoreThanElevenCharactersIsRefused) {
    const Submits refused = BuildSubmits("NimbraShop12", "+3650444", "x", {}, 1);
    EXPECT_TRUE(refused.bodies.empty());
    EXPECT_EQ(refused.error, "Sender NimbraShop12 is longer than 11 characters");
    // As a destination it is only typed.
    EXPECT_EQ(BuildSubmits("+3620", "NimbraShop12", "x", {}, 1).bodies.size(), 1u);
}

TEST(SmppSubmit, TonAndNpiFromTheSettings) {
    SubmitOptions options;
    options.sourceTon = 2;
    options.sourceNpi = 9;
    options.destNpi = 0;
    const Submit s = One("x", options);
    EXPECT_EQ(s.source,
              "0209"
              "3336323031313100");
    EXPECT_EQ(s.destination,
              "0100"
              "3336353034343400");
}

TEST(SmppSubmit, RelativeValidityOnlyWhenSet) {
    const struct {
        int minutes;
        const char* validity;
    } cases[] = {
        {0, "00"},
        {90,
         "30303030303030313330303030303052"
         "00"},  // 000000013000000R
        {2 * 1440 + 5,
         "30303030303230303035303030303052"
         "00"},
        {1000 * 1440,
         "30303030393932333539303030303052"
         "00"},  // at most 99 days
    };
    for (const auto& c : cases) {
        SubmitOptions options;
        options.validityMinutes = c.minutes;
        EXPECT_EQ(One("x", options).validity, c.validity) << c.minutes;
    }
    EXPECT_EQ(RelativeValidity(90), "000000013000000R");
}

TEST(SmppSubmit, TextCodings) {
    const struct {
        const char* name;
        std::string text;
        Alphabet alphabet;
        const char* dataCoding;
        std::string message;
    } cases[] = {
        {"GSM letters", "@ \xA3 \xE9 \xE4", Alphabet::Gsm, "00", "0020012005207B"},
        {"GSM extension characters", "[\x80]", Alphabet::Gsm, "00", "1B3C1B651B3E"},
        {"line break escapes", "a\\0x0Ab", Alphabet::Gsm, "00", "610A62"},
        {"outside GSM goes as UCS2", "\xF5\x8A", Alphabet::Gsm, "08", "00F50160"},
        {"Latin-1", "\xE9!", Alphabet::Latin1, "03", "E921"},
        {"outside Latin-1 goes as UCS2", "\xE9\x80", Alphabet::Latin1, "08", "00E920AC"},
        {"code page bytes", "\xE9\x80[\\0x0A", Alphabet::CodePage, "00", "E9805B5C30783041"},
        {"marked UCS2", "_UCS2_041F04400438", Alphabet::Gsm, "08", "041F04400438"},
        {"marked UCS2, lower case", "_UCS2_00e9", Alphabet::CodePage, "08", "00E9"},
        {"binary data", "_B64_0102ff", Alphabet::Gsm, "F7", "0102FF"},
    };
    for (const auto& c : cases) {
        SubmitOptions options;
        options.alphabet = c.alphabet;
        const Submit s = One(c.text, options);
        EXPECT_EQ(s.dataCoding, c.dataCoding) << c.name;
        EXPECT_EQ(s.message, c.message) << c.name;
        EXPECT_EQ(s.esmClass, "00") << c.name;
        EXPECT_TRUE(s.parameters.empty()) << c.name;
    }
}

TEST(SmppSubmit, MessageClassAsDestinationSubunit) {
    for (int messageClass = 0; messageClass <= 3; ++messageClass) {
        const std::string digit = std::to_string(messageClass);
        const Submit s = One("_CLASS" + digit + "_Hi");
        EXPECT_EQ(s.message, "4869");
        EXPECT_EQ(s.dataCoding, "00");
        EXPECT_EQ(
            s.parameters,
            (std::map<std::string, std::string>{{"0005", "0" + std::to_string(messageClass + 1)}}));
    }
    const Submit ucs2 = One("_UCS2__CLASS0_0416");
    EXPECT_EQ(ucs2.dataCoding, "08");
    EXPECT_EQ(ucs2.message, "0416");
    EXPECT_EQ(ucs2.parameters.at("0005"), "01");
}

TEST(SmppSubmit, BusinessCardGoesToItsPortBehindTheHeader) {
    const Submit s = One("BEGIN:VCARD");
    EXPECT_EQ(s.esmClass, "40");
    EXPECT_EQ(s.dataCoding, "F5");
    EXPECT_EQ(s.length, "12");
    EXPECT_EQ(s.message, "06050423F40000" + HexOfBytes("BEGIN:VCARD"));
}

// The parts of a long text as the header, sar_* or message_payload setting gives them.
TEST(SmppSubmit, LongTextInParts) {
    const std::string text = Repeat("a", 400);
    SubmitOptions options;
    const Submits header = BuildSubmits("+3620111", "+3650444", text, options, 0x1234);
    ASSERT_EQ(header.bodies.size(), 3u);
    const int sizes[] = {153, 153, 94};
    for (int i = 0; i < 3; ++i) {
        const Submit s = Split(header.bodies[static_cast<std::size_t>(i)]);
        EXPECT_EQ(s.esmClass, "40");
        EXPECT_EQ(s.dataCoding, "00");
        EXPECT_EQ(s.message, "0500033403" + std::string("0") + std::to_string(i + 1) +
                                 HexOfBytes(Repeat("a", sizes[i])));
        EXPECT_TRUE(s.parameters.empty());
    }

    options.longMessages = LongMessages::Sar;
    const Submits sar = BuildSubmits("+3620111", "+3650444", text, options, 0x1234);
    ASSERT_EQ(sar.bodies.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const Submit s = Split(sar.bodies[static_cast<std::size_t>(i)]);
        EXPECT_EQ(s.esmClass, "00");
        EXPECT_EQ(s.message, HexOfBytes(Repeat("a", sizes[i])));
        EXPECT_EQ(s.parameters,
                  (std::map<std::string, std::string>{
                      {"020C", "1234"}, {"020E", "03"}, {"020F", "0" + std::to_string(i + 1)}}));
    }

    options.longMessages = LongMessages::Payload;
    const Submit payload = One(text, options);
    EXPECT_EQ(payload.length, "00");
    EXPECT_EQ(payload.message, "");
    EXPECT_EQ(payload.esmClass, "00");
    EXPECT_EQ(payload.parameters, (std::map<std::string, std::string>{{"0424", HexOfBytes(text)}}));
    // What fits one short message goes as one with any setting.
    EXPECT_EQ(One(Repeat("a", 160), options).message, HexOfBytes(Repeat("a", 160)));
}

TEST(SmppSubmit, LongTextSplitsByItsCoding) {
    const struct {
        const char* name;
        std::string text;
        Alphabet alphabet;
        std::vector<std::size_t> octets;  // short_message octets of each part, header included
    } cases[] = {
        {"160 GSM characters fit one", Repeat("a", 160), Alphabet::Gsm, {160}},
        {"161 GSM characters", Repeat("a", 161), Alphabet::Gsm, {159, 14}},
        {"extension characters count two", Repeat("[", 81), Alphabet::Gsm, {158, 16}},
        {"Latin-1", Repeat("\xE9", 141), Alphabet::Latin1, {140, 13}},
        {"UCS2", "_UCS2_" + Repeat("0416", 71), Alphabet::Gsm, {140, 14}},
        {"UCS2 fallback", Repeat("\xF5", 100), Alphabet::Gsm, {140, 72}},
        {"code page bytes", Repeat("\xE9", 161), Alphabet::CodePage, {159, 14}},
    };
    for (const auto& c : cases) {
        SubmitOptions options;
        options.alphabet = c.alphabet;
        const Submits submits = BuildSubmits("+3620111", "+3650444", c.text, options, 0x77);
        std::vector<std::size_t> octets;
        for (const std::string& body : submits.bodies)
            octets.push_back(Split(body).message.size() / 2);
        EXPECT_EQ(octets, c.octets) << c.name;
    }
}

TEST(SmppSubmit, LongBusinessCardCarriesBothHeaderElements) {
    const std::string card = "BEGIN:VCARD" + Repeat("x", 200);
    const Submits submits = BuildSubmits("+3620111", "+3650444", card, {}, 0x0105);
    ASSERT_EQ(submits.bodies.size(), 2u);
    const Submit first = Split(submits.bodies[0]);
    const Submit second = Split(submits.bodies[1]);
    EXPECT_EQ(first.esmClass, "40");
    EXPECT_EQ(first.message,
              "0B0504"
              "23F40000"
              "0003050201" +
                  HexOfBytes(card.substr(0, 128)));
    EXPECT_EQ(second.message,
              "0B0504"
              "23F40000"
              "0003050202" +
                  HexOfBytes(card.substr(128)));
}

TEST(SmppSubmit, Refusals) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"_UCS2_0048006", "not hexadecimal"},
        {"_UCS2_004800", "not hexadecimal"},
        {"_UCS2_00G8", "not hexadecimal"},
        {"_B64_SGVsbG8=", "not hexadecimal"},
        {Repeat("a", 255 * 153 + 1), "more than 255 parts"},
    };
    for (const auto& c : cases) {
        const Submits submits = BuildSubmits("+3620", "+3630", c.text, {}, 1);
        EXPECT_TRUE(submits.bodies.empty()) << c.error;
        EXPECT_NE(submits.error.find(c.error), std::string::npos) << submits.error;
    }
    // Several thousand characters are neither refused nor cut.
    EXPECT_EQ(BuildSubmits("+3620", "+3630", Repeat("a", 5000), {}, 1).bodies.size(), 33u);
}

}  // namespace
}  // namespace nimbra::smpp
