#pragma once

// The message record as it travels between the programs: thirteen text fields in a fixed
// order, written as "{" + type + "}" followed by twelve brace-delimited, backslash-escaped
// fields. Every program parses it with the same rules, so the text form never changes.

#include <array>
#include <string>
#include <string_view>

#include "unDate.h"

namespace nimbra {

inline constexpr std::string_view kTypeMessage = "GSMSMS";
inline constexpr std::string_view kTypeDeliveryReport = "GSMSMS_DELIVERY_REPORT";
// The `status` of a delivery report that tells of a delivered message; any other non-empty
// status is the outcome of a message that was not (or not yet) delivered.
inline constexpr std::string_view kStatusDelivered = "0";

class TGsmSms {
public:
    // A new record: type "GSMSMS", both time fields and `created` set from the clock.
    TGsmSms();
    explicit TGsmSms(TDateTime now);

    std::string ToText() const;
    // Overwrites the fields from a text form. Fields 10 to 12 keep their values when the
    // text brings none; NUL bytes are removed from `text`. Never fails: whatever is missing
    // reads as empty.
    void FromText(std::string_view record);
    std::string Summary() const;

    bool operator==(const TGsmSms&) const = default;

    std::string type;
    std::string operatorName;
    std::string sender;
    std::string receiver;
    std::string text;
    std::string messageId;
    std::string extra;
    std::string idSource;
    std::string reference;
    std::string sentTime;
    std::string receivedTime;
    std::string created;
    std::string status;
};

// The thirteen fields in record order.
inline constexpr std::array<std::string TGsmSms::*, 13> kGsmSmsFields = {
    &TGsmSms::type,      &TGsmSms::operatorName, &TGsmSms::sender,       &TGsmSms::receiver,
    &TGsmSms::text,      &TGsmSms::messageId,    &TGsmSms::extra,        &TGsmSms::idSource,
    &TGsmSms::reference, &TGsmSms::sentTime,     &TGsmSms::receivedTime, &TGsmSms::created,
    &TGsmSms::status};

// Length of a message text in SMS characters (markers and escapes taken into account).
int MessageLength(std::string_view text);
// 70 for a "_UCS2_" text, else 160.
int SinglePartLimit(std::string_view text);
// 64 for a "_UCS2_" text, else 153.
int PartLimit(std::string_view text);
int PartCount(std::string_view text);
// The text of part n (from 1), cut by plain characters.
std::string PartText(std::string_view text, int n);

}  // namespace nimbra
