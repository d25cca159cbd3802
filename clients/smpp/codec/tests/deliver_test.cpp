// Reading deliver_sm bodies: addresses, the short message and delivery receipts.
#include <gtest/gtest.h>

#include "pducoder_septets.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {
namespace {

using pdu::HexOfBytes;

std::string Octet(int value) {
    std::string hex;
    pdu::AppendHexOctet(hex, static_cast<unsigned>(value));
    return hex;
}

// A deliver_sm body as a message centre sends it; `message` goes as it is (no terminator).
std::string Body(int sourceTon, const std::string& source, int destTon, const std::string& dest,
                 const std::string& message, int dataCoding = 0) {
    return "00" + Octet(sourceTon) + "01" + HexOfBytes(source) + "00" + Octet(destTon) + "01" +
           HexOfBytes(dest) + "00" + "000000" + "00" + "00" + "0000" + Octet(dataCoding) + "00" +
           Octet(static_cast<int>(message.size())) + HexOfBytes(message);
}

TEST(SmppDeliver, AddressesByTypeOfNumber) {
    const struct {
        int sourceTon;
        const char* source;
        int destTon;
        const char* expectedSender;
        const char* expectedReceiver;
    } cases[] = {
        {1, "3620111", 1, "+3620111", "+3630"},
        {0, "3620111", 2, "3620111", "3630"},
        {5, "Nimbra", 0, "Nimbra", "3630"},
    };
    for (const auto& c : cases) {
        const DeliverSm d = ReadDeliverSm(Body(c.sourceTon, c.source, c.destTon, "3630", "Hello"));
        EXPECT_EQ(d.sender, c.expectedSender);
        EXPECT_EQ(d.receiver, c.expectedReceiver);
        EXPECT_EQ(d.text, "Hello");
        EXPECT_FALSE(d.receipt);
    }
}

TEST(SmppDeliver, ReceiptRecognition) {
    const struct {
        const char* text;
        bool receipt;
        const char* reference;
    } cases[] = {
        {"id:ABC123 sub:001 dlvrd:001 stat:DELIVRD", true, "ABC123"},
        {"id:X dlvrd:1", true, "X"},
        {"id:X stat:DELIVRD", false, ""},
        {"Your id:X dlvrd:1", false, ""},
        {"ID:X dlvrd:1", false, ""},
    };
    for (const auto& c : cases) {
        const DeliverSm d = ReadDeliverSm(Body(1, "3630", 1, "3620", c.text));
        EXPECT_EQ(d.receipt, c.receipt) << c.text;
        EXPECT_EQ(d.reference, c.reference) << c.text;
        EXPECT_EQ(d.text, c.text);
    }
}

TEST(SmppDeliver, ShortMessageByItsLength) {
    // Optional parameters behind the message are not part of the text.
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", "Hi") + "0204000201").text, "Hi");
    // A terminator counted in sm_length is dropped.
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", std::string("Hi\0", 3))).text, "Hi");
    // UCS2 text keeps its octets, zero bytes and all.
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", std::string("\0H\0i", 4), 8)).text,
              "_UCS2_00480069");
    // sm_length 0: the text travels in message_payload, among other optional parameters.
    EXPECT_EQ(
        ReadDeliverSm(Body(1, "1", 1, "2", "") + "020400020001" + "04240003" + HexOfBytes("Hey"))
            .text,
        "Hey");
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", "") + "02040002").text, "");
    // A length the body cannot hold: the text runs to its first zero byte or the end.
    std::string body = Body(1, "1", 1, "2", "Hello");
    body.resize(body.size() - 4);
    EXPECT_EQ(ReadDeliverSm(body).text, "Hel");
}

TEST(SmppDeliver, ShortOrUnterminatedBodies) {
    EXPECT_EQ(ReadDeliverSm("").sender, "");
    // The source address without terminator runs to the end; later fields are empty.
    const DeliverSm d = ReadDeliverSm(
        "00"
        "01"
        "01" +
        HexOfBytes("3620"));
    EXPECT_EQ(d.sender, "+3620");
    EXPECT_EQ(d.receiver, "");
    EXPECT_EQ(d.text, "");
    EXPECT_FALSE(d.receipt);
}

}  // namespace
}  // namespace nimbra::smpp
