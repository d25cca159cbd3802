#include "smpptext.h"

#include "codepage.h"
#include "gsmalphabet.h"
#include "pducoder.h"
#include "pducoder_septets.h"
#include "unStrings.h"

namespace nimbra::smpp {

namespace {

using Form = OutgoingText::Form;
using textparts::Coding;

constexpr std::string_view kUcs2Marker = "_UCS2_";
constexpr std::string_view kClassMarker = "_CLASS";
constexpr std::size_t kClassMarkerLength = 8;  // "_CLASS" + digit + separator
constexpr std::string_view kBusinessCard = "BEGIN:VCARD";
constexpr std::string_view kBinaryMarker = "_B64_";
// Application port addressing, 16-bit: destination port 9204 (vCard), source port 0.
constexpr std::string_view kVCardPortElement{"\x05\x04\x23\xF4\x00\x00", 6};

bool Consume(std::string_view& text, std::string_view marker) {
    if (!text.starts_with(marker))
        return false;
    text.remove_prefix(marker.size());
    return true;
}

// Octets as characters of the same value.
std::u16string OctetChars(std::string_view octets) {
    std::u16string chars;
    chars.reserve(octets.size());
    for (char c : octets)
        chars.push_back(static_cast<unsigned char>(c));
    return chars;
}

// Hexadecimal digits (either case) as octets; nullopt when they are not whole octets.
std::optional<std::string> HexOctets(std::string_view hex) {
    const std::string upper = UpperAscii(hex);
    if (upper.size() % 2 != 0 || !pdu::IsUpperHex(upper))
        return std::nullopt;
    return pdu::BytesOfHex(upper);
}

std::u16string Utf16Units(std::string_view octets) {
    std::u16string units;
    units.reserve(octets.size() / 2);
    for (std::size_t i = 0; i + 1 < octets.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(octets[i]) << 8 |
                                              static_cast<unsigned char>(octets[i + 1])));
    }
    return units;
}

OutgoingText Refused(std::string_view recordText) {
    OutgoingText refused;
    refused.error = "Message data is not hexadecimal: " + std::string(recordText);
    return refused;
}

void AsUcs2(OutgoingText& out) {
    out.dataCoding = kDataCodingUcs2;
    out.coding = Coding::Ucs2;
    out.form = Form::Utf16;
}

bool FitsLatin1(std::u16string_view text) {
    for (char16_t c : text) {
        if (c > 0xFF)
            return false;
    }
    return true;
}

enum class Reading { Default, Gsm, Ia5, Latin1, EightBit, Ucs2 };

// How a data_coding value reads: SMPP's own values below 0x10, the GSM coding groups above.
Reading ReadingOf(int dataCoding) {
    switch (dataCoding) {
        case kDataCodingDefault:
            return Reading::Default;
        case kDataCodingIa5:
            return Reading::Ia5;
        case kDataCodingLatin1:
            return Reading::Latin1;
        case kDataCodingUcs2:
            return Reading::Ucs2;
        default:
            break;
    }
    if (dataCoding < 0x10)
        return Reading::EightBit;
    if (dataCoding < 0x80) {
        // General data coding: compressed text is data; bits 3-2 give the alphabet.
        if ((dataCoding & 0x20) != 0)
            return Reading::EightBit;
        const int bits = dataCoding & 0x0C;
        return bits == 0x04 ? Reading::EightBit : bits == 0x08 ? Reading::Ucs2 : Reading::Gsm;
    }
    if (dataCoding >= 0xF0)
        return (dataCoding & 0x04) != 0 ? Reading::EightBit : Reading::Gsm;
    if (dataCoding >= 0xE0)
        return Reading::Ucs2;
    if (dataCoding >= 0xC0)
        return Reading::Gsm;
    return Reading::EightBit;
}

}  // namespace

OutgoingText PrepareText(std::string_view recordText, Alphabet alphabet) {
    std::string_view text = recordText;
    OutgoingText out;
    const bool ucs2 = Consume(text, kUcs2Marker);
    if (text.starts_with(kClassMarker) && text.size() >= kClassMarkerLength) {
        const char digit = text[kClassMarker.size()];
        if (digit >= '0' && digit <= '3')
            out.messageClass = digit - '0';
        text.remove_prefix(kClassMarkerLength);
    }
    if (ucs2) {
        const std::optional<std::string> octets = HexOctets(text);
        if (!octets || octets->size() % 2 != 0)
            return Refused(recordText);
        AsUcs2(out);
        out.text = Utf16Units(*octets);
        return out;
    }
    if (text.starts_with(kBusinessCard)) {
        out.dataCoding = kDataCodingBusinessCard;
        out.coding = Coding::Octet;
        out.form = Form::Octets;
        out.text = OctetChars(TsmsPduCodec::UnescapeHex(text));
        out.portElement = kVCardPortElement;
        return out;
    }
    if (Consume(text, kBinaryMarker)) {
        const std::optional<std::string> octets = HexOctets(text);
        if (!octets)
            return Refused(recordText);
        out.dataCoding = kDataCodingBinary;
        out.coding = Coding::Octet;
        out.form = Form::Octets;
        out.text = OctetChars(*octets);
        return out;
    }
    if (alphabet == Alphabet::CodePage) {
        out.form = Form::CodePage;
        out.text = AnsiToWide(text);
        return out;
    }
    out.text = AnsiToWide(TsmsPduCodec::UnescapeHex(text));
    if (alphabet == Alphabet::Gsm && gsm7::CanEncode(out.text))
        return out;
    if (alphabet == Alphabet::Latin1 && FitsLatin1(out.text)) {
        out.dataCoding = kDataCodingLatin1;
        out.coding = Coding::Octet;
        out.form = Form::Octets;
        return out;
    }
    AsUcs2(out);
    return out;
}

std::string EncodeText(std::u16string_view text, const OutgoingText& prepared) {
    switch (prepared.form) {
        case Form::Septets:
            return gsm7::EncodeUnpacked(text).value_or(std::string());
        case Form::CodePage:
            return WideToAnsi(text);
        case Form::Octets: {
            std::string octets;
            octets.reserve(text.size());
            for (char16_t c : text)
                octets.push_back(static_cast<char>(c & 0xFF));
            return octets;
        }
        case Form::Utf16:
            break;
    }
    std::string octets;
    octets.reserve(text.size() * 2);
    for (char16_t c : text) {
        octets.push_back(static_cast<char>(c >> 8));
        octets.push_back(static_cast<char>(c & 0xFF));
    }
    return octets;
}

std::string RecordText(std::u16string_view text) {
    for (char16_t c : text) {
        if (c != u'?' && WideCharToAnsi(c) == '?') {
            std::string hex(kUcs2Marker);
            hex.reserve(kUcs2Marker.size() + text.size() * 4);
            for (char16_t unit : text) {
                pdu::AppendHexOctet(hex, unit >> 8);
                pdu::AppendHexOctet(hex, unit & 0xFF);
            }
            return hex;
        }
    }
    return TsmsPduCodec::EscapeLineBreaks(WideToAnsi(text));
}

std::string DecodeText(std::string_view octets, int dataCoding, Alphabet alphabet) {
    Reading reading = ReadingOf(dataCoding);
    if (reading == Reading::Default) {
        if (alphabet == Alphabet::CodePage)
            return std::string(octets);
        reading = alphabet == Alphabet::Latin1 ? Reading::Latin1 : Reading::Gsm;
    }
    switch (reading) {
        case Reading::EightBit:
            return std::string(kBinaryMarker) + pdu::HexOfBytes(octets);
        case Reading::Ucs2:
            return RecordText(Utf16Units(octets));
        case Reading::Latin1:
            return RecordText(OctetChars(octets));
        case Reading::Ia5: {
            std::string ascii(octets);
            for (char& c : ascii)
                c = static_cast<char>(c & 0x7F);
            return RecordText(OctetChars(ascii));
        }
        case Reading::Default:
        case Reading::Gsm:
            break;
    }
    return RecordText(gsm7::DecodeUnpacked(octets));
}

}  // namespace nimbra::smpp
