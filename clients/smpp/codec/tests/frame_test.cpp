// PDU frames: header, sequence numbers, bind, keepalive and the responses the driver reads.
#include <gtest/gtest.h>

#include "smppstatus.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {
namespace {

TEST(SmppFrame, KeepaliveAndDeliverResponseBytes) {
    SmppSequence sequence;
    EXPECT_EQ(BuildEnquireLink(sequence.Next()), "00000010000000150000000000000001");
    EXPECT_EQ(BuildDeliverResp("0000002A"),
              "00000011"
              "80000005"
              "00000000"
              "0000002A"
              "00");
    EXPECT_EQ(BuildEnquireLinkResp("00000007"), "00000010800000150000000000000007");
    EXPECT_EQ(BuildUnbind(3), "00000010000000060000000000000003");
    EXPECT_EQ(BuildUnbindResp("00000009"), "00000010800000060000000000000009");
    // data_sm_resp carries an empty message_id, as deliver_sm_resp does.
    EXPECT_EQ(BuildDataSmResp("0000002A"),
              "00000011"
              "80000103"
              "00000000"
              "0000002A"
              "00");
    // A request the driver does not take: generic_nack with ESME_RINVCMDID.
    EXPECT_EQ(BuildGenericNack("00000071", 0x03), "00000010800000000000000300000071");
    EXPECT_EQ(BuildPdu(0x12345678, 0x01020304, "ABCD"),
              "0000001212345678000000000102030"
              "4ABCD");
}

TEST(SmppFrame, SequenceRunsOneTo255AndResets) {
    SmppSequence sequence;
    for (std::uint32_t expected = 1; expected <= 255; ++expected)
        ASSERT_EQ(sequence.Next(), expected);
    EXPECT_EQ(sequence.Next(), 1u);
    EXPECT_EQ(sequence.Next(), 2u);
    sequence.Reset();
    EXPECT_EQ(sequence.Next(), 1u);
}

TEST(SmppFrame, BindBodyAndCommandPerMode) {
    EXPECT_EQ(BindBody("a", "", "smpp"), "610000736D70700034010100");
    const struct {
        BindMode mode;
        const char* commandId;
    } cases[] = {{BindMode::Transmitter, "00000002"},
                 {BindMode::Receiver, "00000001"},
                 {BindMode::Transceiver, "00000009"}};
    for (const auto& c : cases) {
        const PduParts parts = SplitHeader(BuildBind(c.mode, "a", "", "smpp", 1));
        EXPECT_EQ(parts.commandId, c.commandId);
        EXPECT_EQ(parts.length, "0000001C");
        EXPECT_EQ(parts.sequence, "00000001");
        EXPECT_EQ(parts.body, "610000736D70700034010100");
    }
}

TEST(SmppFrame, SplitHeaderOfShortText) {
    const PduParts parts = SplitHeader("0000001080000004");
    EXPECT_EQ(parts.length, "00000010");
    EXPECT_EQ(parts.commandId, "80000004");
    EXPECT_EQ(parts.status, "");
    EXPECT_EQ(parts.sequence, "");
    EXPECT_EQ(parts.body, "");
    EXPECT_EQ(ReadLength(std::string("\xFF\xFF\xFF\xFF", 4)), 0xFFFFFFFFu);
    EXPECT_EQ(ReadLength(std::string("\x00\x00\x01\x02", 4)), 0x102u);
}

TEST(SmppFrame, BindResponses) {
    const struct {
        const char* pdu;
        bool isBindResp;
        bool accepted;
        const char* systemId;
    } cases[] = {
        {"0000001680000009000000000000000153494D00", true, true, "SIM"},
        // sc_interface_version behind the system_id is not part of it.
        {"0000001B80000009000000000000000153494D000210000134", true, true, "SIM"},
        {"00000010800000020000000000000001", true, true, ""},
        {"0000001080000001000000000000000E", true, true, ""},
        {"00000010800000090000000E00000001", true, false, ""},
        {"00000010800000040000000000000001", false, false, ""},
        {"", false, false, ""},
    };
    for (const auto& c : cases) {
        const BindResp resp = ReadBindResp(c.pdu);
        EXPECT_EQ(resp.isBindResp, c.isBindResp) << c.pdu;
        EXPECT_EQ(resp.accepted, c.accepted) << c.pdu;
        EXPECT_EQ(resp.systemId, c.systemId) << c.pdu;
    }
}

TEST(SmppFrame, SubmitResponses) {
    const struct {
        const char* pdu;
        bool accepted;
        const char* messageId;
        std::uint32_t status = 0;
    } cases[] = {
        {"000000198000000400000000000000024D43303030303100", true, "MC00001"},
        {"00000011800000040000000000000002"
         "00",
         true, ""},
        {"00000010800000040000000000000002", true, ""},
        {"00000011800000040000004500000002"
         "00",
         false, "", 0x45},
        {"00000010800000040000005800000002", false, "", 0x58},
        // An id without its terminator keeps every character.
        {"00000013800000040000000000000002"
         "4142",
         true, "AB"},
        {"000000188000000400000000000000024142000427000102", true, "AB"},
    };
    for (const auto& c : cases) {
        const SubmitResp resp = ReadSubmitResp(c.pdu);
        EXPECT_EQ(resp.accepted, c.accepted) << c.pdu;
        EXPECT_EQ(resp.messageId, c.messageId) << c.pdu;
        EXPECT_EQ(resp.status, c.status) << c.pdu;
    }
}

TEST(SmppStatus, NamesInHexForTheLog) {
    const struct {
        std::uint32_t status;
        const char* text;
        bool temporary;
        bool wrongLogin;
    } cases[] = {
        {0x00000058, "0x00000058 ESME_RTHROTTLED", true, false},
        {0x00000014, "0x00000014 ESME_RMSGQFUL", true, false},
        {0x00000008, "0x00000008 ESME_RSYSERR", true, false},
        {0x0000000E, "0x0000000E ESME_RINVPASWD", false, true},
        {0x0000000F, "0x0000000F ESME_RINVSYSID", false, true},
        {0x0000000D, "0x0000000D ESME_RBINDFAIL", false, false},
        {0x00000045, "0x00000045 ESME_RSUBMITFAIL", false, false},
        {0x000000C4, "0x000000C4 ESME_RINVOPTPARAMVAL", false, false},
        {0x00000403, "0x00000403 vendor specific", false, false},
        {0x00000099, "0x00000099 unknown", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusText(c.status), c.text);
        EXPECT_EQ(IsTemporaryRefusal(c.status), c.temporary) << c.text;
        EXPECT_EQ(IsWrongLogin(c.status), c.wrongLogin) << c.text;
    }
    EXPECT_EQ(ReadHex32("00000058"), 0x58u);
    EXPECT_EQ(ReadHex32("0000005"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadHex32("0000005G"), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace nimbra::smpp
