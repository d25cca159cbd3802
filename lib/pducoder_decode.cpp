// Decoding: SMS-DELIVER and SMS-STATUS-REPORT PDUs, and the collection of concatenated
// messages in the part store. Positions count hexadecimal characters.

#include <algorithm>
#include <climits>
#include <vector>

#include "codepage.h"
#include "pducoder.h"
#include "pducoder_fields.h"
#include "pducoder_parts.h"
#include "pducoder_septets.h"
#include "unStrings.h"

namespace nimbra {
namespace {

using pdu::AddressField;
using pdu::BytesOfHex;
using pdu::DecodeAddress;
using pdu::FillBits;
using pdu::HeaderSeptets;
using pdu::OctetAt;
using pdu::ReadAddressField;

constexpr int kMtiDeliver = 0;
constexpr int kMtiStatusReport = 2;
constexpr int kTpStatusReceived = 0x00;
constexpr int kTpStatusForwarded = 0x01;
constexpr int kTpStatusTryingFirst = 0x20;
constexpr int kTpStatusTryingLast = 0x3F;
constexpr int kDcsBusinessCard = 0xF5;
constexpr std::uint8_t kCr = 13;
constexpr std::size_t kTimeStampChars = 14;
// Stored 7-bit parts are aligned as behind a 6-octet header: one fill bit.
constexpr unsigned kStoredFillBits = 1;

enum class Alphabet { kSevenBit, kEightBit, kUcs2 };

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

struct Deliver {
    int dcs = 0;
    int udl = 0;
    Alphabet alphabet = Alphabet::kSevenBit;
    std::string_view userData;     // all of TP-UD
    std::size_t headerOctets = 0;  // the honoured header with its length octet, or 0
    bool concatenated = false;
    pdu::Concatenation concatenation;
    std::vector<std::string> parts;  // every part's line once the message is complete

    std::string_view Payload() const { return userData.substr(2 * headerOctets); }
};

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
    pdu::Concatenation& c = d.concatenation;
    switch (pdu::FindConcatenation(d.userData.substr(2, 2 * d.headerOctets - 2), c)) {
        case pdu::HeaderScan::kMalformed:
            return false;
        case pdu::HeaderScan::kPlain:
            return true;
        case pdu::HeaderScan::kConcatenated:
            break;
    }
    if (c.total < 1 || c.part < 1 || c.part > c.total)
        return false;
    // More parts than are held: each part is delivered on its own.
    d.concatenated = c.total <= kMaxHeldParts;
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
    const PduPartKey key{sender, d.concatenation.stem};
    store.Store(key, d.concatenation.part,
                PartLine(d));  // a part that cannot be stored stays missing
    std::optional<std::vector<std::string>> lines = store.Collect(key, d.concatenation.total);
    if (!lines || !std::all_of(lines->begin(), lines->end(),
                               [](const std::string& line) { return pdu::IsUpperHex(line); })) {
        return false;
    }
    if (deletePartsWhenComplete)
        store.Remove(key, d.concatenation.total);
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
    result.status = ReportStatus(status);
    result.kind = kTypeDeliveryReport;
    result.text = "Delivery report (" + result.sender + "," + result.dischargeTime + "," +
                  result.reference + "," + result.status + ")";
    return result;
}

}  // namespace

std::string ReportStatus(int tpStatus) {
    return tpStatus == kTpStatusReceived || tpStatus == kTpStatusForwarded
               ? std::string(kStatusDelivered)
               : std::to_string(tpStatus);
}

bool IsReportStillTrying(std::string_view status) {
    int value = 0;
    return ParseInt32(status, value) && value >= kTpStatusTryingFirst &&
           value <= kTpStatusTryingLast;
}

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
