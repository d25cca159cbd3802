// submit_sm bodies: addresses, flags, the prepared user data and the refusals.
#include <gtest/gtest.h>

#include "pducoder_septets.h"
#include "unDate.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {
namespace {

// 2026-12-09 17:30:45 local; six days ahead is 2026-12-15.
long long Noon() {
    TDateTime t = 0;
    EXPECT_TRUE(TryEncodeDateTime({2026, 12, 9, 17, 30, 45, 0}, t));
    return DateTimeToEpoch(t);
}

const std::string kValidity = pdu::HexOfBytes("261215173045032+") + "00";

// The fields of a submit body in order, for readable comparisons.
struct Submit {
    std::string addresses;  // source ton npi addr, dest ton npi addr (hex)
    std::string esmClass, pid, validity, registered, dcs, length, message, tail;
};

Submit Split(const std::string& body) {
    // service_type is the first pair; the addresses run up to the second terminator.
    std::size_t pos = 2;
    auto cstring = [&](std::size_t from) {
        std::size_t end = from;
        while (body.substr(end, 2) != "00")
            end += 2;
        return end + 2;
    };
    std::size_t end = cstring(pos + 4);
    end = cstring(end + 4);
    Submit s;
    s.addresses = body.substr(pos, end - pos);
    pos = end;
    s.esmClass = body.substr(pos, 2);
    s.pid = body.substr(pos + 2, 2);
    pos += 6;  // esm_class, protocol_id, priority_flag
    pos += 2;  // schedule_delivery_time
    end = cstring(pos);
    s.validity = body.substr(pos, end - pos);
    pos = end;
    s.registered = body.substr(pos, 2);
    s.dcs = body.substr(pos + 4, 2);
    s.length = body.substr(pos + 8, 2);
    const std::size_t octets = std::stoul(s.length, nullptr, 16);
    s.message = body.substr(pos + 10, octets * 2);
    s.tail = body.substr(pos + 10 + octets * 2);
    return s;
}

TEST(SmppSubmit, TypeOfNumberByFirstCharacter) {
    const struct {
        const char* sender;
        const char* receiver;
        const char* addresses;
    } cases[] = {
        {"+3620", "3630",
         "0101"
         "33363230"
         "00"
         "0001"
         "33363330"
         "00"},
        {"3620", "+3630",
         "0001"
         "33363230"
         "00"
         "0101"
         "33363330"
         "00"},
        {"Nimbra", "+3630",
         "0201"
         "4E696D627261"
         "00"
         "0101"
         "33363330"
         "00"},
        {"", "#12",
         "0001"
         "00"
         "0201"
         "233132"
         "00"},
    };
    for (const auto& c : cases) {
        const SubmitBody body = BuildSubmitBody(c.sender, c.receiver, "x", false, Noon());
        ASSERT_TRUE(body.error.empty());
        EXPECT_EQ(body.hex.substr(0, 2), "00");  // service_type
        EXPECT_EQ(Split(body.hex).addresses, c.addresses) << c.sender << " " << c.receiver;
    }
}

TEST(SmppSubmit, PlainTextWithAndWithoutDeliveryReport) {
    for (bool report : {false, true}) {
        const Submit s = Split(BuildSubmitBody("+3620", "+3630", "Hi @ 5", report, Noon()).hex);
        EXPECT_EQ(s.esmClass, report ? "08" : "00");
        EXPECT_EQ(s.registered, report ? "01" : "00");
        EXPECT_EQ(s.pid, "00");
        EXPECT_EQ(s.dcs, "00");
        EXPECT_EQ(s.validity, kValidity);
        EXPECT_EQ(s.length, "06");
        EXPECT_EQ(s.message, pdu::HexOfBytes("Hi @ 5"));
        EXPECT_EQ(s.tail, "0005000102");
    }
}

TEST(SmppSubmit, EncodedUserData) {
    const struct {
        const char* text;
        const char* esmClass;
        const char* dcs;
        const char* length;
        const char* message;
    } cases[] = {
        // Already hexadecimal: written unchanged, counted in octets.
        {"_UCS2_00480069", "00", "08", "04", "00480069"},
        {"_UCS2__CLASS1_00480069", "00", "19", "04", "00480069"},
        {"_UCS2_00e9", "00", "08", "02", "00E9"},
        // Octet data goes behind its header, with the header indicator.
        {"BEGIN:VCARD", "40", "F5", "12", "06050423F40000424547494E3A5643415244"},
        {"_B64_0102", "00", "F7", "02", "0102"},
    };
    for (const auto& c : cases) {
        const Submit s = Split(BuildSubmitBody("+3620", "+3630", c.text, false, Noon()).hex);
        EXPECT_EQ(s.esmClass, c.esmClass) << c.text;
        EXPECT_EQ(s.dcs, c.dcs) << c.text;
        EXPECT_EQ(s.length, c.length) << c.text;
        EXPECT_EQ(s.message, c.message) << c.text;
        EXPECT_EQ(s.tail, "0005000102") << c.text;
    }
}

// Data that is not hexadecimal would make the PDU shorter than its length says.
TEST(SmppSubmit, DataThatIsNotHexadecimalIsRefused) {
    for (const char* text : {"_UCS2_0048006", "_UCS2_00G8", "_B64_SGVsbG8="}) {
        const SubmitBody body = BuildSubmitBody("+3620", "+3630", text, false, Noon());
        EXPECT_TRUE(body.hex.empty()) << text;
        EXPECT_NE(body.error.find("not hexadecimal"), std::string::npos) << text;
    }
}

TEST(SmppSubmit, LongestTextFitsOneMoreIsRefused) {
    const std::string longest(255, 'a');
    const SubmitBody fits = BuildSubmitBody("+3620", "+3630", longest, false, Noon());
    ASSERT_TRUE(fits.error.empty());
    EXPECT_EQ(Split(fits.hex).length, "FF");
    EXPECT_EQ(Split(fits.hex).message, pdu::HexOfBytes(longest));

    const SubmitBody refused = BuildSubmitBody("+3620", "+3630", longest + "a", false, Noon());
    EXPECT_TRUE(refused.hex.empty());
    EXPECT_NE(refused.error.find("256 octets"), std::string::npos) << refused.error;
}

}  // namespace
}  // namespace nimbra::smpp
