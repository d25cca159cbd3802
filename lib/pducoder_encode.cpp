// Encoding: addresses, user data preparation and SMS-SUBMIT PDUs.

#include <algorithm>

#include "pducoder.h"
#include "pducoder_fields.h"
#include "pducoder_septets.h"
#include "unStrings.h"

namespace nimbra {
namespace {

using pdu::AppendHexOctet;
using pdu::HexOfBytes;
using pdu::HexValue;

// Concatenation references run from 60 to 240; 241 wraps to 60.
constexpr int kFirstReference = 60;
constexpr int kLastReference = 240;
constexpr int kDefaultStoredReference = 0x60;
// What one SMS can carry: 140 octets, or 160 septets of 7-bit text.
constexpr int kMaxUserDataOctets = 140;
constexpr int kMaxUserDataSeptets = 160;

constexpr std::string_view kVCardHeader = "06050423F40000";  // port 9204 from port 0

// Two hexadecimal digits of either case; anything else reads as the default.
int ParseStoredReference(std::string_view stored) {
    constexpr auto digit = pdu::HexValueAnyCase;
    if (stored.size() != 2 || digit(stored[0]) < 0 || digit(stored[1]) < 0)
        return kDefaultStoredReference;
    return digit(stored[0]) * 16 + digit(stored[1]);
}

}  // namespace

std::string TsmsPduCodec::EncodeAddress(std::string_view number, bool withLength) {
    std::string digits;
    digits.reserve(number.size() + 1);
    for (char c : number) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    const std::size_t count = digits.size();
    if (count % 2 != 0)
        digits.push_back('F');
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        std::swap(digits[i], digits[i + 1]);
    std::string out = withLength ? ByteToHex2(static_cast<long long>(count)) : std::string();
    out += (!number.empty() && number.front() == '+') ? "91" : "81";
    out += digits;
    return out;
}

std::string TsmsPduCodec::SmscAddress(std::string_view smsc) {
    const auto digits =
        std::count_if(smsc.begin(), smsc.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::string part;
    AppendHexOctet(part, static_cast<unsigned>(1 + (digits + 1) / 2));
    return part + EncodeAddress(smsc, false);
}

std::string TsmsPduCodec::NextReference(bool advance) {
    int reference = ParseStoredReference(references_.Read());
    if (advance && ++reference > kLastReference)
        reference = kFirstReference;
    std::string text;
    AppendHexOctet(text, static_cast<unsigned>(reference));
    references_.Write(text);
    return text;
}

PreparedUserData TsmsPduCodec::PrepareUserData(std::string_view text, int partCount,
                                               int partIndex) {
    PreparedUserData d;
    bool ucs2 = false;
    if (text.starts_with("_UCS2_")) {
        text.remove_prefix(6);
        ucs2 = true;
    }
    if (text.starts_with("_CLASS")) {
        // Only the four message classes 0-3 are taken: any other character would make the
        // DCS unreadable or claim another alphabet, so such a marker just goes.
        const char digit = text.size() > 6 ? text[6] : '\0';
        if (digit >= '0' && digit <= '3')
            d.dcs = std::string("1") + digit;
        text.remove_prefix(std::min<std::size_t>(8, text.size()));
    }
    const bool vCard = text.starts_with("BEGIN:VCARD");
    if (vCard) {
        d.udh = kVCardHeader;
        d.dcs = "F5";
        d.octetMode = true;
        d.text = HexOfBytes(UnescapeHex(text));
    } else if (text.starts_with("_B64_")) {
        d.dcs = "F7";
        d.octetMode = true;
        d.text = text.substr(5);
    } else {
        d.text = text;
    }
    if (partCount > 1) {
        if (partCount > 255 || partIndex < 1 || partIndex > partCount) {
            d.valid = false;
            return d;
        }
        d.udh = "050003" + NextReference(partIndex == 1);
        AppendHexOctet(d.udh, static_cast<unsigned>(partCount));
        AppendHexOctet(d.udh, static_cast<unsigned>(partIndex));
    }
    // Counted from the header actually sent, so TP-UDL always matches the user data.
    if (vCard)
        d.udlOverride = static_cast<int>((d.udh.size() + d.text.size()) / 2);
    if (ucs2) {
        const int dcs = HexValue(d.dcs[0]) * 16 + HexValue(d.dcs[1]);
        d.dcs.clear();
        AppendHexOctet(d.dcs, static_cast<unsigned>(dcs + 8));
    }
    return d;
}

PduSubmit TsmsPduCodec::EncodeSubmit(std::string_view recipient, std::string_view smsc,
                                     std::string_view text, int partCount, int partIndex,
                                     bool statusReport) {
    if (text.starts_with("_PDU_")) {
        const std::string_view ready = text.substr(5);
        const int first = pdu::OctetAt(ready, 0);
        const long length =
            first < 0 ? 0 : (static_cast<long>(ready.size()) - 2L * (first + 1)) / 2;
        return {std::string(ready), static_cast<int>(std::max(0L, length))};
    }
    PreparedUserData data = PrepareUserData(text, partCount, partIndex);
    if (!data.valid)
        return {};
    const int dcs = HexValue(data.dcs[0]) * 16 + HexValue(data.dcs[1]);
    if (dcs & 0x08)
        data.octetMode = true;

    unsigned firstOctet = 0x01;
    if (statusReport)
        firstOctet |= 0x20;
    if (!data.udh.empty())
        firstOctet |= 0x40;
    PduSubmit submit;
    std::string& out = submit.pdu;
    out.reserve(96 + data.udh.size() + data.text.size() * 2);
    out = options_.includeSmsc ? SmscAddress(smsc) : "00";
    const std::size_t tpduStart = out.size();
    AppendHexOctet(out, firstOctet);
    out += "00";
    out += EncodeAddress(recipient, true);
    out += data.pid;
    out += data.dcs;
    if (!AppendUserData(data, out))
        return {};
    submit.tpduLength = static_cast<int>((out.size() - tpduStart) / 2);
    return submit;
}

// TP-UDL and TP-UD. In 7-bit mode the septets follow the header after the fill bits that
// align them to a septet boundary (the first character then shares the header's last octet).
bool TsmsPduCodec::AppendUserData(const PreparedUserData& data, std::string& out) const {
    const std::size_t lengthAt = out.size();
    out += "00";  // TP-UDL, known once the user data is written
    out += data.udh;
    int length = 0;
    int limit = kMaxUserDataOctets;
    if (data.octetMode) {
        out += data.text;
        length = data.udlOverride != 0 ? data.udlOverride
                                       : static_cast<int>((out.size() - lengthAt - 2) / 2);
    } else {
        const std::size_t headerOctets = data.udh.size() / 2;
        const auto headerSeptets = static_cast<int>(pdu::HeaderSeptets(headerOctets));
        const auto fill = static_cast<unsigned>(headerSeptets * 7 - headerOctets * 8);
        std::string unescaped;
        std::string_view text = data.text;
        if (text.find('\\') != std::string_view::npos) {
            unescaped = UnescapeHex(text);
            text = unescaped;
        }
        pdu::SeptetWriter writer(out, fill);
        length = headerSeptets + pdu::PutTextSeptets(text, options_.convert7Bit, tables_, writer);
        writer.Finish();
        limit = kMaxUserDataSeptets;
    }
    // A device refuses a longer PDU; an empty one tells the caller so at once.
    if (length > limit)
        return false;
    std::string udl;
    AppendHexOctet(udl, static_cast<unsigned>(length));
    out.replace(lengthAt, 2, udl);
    return true;
}

Packed7Bit TsmsPduCodec::Pack7Bit(std::string_view text) const {
    Packed7Bit packed;
    pdu::SeptetWriter writer(packed.hex);
    packed.septetCount = pdu::PutTextSeptets(text, options_.convert7Bit, tables_, writer);
    writer.Finish();
    return packed;
}

PduPart TsmsPduCodec::EncodePart(const TGsmSms& record, int n, bool statusReport,
                                 std::string_view smsc) {
    const int count = PartCount(record.text);
    if (count == 1) {
        PduSubmit submit = EncodeSubmit(record.receiver, smsc, record.text, 1, 1, statusReport);
        return {std::move(submit.pdu), submit.tpduLength, false};
    }
    if (n < 1 || n > count)
        return {};
    PduSubmit submit =
        EncodeSubmit(record.receiver, smsc, PartText(record.text, n), count, n, statusReport);
    return {std::move(submit.pdu), submit.tpduLength, n < count};
}

}  // namespace nimbra
