#include "pducoder_septets.h"

#include <algorithm>

namespace nimbra::pdu {
namespace {

constexpr std::uint8_t kEscape = 27;

// The extension code of a character that the GSM alphabet only has behind ESC, or 0.
std::uint8_t ExtensionCode(char c) {
    switch (c) {
        case '[':
            return 60;
        case '\\':
            return 47;
        case ']':
            return 62;
        case '^':
            return 20;
        case '{':
            return 40;
        case '|':
            return 64;
        case '}':
            return 41;
        case '~':
            return 61;
        default:
            return 0;
    }
}

}  // namespace

bool IsUpperHex(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return HexValue(c) >= 0; });
}

int OctetAt(std::string_view s, std::size_t pos) {
    if (pos >= s.size() || s.size() - pos < 2)
        return -1;
    const int high = HexValue(s[pos]);
    const int low = HexValue(s[pos + 1]);
    if (high < 0 || low < 0)
        return -1;
    return high * 16 + low;
}

void AppendHexOctet(std::string& out, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[(value >> 4) & 0xF]);
    out.push_back(kDigits[value & 0xF]);
}

std::string HexOfBytes(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (char c : bytes)
        AppendHexOctet(hex, static_cast<unsigned char>(c));
    return hex;
}

std::string BytesOfHex(std::string_view hex) {
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int octet = OctetAt(hex, i);
        if (octet < 0)
            break;
        bytes.push_back(static_cast<char>(octet));
    }
    return bytes;
}

bool SeptetReader::Next(std::uint8_t& septet) {
    while (bits_ < 7) {
        const int octet = OctetAt(hex_, pos_);
        if (octet < 0) {
            pos_ = hex_.size();
            return false;
        }
        pos_ += 2;
        pending_ |= static_cast<std::uint32_t>(octet) << bits_;
        bits_ += 8;
        if (skip_ != 0) {
            const unsigned skip = std::min(skip_, bits_);
            pending_ >>= skip;
            bits_ -= skip;
            skip_ = 0;
        }
    }
    septet = static_cast<std::uint8_t>(pending_ & 0x7F);
    pending_ >>= 7;
    bits_ -= 7;
    return true;
}

void SeptetWriter::Put(std::uint8_t septet) {
    pending_ |= static_cast<std::uint32_t>(septet & 0x7F) << bits_;
    bits_ += 7;
    wrote_ = true;
    while (bits_ >= 8) {
        AppendHexOctet(out_, pending_ & 0xFF);
        pending_ >>= 8;
        bits_ -= 8;
    }
}

void SeptetWriter::Finish() {
    if (bits_ > 0 && wrote_)
        AppendHexOctet(out_, pending_ & 0xFF);
    pending_ = 0;
    bits_ = 0;
}

int PutTextSeptets(std::string_view text, bool convert, const PduTables& tables,
                   SeptetWriter& writer) {
    int count = 0;
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (!convert) {
            writer.Put(static_cast<std::uint8_t>(code & 0x7F));
            ++count;
        } else if (const std::uint8_t extension = ExtensionCode(c); extension != 0) {
            writer.Put(kEscape);
            writer.Put(extension);
            count += 2;
        } else {
            writer.Put(static_cast<std::uint8_t>(tables.ansiToGsm[code]));
            ++count;
        }
    }
    return count;
}

void SeptetDecoder::Put(std::uint8_t septet, std::string& out) {
    if (escape_) {
        escape_ = false;
        if (convert_) {
            out.push_back(static_cast<char>(tables_.escToAnsi[septet]));
        } else {
            out.push_back(static_cast<char>(kEscape));
            out.push_back(static_cast<char>(septet));
        }
    } else if (septet == kEscape) {
        escape_ = true;
    } else {
        out.push_back(static_cast<char>(convert_ ? tables_.gsmToAnsi[septet] : septet));
    }
}

void DecodeSeptets(SeptetReader& reader, long maxSeptets, SeptetDecoder& decoder,
                   std::string& out) {
    std::uint8_t septet = 0;
    for (long n = 0; n < maxSeptets && reader.Next(septet); ++n)
        decoder.Put(septet, out);
}

}  // namespace nimbra::pdu
