#pragma once

// One entry of the message wall and its text form, the exact text the moderation lists show
// and hold: "{" + sender + "}{" + text escaped as a message-record field + "}{" + arrival
// time in decimal + "}". The sender goes in as it is, so a hand-typed sender with a brace
// gives a form whose time cannot be read back; such an entry is unreadable.

#include <optional>
#include <string>
#include <string_view>

namespace nimbra {

class TGsmSms;

struct TBillboardItem {
    std::string sender;  // code-page text, as the message record gave it
    std::u16string text;
    long long time = 0;  // arrival, in local seconds since 1970

    bool operator==(const TBillboardItem&) const = default;
};

// The entry for a message (sender in code-page text): a text that begins with "_UCS2_" is
// decoded from its hexadecimal code units.
TBillboardItem ItemFromMessage(std::string_view sender, std::u16string_view text, long long now);
// The entry for an incoming message record.
TBillboardItem ItemFromRecord(const TGsmSms& record, long long now);

// The text form. The text loses its leading and trailing NUL, tab, line feed, carriage return
// and space on the way.
std::u16string EntryText(const TBillboardItem& item);
// The entry back from its text form; nullopt when its time group is not a decimal number.
std::optional<TBillboardItem> ReadEntry(std::u16string_view form);

// Group n (from 1) of a brace-grouped text, still escaped: the message record's field
// extraction on UTF-16 code units.
std::u16string WideGroup(std::u16string_view form, int n);

}  // namespace nimbra
