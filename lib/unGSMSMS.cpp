#include "unGSMSMS.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace nimbra {
namespace {

constexpr int kFieldCount = 13;

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void AppendEscaped(std::string& out, std::string_view field) {
    out.push_back('{');
    for (char c : field) {
        if (c == '{' || c == '}' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('}');
}

// Length after every "\0x" + two decimal digits counts as one character.
std::size_t LengthWithEscapesCollapsed(std::string_view text) {
    std::size_t length = text.size();
    for (std::size_t i = 0; i + 5 <= text.size();) {
        if (text[i] == '\\' && text[i + 1] == '0' && text[i + 2] == 'x' && IsDigit(text[i + 3]) &&
            IsDigit(text[i + 4])) {
            length -= 4;
            i += 5;
        } else {
            ++i;
        }
    }
    return length;
}

}  // namespace

TGsmSms::TGsmSms() : TGsmSms(Now()) {}

TGsmSms::TGsmSms(TDateTime now)
    : type(kTypeMessage),
      sentTime(NowText(now)),
      receivedTime(sentTime),
      created(std::to_string(LocalEpochSeconds(now))) {}

std::string TGsmSms::ToText() const {
    std::string out;
    out.reserve(type.size() + operatorName.size() + sender.size() + receiver.size() + text.size() +
                messageId.size() + extra.size() + idSource.size() + reference.size() +
                sentTime.size() + receivedTime.size() + created.size() + status.size() +
                2 * kFieldCount + 16);
    out.push_back('{');
    out.append(type);
    out.push_back('}');
    for (std::size_t f = 1; f < kGsmSmsFields.size(); ++f) {
        AppendEscaped(out, this->*kGsmSmsFields[f]);
    }
    return out;
}

void TGsmSms::FromText(std::string_view record) {
    // The fields are cleared before the input is read, so input that lies inside one of
    // them is copied first.
    const std::less<const char*> before;
    for (const auto field : kGsmSmsFields) {
        const std::string& own = this->*field;
        if (!record.empty() && !before(record.data(), own.data()) &&
            before(record.data(), own.data() + own.size())) {
            FromText(std::string(record));
            return;
        }
    }

    // One pass extracts every field: the counter rises at each unescaped "{", bytes go to
    // the field the counter names, unescaped braces are dropped, a backslash is dropped and
    // the byte after it kept. Bytes between a "}" and the next "{" thus belong to the field
    // before them, and nothing checks the type tag or the number of groups. Fields 10-12
    // go to scratch strings first because an empty value must not overwrite them.
    thread_local std::array<std::string, 3> kept;
    std::array<std::string*, kFieldCount> targets;
    for (std::size_t f = 0; f < kFieldCount; ++f)
        targets[f] = &(this->*kGsmSmsFields[f]);
    targets[9] = &kept[0];
    targets[10] = &kept[1];
    targets[11] = &kept[2];
    for (std::string* field : targets)
        field->clear();

    std::string* target = nullptr;
    std::size_t counter = 0;
    const std::size_t n = record.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = record[i];
        if (c == '\\') {
            if (i + 1 < n && target)
                target->push_back(record[i + 1]);
            i += 2;
        } else if (c == '{') {
            if (++counter > kFieldCount)
                break;
            target = targets[counter - 1];
            ++i;
        } else if (c == '}') {
            ++i;
        } else {
            std::size_t j = i + 1;
            while (j < n && record[j] != '\\' && record[j] != '{' && record[j] != '}')
                ++j;
            if (target)
                target->append(record.substr(i, j - i));
            i = j;
        }
    }

    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    if (!kept[0].empty())
        sentTime.swap(kept[0]);
    if (!kept[1].empty())
        receivedTime.swap(kept[1]);
    if (!kept[2].empty())
        created.swap(kept[2]);
}

std::string TGsmSms::Summary() const {
    return sender + " " + receiver + " " + text;
}

int MessageLength(std::string_view text) {
    long length;
    if (StartsWith(text, "_VCARD_") || StartsWith(text, "_B64_") || StartsWith(text, "_PDU_")) {
        length = 160;
    } else if (StartsWith(text, "_CLAS")) {
        length = static_cast<long>(LengthWithEscapesCollapsed(text)) - 8;
    } else if (!StartsWith(text, "_UCS2")) {
        length = static_cast<long>(LengthWithEscapesCollapsed(text));
    } else {
        const double units =
            static_cast<double>(text.size() - std::min<std::size_t>(6, text.size())) / 4.0;
        length = static_cast<long>(std::nearbyint(units));  // halves to the even neighbour
    }
    length += std::count_if(text.begin(), text.end(), [](char c) {
        return c == '{' || c == '}' || c == '[' || c == ']' || c == '\\' || c == '~' || c == '|' ||
               c == '^';
    });
    return static_cast<int>(length);
}

int SinglePartLimit(std::string_view text) {
    return StartsWith(text, "_UCS2_") ? 70 : 160;
}

int PartLimit(std::string_view text) {
    return StartsWith(text, "_UCS2_") ? 64 : 153;
}

int PartCount(std::string_view text) {
    const int length = MessageLength(text);
    if (length <= SinglePartLimit(text))
        return 1;
    const int limit = PartLimit(text);
    return (length + limit - 1) / limit;
}

std::string PartText(std::string_view text, int n) {
    const bool unicode = StartsWith(text, "_UCS2_");
    const std::string_view prefix = unicode ? text.substr(0, 6) : std::string_view();
    const std::string_view body = unicode ? text.substr(6) : text;
    const std::size_t unit = unicode ? 4 : 1;
    const std::size_t size = unit * static_cast<std::size_t>(PartLimit(text));
    const std::size_t skip = size * static_cast<std::size_t>(std::max(n - 1, 0));
    std::string out(prefix);
    if (skip < body.size())
        out.append(body.substr(skip, size));
    return out;
}

}  // namespace nimbra
