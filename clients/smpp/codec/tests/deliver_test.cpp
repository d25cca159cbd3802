// Reading deliver_sm and data_sm bodies: addresses, the message's octets and the optional
// parameters.
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
                 const std::string& message, int dataCoding = 0, int esmClass = 0) {
    return "00" + Octet(sourceTon) + "01" + HexOfBytes(source) + "00" + Octet(destTon) + "01" +
           HexOfBytes(dest) + "00" + Octet(esmClass) + "0000" + "00" + "00" + "0000" +
           Octet(dataCoding) + "00" + Octet(static_cast<int>(message.size())) + HexOfBytes(message);
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
        {5, "Nimbra", 3, "Nimbra", "3630"},
    };
    for (const auto& c : cases) {
        const DeliverSm d = ReadDeliverSm(Body(c.sourceTon, c.source, c.destTon, "3630", "Hello"));
        EXPECT_EQ(d.sender, c.expectedSender);
        EXPECT_EQ(d.receiver, c.expectedReceiver);
        EXPECT_EQ(d.message, "Hello");
    }
}

// A receipt as message centres send it: esm_class 0x04, the text, receipted_message_id and
// message_state.
TEST(SmppDeliver, ReceiptParameters) {
    const std::string text = "id:0A1B sub:001 dlvrd:000 stat:UNDELIV err:001";
    const DeliverSm d = ReadDeliverSm(Body(1, "3650444", 1, "3620111", text, 0, 0x04) + "001E0005" +
                                      HexOfBytes("0A1B") + "00" + "04270001" + "05");
    EXPECT_EQ(d.esmClass, 0x04);
    EXPECT_EQ(d.message, text);
    EXPECT_EQ(d.receiptedId, "0A1B");
    EXPECT_EQ(d.messageState, 5);
    EXPECT_EQ(d.sarReference, -1);
}

TEST(SmppDeliver, SarParametersAndDataCoding) {
    const DeliverSm d = ReadDeliverSm(Body(1, "1", 1, "2", std::string("\x04\x16", 2), 8) +
                                      "020C0002BEEF" + "020E000103" + "020F000102");
    EXPECT_EQ(d.dataCoding, 8);
    EXPECT_EQ(d.message, std::string("\x04\x16", 2));
    EXPECT_EQ(d.sarReference, 0xBEEF);
    EXPECT_EQ(d.sarTotal, 3);
    EXPECT_EQ(d.sarIndex, 2);
}

TEST(SmppDeliver, ShortMessageByItsLength) {
    // Optional parameters behind the message are not part of it.
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", "Hi") + "0204000201").message, "Hi");
    // Zero octets are octets of the message (a GSM "@" is septet 0).
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", std::string("Hi\0", 3))).message,
              std::string("Hi\0", 3));
    // sm_length 0: the text travels in message_payload, among other optional parameters.
    EXPECT_EQ(
        ReadDeliverSm(Body(1, "1", 1, "2", "") + "020400020001" + "04240003" + HexOfBytes("Hey"))
            .message,
        "Hey");
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", "") + "02040002").message, "");
    // A length the body cannot hold: the text runs to its first zero byte or the end.
    std::string body = Body(1, "1", 1, "2", "Hello");
    body.resize(body.size() - 4);
    EXPECT_EQ(ReadDeliverSm(body).message, "Hel");
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
    EXPECT_EQ(d.message, "");
    // A parameter longer than what is left ends the parameters.
    EXPECT_EQ(ReadDeliverSm(Body(1, "1", 1, "2", "") + "04240009" + HexOfBytes("Hey")).message, "");
}

// data_sm has no short_message: its text is in message_payload.
TEST(SmppDeliver, DataSm) {
    const std::string body =
        "00"
        "0101" +
        HexOfBytes("3650444") + "00" + "0101" + HexOfBytes("3620111") + "00" + "00" + "00" + "03" +
        "04240003" + HexOfBytes("\xE9t\xE9");
    const DeliverSm d = ReadDataSm(body);
    EXPECT_EQ(d.sender, "+3650444");
    EXPECT_EQ(d.receiver, "+3620111");
    EXPECT_EQ(d.dataCoding, 3);
    EXPECT_EQ(d.message, "\xE9t\xE9");
}

}  // namespace
}  // namespace nimbra::smpp
