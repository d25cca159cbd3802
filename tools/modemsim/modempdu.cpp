#include "modempdu.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "pducoder_fields.h"
#include "pducoder_septets.h"
#include "unDate.h"
#include "unGSMSMS.h"

namespace modemsim {
namespace {

using nimbra::pdu::AppendHexOctet;
using nimbra::pdu::OctetAt;

constexpr int kMtiMask = 0x03;
constexpr int kMtiSubmit = 0x01;
constexpr int kStatusReportRequest = 0x20;
constexpr int kUserDataHeader = 0x40;
constexpr int kMoreMessagesNotWaiting = 0x04;  // TP-MMS of a deliver or report
constexpr int kMtiStatusReport = 0x02;
constexpr int kAlphanumericType = 0xD0;
constexpr std::size_t kMaxAlphanumeric = 11;

enum class Alphabet { kSevenBit, kEightBit, kUcs2 };

Alphabet AlphabetOf(int dcs) {
    if ((dcs & 0xC0) == 0) {
        switch ((dcs >> 2) & 0x03) {
            case 1:
                return Alphabet::kEightBit;
            case 2:
                return Alphabet::kUcs2;
            default:
                return Alphabet::kSevenBit;
        }
    }
    if ((dcs & 0xF0) == 0xF0)
        return (dcs & 0x04) ? Alphabet::kEightBit : Alphabet::kSevenBit;
    return (dcs & 0xF0) == 0xE0 ? Alphabet::kUcs2 : Alphabet::kSevenBit;
}

// Octets of TP-VP for the validity period format bits of the first octet.
std::size_t ValidityOctets(int firstOctet) {
    switch ((firstOctet >> 3) & 0x03) {
        case 0:
            return 0;
        case 2:
            return 1;  // relative
        default:
            return 7;  // enhanced or absolute
    }
}

std::optional<Submit> Fail(std::string& error, const char* text) {
    error = text;
    return std::nullopt;
}

// Reads the header and the text of the user data.
bool ReadUserData(std::string_view userData, int udl, bool header, Submit& submit,
                  std::string& error) {
    const Alphabet alphabet = AlphabetOf(submit.dcs);
    const std::size_t octets = alphabet == Alphabet::kSevenBit
                                   ? (static_cast<std::size_t>(udl) * 7 + 7) / 8
                                   : static_cast<std::size_t>(udl);
    if (userData.size() != 2 * octets) {
        error = "the user data does not have the length TP-UDL gives";
        return false;
    }
    std::size_t headerOctets = 0;
    if (header) {
        const int length = OctetAt(userData, 0);
        headerOctets = static_cast<std::size_t>(length) + 1;
        if (length < 0 || userData.size() < 2 * headerOctets) {
            error = "the user data header does not fit the user data";
            return false;
        }
        nimbra::pdu::Concatenation concatenation;
        const std::string_view elements = userData.substr(2, 2 * headerOctets - 2);
        switch (nimbra::pdu::FindConcatenation(elements, concatenation)) {
            case nimbra::pdu::HeaderScan::kMalformed:
                error = "an element of the user data header runs past it";
                return false;
            case nimbra::pdu::HeaderScan::kConcatenated:
                if (concatenation.part < 1 || concatenation.part > concatenation.total) {
                    error = "the part number is outside the part count";
                    return false;
                }
                submit.partCount = concatenation.total;
                submit.partIndex = concatenation.part;
                break;
            case nimbra::pdu::HeaderScan::kPlain:
                break;
        }
    }
    const std::string_view payload = userData.substr(2 * headerOctets);
    switch (alphabet) {
        case Alphabet::kSevenBit: {
            nimbra::pdu::SeptetReader reader(payload, nimbra::pdu::FillBits(headerOctets));
            nimbra::pdu::SeptetDecoder decoder(nimbra::PduConversionTables(), true);
            const long septets = udl - nimbra::pdu::HeaderSeptets(headerOctets);
            nimbra::pdu::DecodeSeptets(reader, septets, decoder, submit.text);
            break;
        }
        case Alphabet::kEightBit:
            submit.text = "_B64_" + std::string(payload);
            break;
        case Alphabet::kUcs2:
            submit.text = "_UCS2_" + std::string(payload);
            break;
    }
    return true;
}

bool IsNumber(std::string_view address) {
    if (address.starts_with('+'))
        address.remove_prefix(1);
    return !address.empty() && std::all_of(address.begin(), address.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// A number as its semi-octets; anything else as an alphanumeric address of at most 11
// characters, whose length counts the semi-octets its septets fill.
std::string OriginatorField(std::string_view originator, const nimbra::TsmsPduCodec& codec) {
    if (IsNumber(originator))
        return nimbra::TsmsPduCodec::EncodeAddress(originator, true);
    const nimbra::Packed7Bit packed = codec.Pack7Bit(originator.substr(0, kMaxAlphanumeric));
    std::string field;
    AppendHexOctet(field, static_cast<unsigned>((packed.septetCount * 7 + 3) / 4));
    AppendHexOctet(field, kAlphanumericType);
    return field + packed.hex;
}

void AppendTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value % 10));
    out.push_back(static_cast<char>('0' + value / 10 % 10));
}

}  // namespace

std::optional<Submit> DecodeSubmit(std::string_view text, std::string& error) {
    std::string pdu(text);
    std::transform(pdu.begin(), pdu.end(), pdu.begin(),
                   [](char c) { return static_cast<char>(std::toupper(c)); });
    if (pdu.empty() || pdu.size() % 2 != 0 || !nimbra::pdu::IsUpperHex(pdu))
        return Fail(error, "not an even number of hexadecimal digits");
    const int smscOctets = OctetAt(pdu, 0);
    if (pdu.size() < 2 * static_cast<std::size_t>(smscOctets) + 4)
        return Fail(error, "shorter than its SMSC part");
    const std::string_view tpdu = std::string_view(pdu).substr(2 * smscOctets + 2);
    const int firstOctet = OctetAt(tpdu, 0);
    if ((firstOctet & kMtiMask) != kMtiSubmit)
        return Fail(error, "not an SMS-SUBMIT");
    nimbra::pdu::AddressField destination;
    if (OctetAt(tpdu, 2) < 0 || !nimbra::pdu::ReadAddressField(tpdu, 4, destination) ||
        destination.end > tpdu.size()) {
        return Fail(error, "the destination address is cut short");
    }
    const std::size_t pid = destination.end;
    const std::size_t udl = pid + 4 + 2 * ValidityOctets(firstOctet);
    if (tpdu.size() < udl + 2)
        return Fail(error, "cut short before TP-UDL");

    Submit submit;
    submit.tpduLength = static_cast<int>(tpdu.size() / 2);
    submit.statusReport = (firstOctet & kStatusReportRequest) != 0;
    submit.destination =
        nimbra::pdu::DecodeAddress(destination, nimbra::PduConversionTables(), true);
    submit.dcs = OctetAt(tpdu, pid + 2);
    if (!ReadUserData(tpdu.substr(udl + 2), OctetAt(tpdu, udl), (firstOctet & kUserDataHeader) != 0,
                      submit, error)) {
        return std::nullopt;
    }
    return submit;
}

std::string SmscPart(std::string_view smsc) {
    return smsc.empty() ? "00" : nimbra::TsmsPduCodec::SmscAddress(smsc);
}

std::string TimeStamp(const LocalTime& time) {
    const nimbra::CivilDateTime c = nimbra::DecodeDateTime(nimbra::EpochToDateTime(time.seconds));
    std::string stamp;
    for (const int value : {c.year % 100, c.month, c.day, c.hour, c.minute, c.second})
        AppendTwoDigits(stamp, value);
    // The zone's quarter hours, with the sign in bit 3 of the tens digit.
    const int quarters = std::abs(time.zoneQuarterHours) % 80;
    stamp.push_back(static_cast<char>('0' + quarters % 10));
    static constexpr char kDigits[] = "0123456789ABCDEF";
    stamp.push_back(kDigits[quarters / 10 + (time.zoneQuarterHours < 0 ? 8 : 0)]);
    return stamp;
}

std::vector<DeliverPart> DeliverPdus(std::string_view smsc, std::string_view originator,
                                     std::string_view text, const LocalTime& stamp,
                                     nimbra::PduReferenceStore& references, std::string& error) {
    nimbra::TsmsPduCodec codec(references, nimbra::PduCodecOptions{});
    const std::string head = SmscPart(smsc);
    const std::string originatorField = OriginatorField(originator, codec);
    const int count = nimbra::PartCount(text);
    std::vector<DeliverPart> parts;
    for (int n = 1; n <= count; ++n) {
        std::string partText = count == 1 ? std::string(text) : nimbra::PartText(text, n);
        nimbra::PreparedUserData data = codec.PrepareUserData(partText, count, n);
        if (AlphabetOf(nimbra::pdu::OctetAt(data.dcs, 0)) == Alphabet::kUcs2)
            data.octetMode = true;
        std::string tpdu;
        AppendHexOctet(tpdu, kMoreMessagesNotWaiting | (data.udh.empty() ? 0 : kUserDataHeader));
        tpdu += originatorField + data.pid + data.dcs + TimeStamp(stamp);
        if (!data.valid || !codec.AppendUserData(data, tpdu)) {
            error = "part " + std::to_string(n) + " does not fit one SMS";
            return {};
        }
        parts.push_back({{head + tpdu, static_cast<int>(tpdu.size() / 2)}, std::move(partText)});
    }
    return parts;
}

StoredPdu StatusReportPdu(std::string_view smsc, const ReportFields& report) {
    std::string tpdu;
    AppendHexOctet(tpdu, kMtiStatusReport | kMoreMessagesNotWaiting);
    AppendHexOctet(tpdu, static_cast<unsigned>(report.reference & 0xFF));
    tpdu += nimbra::TsmsPduCodec::EncodeAddress(report.recipient, true);
    tpdu += TimeStamp(report.submitted) + TimeStamp(report.discharged);
    AppendHexOctet(tpdu, static_cast<unsigned>(report.status & 0xFF));
    return {SmscPart(smsc) + tpdu, static_cast<int>(tpdu.size() / 2)};
}

}  // namespace modemsim
