#pragma once
// The modem's side of the PDUs: it reads the SMS-SUBMIT a driver sends with AT+CMGS, and
// builds the SMS-DELIVER and SMS-STATUS-REPORT PDUs it keeps for AT+CMGR. Hexadecimal text
// as the device exchanges it; message texts are single-byte code-page text with the codec's
// markers ("_UCS2_" + hex, "_B64_" + hex).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modemclock.h"
#include "pducoder.h"

namespace modemsim {

// A submit as the modem read it.
struct Submit {
    int tpduLength = 0;  // octets after the SMSC part
    bool statusReport = false;
    std::string destination;  // "+" in front for an international number
    int dcs = 0;
    std::string text;
    int partCount = 1;  // from the concatenation element, 1 without one
    int partIndex = 1;
};

// nullopt with `error` set when the PDU (either case of hexadecimal) is not an SMS-SUBMIT
// whose fields and user data are all there.
std::optional<Submit> DecodeSubmit(std::string_view pdu, std::string& error);

// A PDU as AT+CMGR shows it: the SMSC part, then the TPDU.
struct StoredPdu {
    std::string hex;
    int tpduLength = 0;
};

// The SMSC part for a service centre number ("00" for none).
std::string SmscPart(std::string_view smsc);
// The 7-octet service centre time stamp of a local time, its zone included.
std::string TimeStamp(const LocalTime& time);

struct DeliverPart {
    StoredPdu pdu;
    std::string text;  // the part's share of the text
};

// The SMS-DELIVER PDUs of a text from an originator (a number, or a name of letters sent as
// an alphanumeric address): one, or the parts of a concatenated message whose reference comes
// from `references`. Empty with `error` set when a part would not fit one SMS.
std::vector<DeliverPart> DeliverPdus(std::string_view smsc, std::string_view originator,
                                     std::string_view text, const LocalTime& stamp,
                                     nimbra::PduReferenceStore& references, std::string& error);

struct ReportFields {
    int reference = 0;  // TP-MR of the submit
    std::string recipient;
    LocalTime submitted;
    LocalTime discharged;
    int status = 0;
};
StoredPdu StatusReportPdu(std::string_view smsc, const ReportFields& report);

}  // namespace modemsim
