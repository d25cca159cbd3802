#pragma once
// The SMPP 3.4 PDUs of the smpp driver, built and read as hexadecimal text (two upper-case
// digits per byte), which is also what the communication log shows. Integers are big-endian;
// C-octet strings are the text's bytes and one zero byte. Text is carried byte for byte in
// the system's single-byte code page. Reading never rejects a PDU: a body that ends early
// gives empty fields from there on.
//
// Choices beyond the plain text submit:
// - User data with a header or octet data (business cards, "_B64_" data) goes with esm_class
//   bit 0x40 set, the header in front of the octets and sm_length counting octets.
// - A short message of more than 255 octets is not built (sm_length has one byte): the
//   submit is refused, never cut. So is a "_UCS2_" or octet text that is not hexadecimal
//   (lower-case digits are taken as upper case), which would break the PDU's framing.
// - An empty address has type of number 0x00.
// - An incoming short message is taken by its sm_length when the body holds that many
//   octets (a zero byte at its end dropped), else up to its first zero byte; with sm_length
//   0 the text is the message_payload parameter's, if there is one. One coded as UCS2
//   (data_coding 0x08) becomes "_UCS2_" followed by its hexadecimal octets, as the engine
//   keeps such texts.
// - A receipt's reference runs from after "id:" to the first blank, or to the end.
// - The system_id of a bind response and the message_id of a submit response end at their
//   first zero byte; optional parameters behind them are not part of them.

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbra::smpp {

inline constexpr std::uint32_t kBindReceiver = 0x00000001;
inline constexpr std::uint32_t kBindTransmitter = 0x00000002;
inline constexpr std::uint32_t kSubmitSm = 0x00000004;
inline constexpr std::uint32_t kDeliverSm = 0x00000005;
inline constexpr std::uint32_t kBindTransceiver = 0x00000009;
inline constexpr std::uint32_t kEnquireLink = 0x00000015;
inline constexpr std::uint32_t kGenericNack = 0x80000000;
inline constexpr std::uint32_t kDeliverSmResp = 0x80000005;
inline constexpr std::uint32_t kEnquireLinkResp = 0x80000015;

// Command ids as SplitHeader gives them.
inline constexpr std::string_view kIdBindReceiverResp = "80000001";
inline constexpr std::string_view kIdBindTransmitterResp = "80000002";
inline constexpr std::string_view kIdBindTransceiverResp = "80000009";
inline constexpr std::string_view kIdSubmitSmResp = "80000004";
inline constexpr std::string_view kIdDeliverSm = "00000005";
inline constexpr std::string_view kIdEnquireLink = "00000015";
inline constexpr std::string_view kStatusOk = "00000000";

// A PDU is at least its 16-byte header.
inline constexpr std::uint32_t kHeaderBytes = 16;

// Sequence numbers of the PDUs the driver originates: 1 to 255 in turn after a reset.
class SmppSequence {
public:
    std::uint32_t Next() {
        value_ = value_ >= 255 ? 1 : value_ + 1;
        return value_;
    }
    void Reset() { value_ = 0; }

private:
    std::uint32_t value_ = 0;
};

// command_length, command_id and sequence_number are written, command_status is 0.
std::string BuildPdu(std::uint32_t commandId, std::uint32_t sequence, std::string_view bodyHex);

// The header's four fields as 8 hex digits each (shorter when the text ends early) and the
// body, the rest.
struct PduParts {
    std::string length;
    std::string commandId;
    std::string status;
    std::string sequence;
    std::string body;
};
PduParts SplitHeader(std::string_view hex);

// The big-endian value of four bytes.
std::uint32_t ReadLength(std::string_view fourBytes);
// The text of a C-octet string given in hex: its bytes up to the first zero byte (anything
// after it, such as optional parameters, is not part of it), or to the end.
std::string CStringText(std::string_view hex);

enum class BindMode { Transmitter, Receiver, Transceiver };
std::uint32_t BindCommand(BindMode mode);
std::string BindBody(std::string_view user, std::string_view password, std::string_view systemType);
std::string BuildBind(BindMode mode, std::string_view user, std::string_view password,
                      std::string_view systemType, std::uint32_t sequence);

// 0x01 for "+...", 0x00 for a digit first (or an empty address), 0x02 for anything else.
int TypeOfNumber(std::string_view address);

struct SubmitBody {
    std::string hex;    // empty when refused
    std::string error;  // why it was refused
};
// The submit_sm body for a message record's sender, receiver and text. localEpochSeconds is
// the local wall-clock time the validity period counts from (six days ahead).
SubmitBody BuildSubmitBody(std::string_view sender, std::string_view receiver,
                           std::string_view text, bool deliveryReport, long long localEpochSeconds);

std::string BuildEnquireLink(std::uint32_t sequence);
// Answers the deliver_sm with that sequence_number (8 hex digits, as received).
std::string BuildDeliverResp(std::string_view sequenceHex);
// Answers the message centre's enquire_link.
std::string BuildEnquireLinkResp(std::string_view sequenceHex);

struct BindResp {
    bool isBindResp = false;  // one of the three bind responses
    bool accepted = false;    // and its status is 0
    std::string systemId;
};
BindResp ReadBindResp(std::string_view pduHex);

struct SubmitResp {
    bool accepted = false;
    std::string messageId;
};
SubmitResp ReadSubmitResp(std::string_view pduHex);

struct DeliverSm {
    std::string sender;
    std::string receiver;
    std::string text;
    bool receipt = false;
    std::string reference;  // the receipt's id
};
DeliverSm ReadDeliverSm(std::string_view bodyHex);

// A text that begins with "id:" and contains "dlvrd:" is a delivery receipt; its reference
// is the text after "id:" up to the first blank.
bool IsReceipt(std::string_view text, std::string& reference);

}  // namespace nimbra::smpp
