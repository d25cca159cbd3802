// The PDU frame (header, sequence numbers) and the bind, keepalive and response PDUs.
#include "unSmppCodec.h"

#include "pducoder_septets.h"
#include "smppstatus.h"

namespace nimbra::smpp {

namespace {

using pdu::AppendHexOctet;
using pdu::BytesOfHex;
using pdu::HexOfBytes;

constexpr std::size_t kFieldDigits = 8;

void AppendHex32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        AppendHexOctet(out, (value >> shift) & 0xFF);
}

std::string Part(std::string_view hex, std::size_t index) {
    const std::size_t from = index * kFieldDigits;
    if (from >= hex.size())
        return {};
    return std::string(hex.substr(from, kFieldDigits));
}

// A PDU of the given command id and sequence number (8 hex digits).
std::string FramePdu(std::uint32_t commandId, std::string_view sequenceHex,
                     std::string_view bodyHex, std::uint32_t status = 0) {
    std::string hex;
    AppendHex32(hex, commandId);
    AppendHex32(hex, status);
    hex += sequenceHex;
    hex += bodyHex;
    std::string pdu;
    AppendHex32(pdu, static_cast<std::uint32_t>(hex.size() / 2 + 4));
    return pdu + hex;
}

}  // namespace

std::string Hex32(std::uint32_t value) {
    std::string hex;
    AppendHex32(hex, value);
    return hex;
}

std::uint32_t ReadHex32(std::string_view hex) {
    if (hex.size() != kFieldDigits)
        return 0xFFFFFFFF;
    std::uint32_t value = 0;
    for (char c : hex) {
        const int digit = pdu::HexValue(c);
        if (digit < 0)
            return 0xFFFFFFFF;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string BuildPdu(std::uint32_t commandId, std::uint32_t sequence, std::string_view bodyHex) {
    std::string sequenceHex;
    AppendHex32(sequenceHex, sequence);
    return FramePdu(commandId, sequenceHex, bodyHex);
}

PduParts SplitHeader(std::string_view hex) {
    PduParts parts{Part(hex, 0), Part(hex, 1), Part(hex, 2), Part(hex, 3), {}};
    if (hex.size() > 4 * kFieldDigits)
        parts.body = std::string(hex.substr(4 * kFieldDigits));
    return parts;
}

std::string CStringText(std::string_view hex) {
    std::size_t end = 0;
    while (end + 1 < hex.size() && hex.substr(end, 2) != "00")
        end += 2;
    return BytesOfHex(hex.substr(0, end));
}

std::uint32_t ReadLength(std::string_view fourBytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && i < fourBytes.size(); ++i)
        value = (value << 8) | static_cast<unsigned char>(fourBytes[i]);
    return value;
}

std::uint32_t BindCommand(BindMode mode) {
    switch (mode) {
        case BindMode::Transmitter:
            return kBindTransmitter;
        case BindMode::Receiver:
            return kBindReceiver;
        case BindMode::Transceiver:
            break;
    }
    return kBindTransceiver;
}

std::string BindBody(std::string_view user, std::string_view password,
                     std::string_view systemType) {
    std::string body;
    for (std::string_view text : {user, password, systemType})
        body += HexOfBytes(text) + "00";
    body += "34";    // interface_version 3.4
    body += "0101";  // addr_ton, addr_npi
    body += "00";    // address_range
    return body;
}

std::string BuildBind(BindMode mode, std::string_view user, std::string_view password,
                      std::string_view systemType, std::uint32_t sequence) {
    return BuildPdu(BindCommand(mode), sequence, BindBody(user, password, systemType));
}

std::string BuildEnquireLink(std::uint32_t sequence) {
    return BuildPdu(kEnquireLink, sequence, {});
}

std::string BuildDeliverResp(std::string_view sequenceHex) {
    return FramePdu(kDeliverSmResp, sequenceHex, "00");
}

std::string BuildEnquireLinkResp(std::string_view sequenceHex) {
    return FramePdu(kEnquireLinkResp, sequenceHex, {});
}

std::string BuildUnbindResp(std::string_view sequenceHex) {
    return FramePdu(kUnbindResp, sequenceHex, {});
}

std::string BuildDataSmResp(std::string_view sequenceHex) {
    return FramePdu(kDataSmResp, sequenceHex, "00");
}

std::string BuildGenericNack(std::string_view sequenceHex, std::uint32_t status) {
    return FramePdu(kGenericNack, sequenceHex, {}, status);
}

std::string BuildUnbind(std::uint32_t sequence) {
    return BuildPdu(kUnbind, sequence, {});
}

BindResp ReadBindResp(std::string_view pduHex) {
    const PduParts parts = SplitHeader(pduHex);
    BindResp resp;
    resp.isBindResp = parts.commandId == kIdBindTransmitterResp ||
                      parts.commandId == kIdBindReceiverResp ||
                      parts.commandId == kIdBindTransceiverResp;
    resp.accepted = resp.isBindResp && parts.status == kStatusOk;
    resp.status = ReadHex32(parts.status);
    resp.systemId = CStringText(parts.body);
    return resp;
}

SubmitResp ReadSubmitResp(std::string_view pduHex) {
    const PduParts parts = SplitHeader(pduHex);
    SubmitResp resp;
    resp.accepted = parts.status == kStatusOk;
    resp.status = ReadHex32(parts.status);
    if (parts.body.size() >= 3)
        resp.messageId = CStringText(parts.body);
    return resp;
}

}  // namespace nimbra::smpp
