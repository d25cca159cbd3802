#include "listcells.h"

#include <algorithm>
#include <numeric>

#include "codepage.h"
#include "datepicture.h"
#include "unStrings.h"

namespace nimbra::ui {
namespace {

constexpr std::string_view kUnicodeMarker = "_UCS2_";

// A key per message, the messages sorted by their keys.
template <class Key>
void SortByKey(std::vector<const TSms*>& messages, bool ascending,
               Key (*keyOf)(const TSms&, const CellFormat&), const CellFormat& format) {
    std::vector<Key> keys;
    keys.reserve(messages.size());
    for (const TSms* message : messages)
        keys.push_back(keyOf(*message, format));
    std::vector<std::size_t> order(messages.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    std::vector<const TSms*> sorted;
    sorted.reserve(messages.size());
    for (std::size_t index : order)
        sorted.push_back(messages[index]);
    messages.swap(sorted);
}

std::u16string LowerWide(std::u16string text) {
    for (char16_t& c : text) {
        if (c < 0x80 && c >= 'A' && c <= 'Z')
            c = static_cast<char16_t>(c - 'A' + 'a');
        else if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
            c = static_cast<char16_t>(c + 0x20);
    }
    return text;
}

std::u16string PhoneKey(const TSms& message, const CellFormat& format) {
    return LowerWide(AnsiToWide(PhoneCell(message, format.outgoing)));
}

std::u16string MessageKey(const TSms& message, const CellFormat&) {
    return LowerWide(ShownText(message.text));
}

std::u16string IconKey(const TSms& message, const CellFormat&) {
    return AnsiToWide(IconCell(message));
}

// Unreadable times first, then by time.
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
            SortByKey(messages, ascending, PhoneKey, format);
            break;
        case kListMessage:
            SortByKey(messages, ascending, MessageKey, format);
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
