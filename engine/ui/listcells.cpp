#include "listcells.h"

#include <algorithm>
#include <numeric>

#include "codepage.h"
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

std::pair<int, TDateTime> TimeKey(const TSms& message, const CellFormat& format) {
    TDateTime at = 0;
    return ReceivedAt(message, format.now, at) ? std::make_pair(1, at) : std::make_pair(0, 0.0);
}

int ListIdKey(const TSms& message, const CellFormat&) {
    return message.listId;
}

}  // namespace

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
