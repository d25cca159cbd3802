#pragma once
// The SMPP 3.4 PDUs of the smpp driver, built and read as hexadecimal text (two upper-case
// digits per byte), which is also what the communication log shows. Integers are big-endian;
// C-octet strings are the text's bytes and one zero byte. Addresses, passwords and ids are
// carried byte for byte in the system's single-byte code page, message text by its
// data_coding (smpptext.h). Reading never rejects a PDU: a body that ends early gives empty
// fields from there on.
//
// Choices beyond the bind and the plain receipt:
// - A submit carries no validity period unless one is asked for (relative, in minutes), and
//   dest_addr_subunit only for a message class ("_CLASSn_": class 0 to 3 are subunits 1 to 4).
// - A text longer than one short message goes as several submit_sm, each with the 05 00 03
//   concatenation header (esm_class 0x40) or with the sar_* parameters, or as one submit_sm
//   with sm_length 0 and the whole text in message_payload. Business cards always take the
//   header, their port element and the concatenation element side by side. Octet data that
//   is not hexadecimal is refused, never cut.
// - An address is typed by its form: "+" and digits international (TON 1, NPI 1, sent
//   without the "+"), 3 to 8 digits a short code (TON 3, NPI 0), other digits unknown (TON 0,
//   NPI 1), anything else alphanumeric (TON 5, NPI 0); an alphanumeric sender of more than 11
//   characters is refused. Settings may give either address's TON and NPI instead.
// - An incoming short message is taken by its sm_length when the body holds that many
//   octets, else up to its first zero byte; with sm_length 0 it is the message_payload
//   parameter's. Its octets are read by data_coding (smpptext.h).
// - The system_id of a bind response and the message_id of a submit response end at their
//   first zero byte; optional parameters behind them are not part of them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "smpptext.h"

namespace nimbra::smpp {

inline constexpr std::uint32_t kBindReceiver = 0x00000001;
inline constexpr std::uint32_t kBindTransmitter = 0x00000002;
inline constexpr std::uint32_t kSubmitSm = 0x00000004;
inline constexpr std::uint32_t kDeliverSm = 0x00000005;
inline constexpr std::uint32_t kUnbind = 0x00000006;
inline constexpr std::uint32_t kBindTransceiver = 0x00000009;
inline constexpr std::uint32_t kEnquireLink = 0x00000015;
inline constexpr std::uint32_t kAlertNotification = 0x00000102;
inline constexpr std::uint32_t kDataSm = 0x00000103;
inline constexpr std::uint32_t kResponseBit = 0x80000000;
inline constexpr std::uint32_t kGenericNack = 0x80000000;
inline constexpr std::uint32_t kDeliverSmResp = 0x80000005;
inline constexpr std::uint32_t kUnbindResp = 0x80000006;
inline constexpr std::uint32_t kEnquireLinkResp = 0x80000015;
inline constexpr std::uint32_t kDataSmResp = 0x80000103;

// Command ids as SplitHeader gives them.
inline constexpr std::string_view kIdBindReceiverResp = "80000001";
inline constexpr std::string_view kIdBindTransmitterResp = "80000002";
inline constexpr std::string_view kIdBindTransceiverResp = "80000009";
inline constexpr std::string_view kIdSubmitSmResp = "80000004";
inline constexpr std::string_view kIdDeliverSm = "00000005";
inline constexpr std::string_view kIdUnbind = "00000006";
inline constexpr std::string_view kIdEnquireLink = "00000015";
inline constexpr std::string_view kIdAlertNotification = "00000102";
inline constexpr std::string_view kIdDataSm = "00000103";
inline constexpr std::string_view kIdGenericNack = "80000000";
inline constexpr std::string_view kIdUnbindResp = "80000006";
inline constexpr std::string_view kStatusOk = "00000000";

// A PDU is at least its 16-byte header.
inline constexpr std::uint32_t kHeaderBytes = 16;

// Sequence numbers of the PDUs the driver originates: 1 to 255 in turn after a reset, or,
// wide, 1 to 0x7FFFFFFF (the whole range SMPP allows), so that no number comes round again
// while a window of submits awaits its responses.
inline constexpr std::uint32_t kNarrowSequenceEnd = 255;
inline constexpr std::uint32_t kWideSequenceEnd = 0x7FFFFFFF;

class SmppSequence {
public:
    std::uint32_t Next() {
        value_ = value_ >= Highest() ? 1 : value_ + 1;
        return value_;
    }
    void Reset() { value_ = 0; }
    void SetWide(bool wide) { wide_ = wide; }
    // The last number given; the next follows it.
    void SetLast(std::uint32_t value) { value_ = value; }

private:
    std::uint32_t Highest() const { return wide_ ? kWideSequenceEnd : kNarrowSequenceEnd; }
    std::uint32_t value_ = 0;
    bool wide_ = false;
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

// 8 upper-case hex digits, and their value (0xFFFFFFFF when they are not 8 hex digits).
std::string Hex32(std::uint32_t value);
std::uint32_t ReadHex32(std::string_view hex);
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

struct TypedAddress {
    int ton = 0;
    int npi = 0;
    std::string address;  // as it goes into the PDU
};
TypedAddress TypeAddress(std::string_view address);

enum class LongMessages { Header, Sar, Payload };

struct SubmitOptions {
    Alphabet alphabet = Alphabet::Gsm;
    LongMessages longMessages = LongMessages::Header;
    bool deliveryReport = false;
    std::optional<int> sourceTon, sourceNpi, destTon, destNpi;
    int validityMinutes = 0;  // 0: no validity period
};

struct Submits {
    std::vector<std::string> bodies;  // the submit_sm bodies in order; none when refused
    std::string error;                // why it was refused
};
// The submit_sm bodies for a message record's sender, receiver and text. `reference` numbers
// the parts of a concatenated message: its low 8 bits in the header, all 16 in sar_msg_ref_num.
Submits BuildSubmits(std::string_view sender, std::string_view receiver, std::string_view text,
                     const SubmitOptions& options, std::uint16_t reference);
// The relative validity period of so many minutes, "YYMMDDhhmmss000R"; at most 99 days.
std::string RelativeValidity(int minutes);

std::string BuildEnquireLink(std::uint32_t sequence);
// Answers the deliver_sm with that sequence_number (8 hex digits, as received).
std::string BuildDeliverResp(std::string_view sequenceHex);
// Answers the message centre's enquire_link, unbind and data_sm.
std::string BuildEnquireLinkResp(std::string_view sequenceHex);
std::string BuildUnbindResp(std::string_view sequenceHex);
std::string BuildDataSmResp(std::string_view sequenceHex);
// Refuses the request with that sequence_number.
std::string BuildGenericNack(std::string_view sequenceHex, std::uint32_t status);
std::string BuildUnbind(std::uint32_t sequence);

struct BindResp {
    bool isBindResp = false;  // one of the three bind responses
    bool accepted = false;    // and its status is 0
    std::uint32_t status = 0;
    std::string systemId;
};
BindResp ReadBindResp(std::string_view pduHex);

struct SubmitResp {
    bool accepted = false;
    std::uint32_t status = 0;
    std::string messageId;
};
SubmitResp ReadSubmitResp(std::string_view pduHex);

// A deliver_sm or data_sm as it came.
struct DeliverSm {
    std::string sender;
    std::string receiver;
    int esmClass = 0;
    int dataCoding = 0;
    // The octets of short_message, or of message_payload when short_message is empty.
    std::string message;
    std::string receiptedId;  // receipted_message_id
    int messageState = -1;    // message_state; -1 without one
    int sarReference = -1;    // sar_msg_ref_num; -1 without one
    int sarTotal = 0;
    int sarIndex = 0;
};
DeliverSm ReadDeliverSm(std::string_view bodyHex);
DeliverSm ReadDataSm(std::string_view bodyHex);

}  // namespace nimbra::smpp
