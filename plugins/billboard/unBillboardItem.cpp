#include "unBillboardItem.h"

#include <limits>

#include "codepage.h"
#include "unGSMSMS.h"
#include "unStrings.h"

namespace nimbra {
namespace {

constexpr std::u16string_view kUnicodeMarker = u"_UCS2_";

bool IsTrimmed(char16_t c) {
    return c == u'\0' || c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

void AppendEscaped(std::u16string& out, std::u16string_view s) {
    for (char16_t c : s) {
        if (c == u'{' || c == u'}' || c == u'\\')
            out.push_back(u'\\');
        out.push_back(c);
    }
}

// Every backslash dropped, the unit after it taken as it is.
std::u16string Unescape(std::u16string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\') {
            if (++i == s.size())
                break;
        }
        out.push_back(s[i]);
    }
    return out;
}

// A strict decimal number: an optional minus sign and at least one digit, within 64 bits.
std::optional<long long> ParseDecimal(std::u16string_view s) {
    const bool negative = !s.empty() && s.front() == u'-';
    if (negative)
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    unsigned long long value = 0;
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
    for (char16_t c : s) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c - u'0';
        if (value > (limit - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (negative)
        return value == limit ? std::numeric_limits<long long>::min()
                              : -static_cast<long long>(value);
    return static_cast<long long>(value);
}

}  // namespace

TBillboardItem ItemFromMessage(std::string_view sender, std::u16string_view text, long long now) {
    TBillboardItem item;
    item.sender = std::string(sender);
    if (text.substr(0, kUnicodeMarker.size()) == kUnicodeMarker)
        item.text = HexToWide(WideToAnsi(text.substr(kUnicodeMarker.size())));
    else
        item.text = std::u16string(text);
    item.time = now;
    return item;
}

TBillboardItem ItemFromRecord(const TGsmSms& record, long long now) {
    return ItemFromMessage(record.sender, AnsiToWide(record.text), now);
}

std::u16string EntryText(const TBillboardItem& item) {
    std::u16string out = u"{";
    out += AnsiToWide(item.sender);
    out += u"}{";
    AppendEscaped(out, Trim(item.text));
    out += u"}{";
    for (char c : std::to_string(item.time))
        out.push_back(static_cast<char16_t>(c));
    out += u"}";
    return out;
}

std::optional<TBillboardItem> ReadEntry(std::u16string_view form) {
    const std::optional<long long> time = ParseDecimal(Unescape(WideGroup(form, 3)));
    if (!time)
        return std::nullopt;
    return TBillboardItem{WideToAnsi(Unescape(WideGroup(form, 1))), Unescape(WideGroup(form, 2)),
                          *time};
}

std::u16string WideGroup(std::u16string_view form, int n) {
    std::u16string out;
    int counter = 0;
    bool escaped = false;
    for (char16_t c : form) {
        if (escaped) {
            if (counter == n)
                out.push_back(c);
            escaped = false;
            continue;
        }
        if (c == u'\\')
            escaped = true;
        if (c == u'{' && ++counter > n)
            break;
        if (counter == n && c != u'{' && c != u'}')
            out.push_back(c);
    }
    return out;
}

}  // namespace nimbra
