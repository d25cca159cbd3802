#include "smpppdu.h"

#include "unStrings.h"

namespace mcsim::smpp {
namespace {

void AppendUint32(std::string& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace

std::uint32_t ReadUint32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::optional<Header> ReadHeader(std::string_view pdu) {
    if (pdu.size() < kHeaderSize)
        return std::nullopt;
    return Header{ReadUint32(pdu), ReadUint32(pdu.substr(4)), ReadUint32(pdu.substr(8)),
                  ReadUint32(pdu.substr(12))};
}

std::string Pdu(std::uint32_t command, std::uint32_t status, std::uint32_t sequence,
                std::string_view body) {
    std::string pdu;
    pdu.reserve(kHeaderSize + body.size());
    AppendUint32(pdu, static_cast<std::uint32_t>(kHeaderSize + body.size()));
    AppendUint32(pdu, command);
    AppendUint32(pdu, status);
    AppendUint32(pdu, sequence);
    pdu.append(body);
    return pdu;
}

BodyWriter& BodyWriter::Byte(std::uint8_t value) {
    bytes_ += static_cast<char>(value);
    return *this;
}

BodyWriter& BodyWriter::CString(std::string_view text) {
    bytes_.append(text);
    bytes_ += '\0';
    return *this;
}

BodyWriter& BodyWriter::Octets(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
}

BodyWriter& BodyWriter::Tlv(std::uint16_t tag, std::string_view value) {
    Uint16(tag);
    Uint16(static_cast<std::uint16_t>(value.size()));
    bytes_.append(value);
    return *this;
}

void BodyWriter::Uint16(std::uint16_t value) {
    bytes_ += static_cast<char>(value >> 8);
    bytes_ += static_cast<char>(value & 0xFF);
}

std::uint8_t BodyReader::Byte(const char* field) {
    const std::string_view bytes = Take(field, 1);
    return bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]);
}

std::uint16_t BodyReader::Uint16(const char* field) {
    const std::string_view bytes = Take(field, 2);
    if (bytes.empty())
        return 0;
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                      static_cast<unsigned char>(bytes[1]));
}

std::string BodyReader::CString(const char* field, std::size_t maxSize,
                                std::uint32_t tooLongStatus) {
    if (failed())
        return {};
    const std::size_t nul = rest_.substr(0, maxSize).find('\0');
    if (nul == std::string_view::npos) {
        if (rest_.size() < maxSize)
            Fail(field, "the body ends before its NUL", kStatusInvalidCommandLength);
        else
            Fail(field, "no NUL within " + std::to_string(maxSize) + " bytes", tooLongStatus);
        return {};
    }
    std::string text(rest_.substr(0, nul));
    rest_.remove_prefix(nul + 1);
    return text;
}

std::string BodyReader::Octets(const char* field, std::size_t count) {
    return std::string(Take(field, count));
}

std::string_view BodyReader::Take(const char* field, std::size_t count) {
    if (failed())
        return {};
    if (rest_.size() < count) {
        Fail(field, "the body ends early", kStatusInvalidCommandLength);
        return {};
    }
    const std::string_view bytes = rest_.substr(0, count);
    rest_.remove_prefix(count);
    return bytes;
}

void BodyReader::Fail(const char* field, const std::string& why, std::uint32_t status) {
    error_ = std::string(field) + ": " + why;
    status_ = status;
}

std::string CommandName(std::uint32_t command) {
    const bool response = (command & kResponseBit) != 0;
    const char* name = nullptr;
    switch (command & ~kResponseBit) {
        case 0x00000000:
            return response ? "generic_nack" : "command 0x00000000";
        case kBindReceiver:
            name = "bind_receiver";
            break;
        case kBindTransmitter:
            name = "bind_transmitter";
            break;
        case 0x00000003:
            name = "query_sm";
            break;
        case kSubmitSm:
            name = "submit_sm";
            break;
        case kDeliverSm:
            name = "deliver_sm";
            break;
        case kUnbind:
            name = "unbind";
            break;
        case 0x00000007:
            name = "replace_sm";
            break;
        case 0x00000008:
            name = "cancel_sm";
            break;
        case kBindTransceiver:
            name = "bind_transceiver";
            break;
        case 0x0000000B:
            name = "outbind";
            break;
        case kEnquireLink:
            name = "enquire_link";
            break;
        case 0x00000021:
            name = "submit_multi";
            break;
        case 0x00000102:
            name = "alert_notification";
            break;
        case 0x00000103:
            name = "data_sm";
            break;
        default:
            return "command 0x" + nimbra::PadZeros(nimbra::IntToHexText(command), 8);
    }
    return response ? std::string(name) + "_resp" : std::string(name);
}

std::optional<std::uint32_t> ParseStatus(std::string_view text) {
    unsigned base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::string StatusText(std::uint32_t status) {
    if (status == kStatusOk)
        return "0";
    return "0x" + nimbra::PadZeros(nimbra::IntToHexText(status), 8);
}

std::string Hex(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes)
        hex += nimbra::ByteToHex2(static_cast<unsigned char>(c));
    return hex;
}

}  // namespace mcsim::smpp
