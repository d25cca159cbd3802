#include "listcells.h"

#include <algorithm>
#include <numeric>

#include "codepage.h"
#include "datepicture.h"
#include "unStrings.h"

namespace nimbra::ui {
namespace {

constexpr std::string_view kUnicodeMarker = "_UCS2_";

// The messages in the order of their keys (stable), keys[i] being messages[i]'s.
template <class Less>
void SortByOrder(std::vector<const TSms*>& messages, const Less& less) {
    std::vector<std::size_t> order(messages.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<const TSms*> sorted;
    sorted.reserve(messages.size());
    for (std::size_t index : order)
        sorted.push_back(messages[index]);
    messages.swap(sorted);
}

template <class Key>
void SortByKey(std::vector<const TSms*>& messages, bool ascending,
               Key (*keyOf)(const TSms&, const CellFormat&), const CellFormat& format) {
    std::vector<Key> keys;
    keys.reserve(messages.size());
    for (const TSms* message : messages)
        keys.push_back(keyOf(*message, format));
    SortByOrder(messages, [&](std::size_t a, std::size_t b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
}

char16_t LowerWide(char16_t c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<char16_t>(c - 'A' + 'a');
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<char16_t>(c + 0x20);
    return c;
}

// Appends text as it sorts: the characters shown on one line, in lower case.
void AppendSortText(const std::string& text, std::u16string& keys) {
    const std::size_t start = keys.size();
    if (IsUnicodeText(text)) {
        keys += HexToWide(std::string_view(text).substr(kUnicodeMarker.size()));
    } else {
        for (char c : text)
            keys.push_back(AnsiCharToWide(static_cast<unsigned char>(c)));
    }
    for (std::size_t i = start; i < keys.size(); ++i)
        keys[i] = keys[i] == u'\r' || keys[i] == u'\n' ? u' ' : LowerWide(keys[i]);
}

// Sorting by a text column: the keys of all rows in one buffer, as a large folder has many.
void SortByText(std::vector<const TSms*>& messages, bool ascending,
                const std::string& (*textOf)(const TSms&, const CellFormat&),
                const CellFormat& format) {
    std::u16string keys;
    std::vector<std::size_t> ends;
    ends.reserve(messages.size());
    for (const TSms* message : messages) {
        AppendSortText(textOf(*message, format), keys);
        ends.push_back(keys.size());
    }
    const auto key = [&](std::size_t i) {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::u16string_view(keys).substr(begin, ends[i] - begin);
    };
    SortByOrder(messages, [&](std::size_t a, std::size_t b) {
        return ascending ? key(a) < key(b) : key(b) < key(a);
    });
}

const std::string& PhoneText(const TSms& message, const CellFormat& format) {
    return PhoneCell(message, format.outgoing);
}

const std::string& MessageText(const TSms& message, const CellFormat&) {
    return message.text;
}

std::u16string IconKey(const TSms& message, const CellFormat&) {
    return AnsiToWide(IconCell(message));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Number(std::string_view s, std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i)
        value = value * 10 + (s[i] - '0');
    return value;
}

// The stored form "yyyy-mm-dd hh:nn:ss" read directly, as sorting reads every row's; 0 when
// the text is not in that form.
TDateTime StoredTime(std::string_view s) {
    constexpr std::string_view kLayout = "dddd-dd-dd dd:dd:dd";
    if (s.size() != kLayout.size())
        return 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (kLayout[i] == 'd' ? !IsDigit(s[i]) : s[i] != kLayout[i])
            return 0;
    }
    TDateTime at = 0;
    const CivilDateTime c{Number(s, 0, 4),
                          Number(s, 5, 2),
                          Number(s, 8, 2),
                          Number(s, 11, 2),
                          Number(s, 14, 2),
                          Number(s, 17, 2),
                          0};
    return TryEncodeDateTime(c, at) ? at : 0;
}

std::pair<int, TDateTime> TimeKey(const TSms& message, const CellFormat& format) {
    TDateTime at = 0;
    return ReceivedAt(message, format.now, at) ? std::make_pair(1, at) : std::make_pair(0, 0.0);
}

int ListIdKey(const TSms& message, const CellFormat&) {
    return message.listId;
}

}  // namespace

std::string IconCell(const TSms& message) {
    return "<idx:" + std::to_string(message.iconIndex) + ">";
}

const std::string& PhoneCell(const TSms& message, bool outgoing) {
    return outgoing || message.from.empty() ? message.to : message.from;
}

bool IsUnicodeText(const std::string& text) {
    return text.starts_with(kUnicodeMarker);
}

std::u16string DecodedText(const std::string& text) {
    return IsUnicodeText(text) ? HexToWide(text.substr(kUnicodeMarker.size())) : AnsiToWide(text);
}

std::u16string ShownText(const std::string& text) {
    std::u16string shown = DecodedText(text);
    std::replace_if(
        shown.begin(), shown.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    return shown;
}

bool ReceivedAt(const TSms& message, TDateTime now, TDateTime& at) {
    if (TrimBlanks(message.receivedTime).empty()) {
        at = now;
        return true;
    }
    at = StoredTime(message.receivedTime);
    if (at == 0)
        at = ParseDateTime(kStoredTimePicture, message.receivedTime, now);
    return at != 0;
}

std::string TimeCell(const TSms& message, const CellFormat& format) {
    TDateTime at = 0;
    if (!ReceivedAt(message, format.now, at))
        return message.receivedTime;
    return FormatDateTime(format.datePicture, at, format.systemPicture);
}

std::vector<std::string> RowCells(const TSms& message, const CellFormat& format) {
    return {IconCell(message), PhoneCell(message, format.outgoing),
            WideToAnsi(ShownText(message.text)), TimeCell(message, format),
            std::to_string(message.listId)};
}

void SortMessages(std::vector<const TSms*>& messages, int column, bool ascending,
                  const CellFormat& format) {
    switch (column) {
        case kListIcon:
            SortByKey(messages, ascending, IconKey, format);
            break;
        case kListPhone:
            SortByText(messages, ascending, PhoneText, format);
            break;
        case kListMessage:
            SortByText(messages, ascending, MessageText, format);
            break;
        case kListTime:
            SortByKey(messages, ascending, TimeKey, format);
            break;
        default:
            SortByKey(messages, ascending, ListIdKey, format);
            break;
    }
}

}  // namespace nimbra::ui
