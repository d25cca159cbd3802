// Decoding: SMS-DELIVER and SMS-STATUS-REPORT PDUs, and the collection of concatenated
// messages in the part store. Positions count hexadecimal characters.

#include <algorithm>
#include <climits>
#include <vector>

#include "codepage.h"
#include "pducoder.h"
#include "pducoder_parts.h"
#include "pducoder_septets.h"
#include "unStrings.h"

namespace nimbra {
namespace {

using pdu::BytesOfHex;
using pdu::OctetAt;

constexpr int kMtiDeliver = 0;
constexpr int kMtiStatusReport = 2;
constexpr int kDcsBusinessCard = 0xF5;
constexpr std::uint8_t kCr = 13;
constexpr std::size_t kTimeStampChars = 14;
// Stored 7-bit parts are aligned as behind a 6-octet header: one fill bit.
constexpr unsigned kStoredFillBits = 1;

enum class Alphabet { kSevenBit, kEightBit, kUcs2 };

// Fill bits that align the septets after a header of headerOctets to a septet boundary.
unsigned FillBits(std::size_t headerOctets) {
    return static_cast<unsigned>((7 - headerOctets * 8 % 7) % 7);
}

long HeaderSeptets(std::size_t headerOctets) {
    return static_cast<long>((headerOctets * 8 + FillBits(headerOctets)) / 7);
}

// "yyyy-mm-dd hh:nn:ss" from the semi-octet time stamp, the year in this century (the time
// zone is ignored).
std::string TimeStampText(std::string_view stamp) {
    static constexpr char kSeparators[] = "-- ::";
    std::string text = "20";
    text.reserve(19);
    for (std::size_t i = 0; i < 6; ++i) {
        text.push_back(stamp[2 * i + 1]);
        text.push_back(stamp[2 * i]);
        if (i < 5)
            text.push_back(kSeparators[i]);
    }
    return text;
}

std::string WithoutLineBreaks(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

// An originator or recipient address field: digit count, type of address, semi-octets.
struct AddressField {
    int length = 0;
    int type = 0;
    std::string_view digits;
    std::size_t end = 0;  // position after the field
};

// False when the count or the type is missing. The digits may run past the end of the PDU;
// the caller checks the fields after them, which lie beyond end.
bool ReadAddressField(std::string_view tpdu, std::size_t pos, AddressField& field) {
    field.length = OctetAt(tpdu, pos);
    field.type = OctetAt(tpdu, pos + 2);
    if (field.length < 0 || field.type < 0)
        return false;
    const auto chars = static_cast<std::size_t>(field.length + (field.length & 1));
    field.digits = tpdu.substr(pos + 4, chars);
    field.end = pos + 4 + chars;
    return true;
}

// Semi-octet digits swapped back ("+" in front for an international number or type 0), or
// 7-bit text for an alphanumeric address.
std::string DecodeAddress(const AddressField& field, const PduTables& tables, bool convert) {
    std::string address;
    if ((field.type & 0x70) == 0x50) {
        pdu::SeptetReader reader(field.digits);
        pdu::SeptetDecoder decoder(tables, convert);
        pdu::DecodeSeptets(reader, field.length * 4L / 7, decoder, address);
        return address;
    }
    address.reserve(field.digits.size() + 1);
    if (field.type == 0x91 || field.type == 0)
        address.push_back('+');
    for (std::size_t i = 0; i + 1 < field.digits.size(); i += 2) {
        address.push_back(field.digits[i + 1]);
        address.push_back(field.digits[i]);
    }
    if (!address.empty() && address.back() == 'F')
        address.pop_back();
    return address;
}

struct Deliver {
    int dcs = 0;
    int udl = 0;
    Alphabet alphabet = Alphabet::kSevenBit;
    std::string_view userData;     // all of TP-UD
    std::size_t headerOctets = 0;  // the honoured header with its length octet, or 0
    bool concatenated = false;
    std::string_view stem;
    int total = 0;
    int part = 0;
    std::vector<std::string> parts;  // every part's line once the message is complete

    std::string_view Payload() const { return userData.substr(2 * headerOctets); }
};

enum class HeaderScan { kMalformed, kPlain, kConcatenated };

// Looks for the concatenation element (00: 8-bit reference, 08: 16-bit reference) among the
// header's elements; an element running past the header makes it malformed.
HeaderScan FindConcatenation(std::string_view elements, Deliver& d) {
    bool found = false;
    for (std::size_t i = 0; i < elements.size();) {
        const int id = OctetAt(elements, i);
        const int length = OctetAt(elements, i + 2);
        if (id < 0 || length < 0)
            return HeaderScan::kMalformed;
        const std::size_t end = i + 4 + 2 * static_cast<std::size_t>(length);
        if (end > elements.size())
            return HeaderScan::kMalformed;
        if (!found && ((id == 0x00 && length == 3) || (id == 0x08 && length == 4))) {
            d.stem = elements.substr(i, end - i - 4);
            d.total = OctetAt(elements, end - 4);
            d.part = OctetAt(elements, end - 2);
            found = true;
        }
        i = end;
    }
    return found ? HeaderScan::kConcatenated : HeaderScan::kPlain;
}

// Reads the user data header; false when it is malformed.
bool ReadHeader(Deliver& d) {
    const int length = OctetAt(d.userData, 0);
    if (length < 0)
        return false;
    d.headerOctets = static_cast<std::size_t>(length) + 1;
    if (d.userData.size() < 2 * d.headerOctets)
        return false;
    if (d.dcs == kDcsBusinessCard)
        return true;  // business cards are never collected
    switch (FindConcatenation(d.userData.substr(2, 2 * d.headerOctets - 2), d)) {
        case HeaderScan::kMalformed:
            return false;
        case HeaderScan::kPlain:
            return true;
        case HeaderScan::kConcatenated:
            break;
    }
    if (d.total < 1 || d.part < 1 || d.part > d.total)
        return false;
    // More parts than are held: each part is delivered on its own.
    d.concatenated = d.total <= kMaxHeldParts;
    return true;
}

class TpduDecoder {
public:
    TpduDecoder(const PduTables& tables, const PduCodecOptions& options)
        : tables_(tables), options_(options) {}

    PduDecodeResult DecodeDeliver(std::string_view tpdu, std::string_view pdu, bool convertUcs2,
                                  bool deletePartsWhenComplete) const;
    PduDecodeResult DecodeStatusReport(std::string_view tpdu) const;

private:
    std::string PartLine(const Deliver& d) const;
    bool CollectParts(Deliver& d, std::string_view sender, bool deletePartsWhenComplete) const;
    std::string SevenBitText(const Deliver& d) const;
    std::string Text(const Deliver& d, bool convertUcs2) const;

    const PduTables& tables_;
    const PduCodecOptions& options_;
};

PduDecodeResult TpduDecoder::DecodeDeliver(std::string_view tpdu, std::string_view pdu,
                                           bool convertUcs2, bool deletePartsWhenComplete) const {
    PduDecodeResult result;
    const int firstOctet = OctetAt(tpdu, 0);
    AddressField originator;
    if (firstOctet < 0 || !ReadAddressField(tpdu, 2, originator))
        return result;
    const std::size_t pid = originator.end;
    if (tpdu.size() < pid + 20)  // PID, DCS, SCTS, UDL
        return result;

    Deliver d;
    d.dcs = OctetAt(tpdu, pid + 2);
    d.udl = OctetAt(tpdu, pid + 18);
    d.userData = tpdu.substr(pid + 20);
    if (d.dcs & 0x08)
        d.alphabet = Alphabet::kUcs2;
    else if ((d.dcs & 0xF0) == 0xF0 && (d.dcs & 0x04))
        d.alphabet = Alphabet::kEightBit;
    const bool headerHonoured = (firstOctet & 0x40) && options_.decodePdu;
    if (headerHonoured && !ReadHeader(d))
        return result;

    result.sender = DecodeAddress(originator, tables_, options_.convert7Bit);
    result.timestamp = TimeStampText(tpdu.substr(pid + 4, kTimeStampChars));
    if (d.concatenated && !CollectParts(d, result.sender, deletePartsWhenComplete))
        return result;  // waits for its other parts
    result.text = options_.decodePdu ? Text(d, convertUcs2) : "_PDU_" + std::string(pdu);
    result.kind = kTypeMessage;
    return result;
}

// What the part store keeps of a part: the user data after the header; 7-bit septets
// re-aligned behind one fill bit, TP-UDL septets only, and a CR in seven spare bits.
std::string TpduDecoder::PartLine(const Deliver& d) const {
    if (d.alphabet != Alphabet::kSevenBit)
        return std::string(d.Payload());
    std::string line;
    pdu::SeptetReader reader(d.Payload(), FillBits(d.headerOctets));
    pdu::SeptetWriter writer(line, kStoredFillBits);
    const long septets = d.udl - HeaderSeptets(d.headerOctets);
    long count = 0;
    std::uint8_t septet = 0;
    for (; count < septets && reader.Next(septet); ++count)
        writer.Put(septet);
    if (count > 0 && (kStoredFillBits + 7 * count) % 8 == 1)
        writer.Put(kCr);
    writer.Finish();
    return line;
}

bool TpduDecoder::CollectParts(Deliver& d, std::string_view sender,
                               bool deletePartsWhenComplete) const {
    const PduPartStore store(options_.partsFolder);
    const PduPartKey key{sender, d.stem};
    store.Store(key, d.part, PartLine(d));  // a part that cannot be stored stays missing
    std::optional<std::vector<std::string>> lines = store.Collect(key, d.total);
    if (!lines || !std::all_of(lines->begin(), lines->end(),
                               [](const std::string& line) { return pdu::IsUpperHex(line); })) {
        return false;
    }
    if (deletePartsWhenComplete)
        store.Remove(key, d.total);
    d.parts = std::move(*lines);
    return true;
}

std::string TpduDecoder::SevenBitText(const Deliver& d) const {
    pdu::SeptetDecoder decoder(tables_, options_.convert7Bit);
    std::string text;
    text.reserve(d.userData.size());
    if (d.concatenated) {
        for (const std::string& line : d.parts) {
            pdu::SeptetReader reader(line, kStoredFillBits);
            pdu::DecodeSeptets(reader, LONG_MAX, decoder, text);
        }
    } else {
        pdu::SeptetReader reader(d.Payload(), FillBits(d.headerOctets));
        pdu::DecodeSeptets(reader, d.udl - HeaderSeptets(d.headerOctets), decoder, text);
    }
    return WithoutLineBreaks(std::move(text));
}

std::string TpduDecoder::Text(const Deliver& d, bool convertUcs2) const {
    if (d.alphabet == Alphabet::kSevenBit)
        return SevenBitText(d);
    if (d.alphabet == Alphabet::kEightBit && d.dcs == kDcsBusinessCard)
        return TsmsPduCodec::EscapeLineBreaks(BytesOfHex(d.Payload()));
    std::string hex;
    if (d.concatenated) {
        for (const std::string& line : d.parts)
            hex += line;
    } else {
        hex = d.Payload();
    }
    if (d.alphabet == Alphabet::kEightBit)
        return "_B64_" + hex;
    if (convertUcs2)
        return WithoutLineBreaks(WideToAnsi(HexToWide(hex)));
    return "_UCS2_" + hex;
}

PduDecodeResult TpduDecoder::DecodeStatusReport(std::string_view tpdu) const {
    PduDecodeResult result;
    const int reference = OctetAt(tpdu, 2);
    AddressField recipient;
    if (reference < 0 || !ReadAddressField(tpdu, 4, recipient))
        return result;
    const std::size_t stamps = recipient.end;
    const int status = OctetAt(tpdu, stamps + 2 * kTimeStampChars);
    if (status < 0)
        return result;

    result.sender = DecodeAddress(recipient, tables_, options_.convert7Bit);
    result.timestamp = TimeStampText(tpdu.substr(stamps, kTimeStampChars));
    result.dischargeTime = TimeStampText(tpdu.substr(stamps + kTimeStampChars, kTimeStampChars));
    result.reference = std::to_string(reference);
    result.status = std::to_string(status);
    if (status == 0) {
        result.kind = kTypeDeliveryReport;
        result.text = "Delivery report (" + result.sender + "," + result.dischargeTime + "," +
                      result.reference + "," + result.status + ")";
    }
    return result;
}

}  // namespace

std::string TsmsPduCodec::Unpack7Bit(std::string_view hex, int maxSeptets, bool convert) const {
    pdu::SeptetReader reader(hex);
    pdu::SeptetDecoder decoder(tables_, convert);
    std::string text;
    pdu::DecodeSeptets(reader, maxSeptets, decoder, text);
    return text;
}

PduDecodeResult TsmsPduCodec::Decode(std::string_view pdu, bool convertUcs2,
                                     bool deletePartsWhenComplete) {
    if (!IsPdu(pdu, false))
        return {};
    // The last character is allowed to be anything (a line end, say); it is no part of the PDU.
    if (pdu::HexValue(pdu.back()) < 0)
        pdu.remove_suffix(1);
    const auto smscOctets = static_cast<std::size_t>(pdu::HexValue(pdu[1]));
    if (pdu.size() < 2 * smscOctets + 4)
        return {};
    const std::string_view tpdu = pdu.substr(2 * smscOctets + 2);
    const TpduDecoder decoder(tables_, options_);
    switch (OctetAt(tpdu, 0) & 0x03) {
        case kMtiDeliver:
            return decoder.DecodeDeliver(tpdu, pdu, convertUcs2, deletePartsWhenComplete);
        case kMtiStatusReport:
            return decoder.DecodeStatusReport(tpdu);
        default:
            return {};
    }
}

}  // namespace nimbra
