#pragma once

// Building blocks of the PDU codec: checked hexadecimal reading, GSM 7-bit packing and
// unpacking (least significant bit first) and the mapping between septets and host text.

#include <cstdint>
#include <string>
#include <string_view>

#include "pducoder_tables.h"

namespace nimbra::pdu {

// 0-15 for "0"-"9" and "A"-"F", -1 for anything else (lower case included).
constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// HexValue that also takes "a"-"f" (for text escapes and settings, never for PDUs).
constexpr int HexValueAnyCase(char c) {
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : HexValue(c);
}

bool IsUpperHex(std::string_view s);
// The octet written at s[pos], s[pos + 1]; -1 when it is missing or not upper-case hex.
int OctetAt(std::string_view s, std::size_t pos);
void AppendHexOctet(std::string& out, unsigned value);
// Two upper-case hexadecimal digits per byte.
std::string HexOfBytes(std::string_view bytes);
// The bytes of upper-case hexadecimal text, up to the first pair that is not an octet.
std::string BytesOfHex(std::string_view hex);

// Reads septets from packed hexadecimal, after skipBits leading fill bits. Ends at the end of
// the input or at the first pair that is not an octet; the 7 or more bits pending after the
// last octet give one more septet.
class SeptetReader {
public:
    explicit SeptetReader(std::string_view hex, unsigned skipBits = 0)
        : hex_(hex), skip_(skipBits) {}
    bool Next(std::uint8_t& septet);

private:
    std::string_view hex_;
    std::size_t pos_ = 0;
    std::uint32_t pending_ = 0;
    unsigned bits_ = 0;
    unsigned skip_;
};

// Packs septets into hexadecimal after fillBits zero bits; Finish writes the last partial
// octet (a fill alone writes nothing).
class SeptetWriter {
public:
    explicit SeptetWriter(std::string& out, unsigned fillBits = 0) : out_(out), bits_(fillBits) {}
    void Put(std::uint8_t septet);
    void Finish();

private:
    std::string& out_;
    std::uint32_t pending_ = 0;
    unsigned bits_;
    bool wrote_ = false;
};

// Host text to septets: with convert, "[\]^{|}~" become ESC + extension code and every other
// character goes through ansiToGsm; without, each character is its own low 7 bits. Returns
// the number of septets.
int PutTextSeptets(std::string_view text, bool convert, const PduTables& tables,
                   SeptetWriter& writer);

// Septets to host text. ESC produces nothing and marks the next septet as an extension code:
// escToAnsi with convert, else ESC and the code themselves.
class SeptetDecoder {
public:
    SeptetDecoder(const PduTables& tables, bool convert) : tables_(tables), convert_(convert) {}
    void Put(std::uint8_t septet, std::string& out);

private:
    const PduTables& tables_;
    bool convert_;
    bool escape_ = false;
};

// Decodes at most maxSeptets septets of reader into out.
void DecodeSeptets(SeptetReader& reader, long maxSeptets, SeptetDecoder& decoder, std::string& out);

}  // namespace nimbra::pdu
