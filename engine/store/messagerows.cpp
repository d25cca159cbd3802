#include "messagerows.h"

#include <algorithm>

#include "codepage.h"
#include "smsqueue.h"
#include "unStrings.h"

namespace nimbra {
namespace {

constexpr std::string_view kUnicodeMarker = "_UCS2_";

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

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ';';
        const std::string& cell = cells[i];
        if (cell.find_first_of(";\"\r\n") == std::string::npos) {
            line += cell;
            continue;
        }
        line += '"';
        for (const char c : cell) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::string FolderCsv(const TSmsQueue& queue, const std::vector<std::string>& titles,
                      CellFormat format) {
    format.outgoing = queue.Flags().outgoing;
    std::string text = CsvLine(titles);
    for (int i = 0; i < queue.Count(); ++i)
        text += CsvLine(RowCells(queue.At(i), format));
    return text;
}

}  // namespace nimbra
