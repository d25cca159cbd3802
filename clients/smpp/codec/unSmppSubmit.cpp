// The submit_sm body: addresses typed by their first character, the prepared user data, the
// validity period six days ahead and the dest_addr_subunit parameter.
#include <cstdio>

#include "pducoder.h"
#include "pducoder_septets.h"
#include "unDate.h"
#include "unSmppCodec.h"
#include "unStrings.h"

namespace nimbra::smpp {

namespace {

using pdu::AppendHexOctet;
using pdu::HexOfBytes;
using pdu::HexValue;

constexpr int kMaxShortMessage = 255;
constexpr int kValidityDays = 6;
constexpr unsigned kEsmUdhIndicator = 0x40;
constexpr unsigned kEsmReceiptRequested = 0x08;

void AppendAddress(std::string& out, std::string_view address) {
    const int ton = TypeOfNumber(address);
    if (ton == 0x01)
        address.remove_prefix(1);
    AppendHexOctet(out, static_cast<unsigned>(ton));
    out += "01";  // npi: ISDN
    out += HexOfBytes(address) + "00";
}

int OctetValue(std::string_view twoDigits) {
    return twoDigits.size() == 2 ? HexValue(twoDigits[0]) * 16 + HexValue(twoDigits[1]) : 0;
}

// yymmddhhnnss of the local time six days ahead, then "032+".
std::string ValidityPeriod(long long localEpochSeconds) {
    const CivilDateTime t =
        DecodeDateTime(EpochToDateTime(localEpochSeconds + kValidityDays * 86400LL));
    char text[20];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d032+", t.year % 100, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

}  // namespace

int TypeOfNumber(std::string_view address) {
    if (address.empty())
        return 0x00;
    if (address.front() == '+')
        return 0x01;
    if (address.front() >= '0' && address.front() <= '9')
        return 0x00;
    return 0x02;
}

SubmitBody BuildSubmitBody(std::string_view sender, std::string_view receiver,
                           std::string_view text, bool deliveryReport,
                           long long localEpochSeconds) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references);
    const PreparedUserData data = codec.PrepareUserData(text, 1, 1);
    const bool hexText = (OctetValue(data.dcs) & 0x08) != 0 || data.octetMode;
    std::string message = data.udh;
    if (hexText) {
        const std::string hex = UpperAscii(data.text);
        if (hex.size() % 2 != 0 || !pdu::IsUpperHex(hex))
            return {{}, "Message data is not hexadecimal: " + data.text};
        message += hex;
    } else {
        message += HexOfBytes(data.text);
    }
    const std::size_t octets = message.size() / 2;
    if (octets > kMaxShortMessage) {
        return {{},
                "Message too long: " + std::to_string(octets) + " octets, at most " +
                    std::to_string(kMaxShortMessage) + " fit"};
    }

    unsigned esmClass = deliveryReport ? kEsmReceiptRequested : 0;
    if (!data.udh.empty())
        esmClass |= kEsmUdhIndicator;

    std::string body;
    body.reserve(96 + message.size());
    body += "00";  // service_type
    AppendAddress(body, sender);
    AppendAddress(body, receiver);
    AppendHexOctet(body, esmClass);
    body += data.pid;
    body += "00";  // priority_flag
    body += "00";  // schedule_delivery_time
    body += HexOfBytes(ValidityPeriod(localEpochSeconds)) + "00";
    body += deliveryReport ? "01" : "00";  // registered_delivery
    body += "00";                          // replace_if_present_flag
    body += data.dcs;
    body += "00";  // sm_default_msg_id
    AppendHexOctet(body, static_cast<unsigned>(octets));
    body += message;
    body += "0005000102";  // dest_addr_subunit: mobile equipment
    return {body, {}};
}

}  // namespace nimbra::smpp
