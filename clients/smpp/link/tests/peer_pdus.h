#pragma once
// The PDUs a message centre sends, as the bytes that arrive on the link.

#include <cstdint>
#include <string>
#include <string_view>

#include "pducoder_septets.h"
#include "unSmppCodec.h"

namespace nimbra::smpp::testing {

inline constexpr std::uint32_t kBindTransceiverResp = 0x80000009;
inline constexpr std::uint32_t kSubmitSmResp = 0x80000004;

inline std::string PeerPdu(std::uint32_t command, std::uint32_t sequence,
                           std::string_view bodyHex = "", std::uint32_t status = 0) {
    std::string statusHex;
    for (int shift = 24; shift >= 0; shift -= 8)
        pdu::AppendHexOctet(statusHex, (status >> shift) & 0xFF);
    std::string hex = BuildPdu(command, sequence, bodyHex);
    hex.replace(16, 8, statusHex);
    return pdu::BytesOfHex(hex);
}

inline std::string CString(std::string_view text) {
    return pdu::HexOfBytes(text) + "00";
}

inline std::string SubmitResp(std::string_view messageId, std::uint32_t status = 0,
                              std::uint32_t sequence = 1) {
    return PeerPdu(kSubmitSmResp, sequence, CString(messageId), status);
}

// An international address ("+...") goes with type of number 01 and without its plus sign.
inline std::string Address(std::string_view address) {
    return address.starts_with('+') ? "0101" + CString(address.substr(1))
                                    : "0001" + CString(address);
}

// A deliver_sm whose short message is `octets`, with optional parameters (hex) behind it.
inline std::string Deliver(std::uint32_t sequence, std::string_view sender,
                           std::string_view receiver, std::string_view octets, int dataCoding = 0,
                           int esmClass = 0, std::string_view parametersHex = "") {
    std::string body = "00" + Address(sender) + Address(receiver);
    pdu::AppendHexOctet(body, static_cast<unsigned>(esmClass));
    // protocol_id, priority; schedule and validity; registered_delivery, replace_if_present.
    body +=
        "0000"
        "0000"
        "0000";
    pdu::AppendHexOctet(body, static_cast<unsigned>(dataCoding));
    body += "00";  // sm_default_msg_id
    pdu::AppendHexOctet(body, static_cast<unsigned>(octets.size()));
    body += pdu::HexOfBytes(octets);
    body += parametersHex;
    return PeerPdu(kDeliverSm, sequence, body);
}

}  // namespace nimbra::smpp::testing
