#pragma once
// The cells of the message list and the order it sorts them in, in plain C++: the item model
// shows them, the export writes them.
#include <string>
#include <vector>

#include "sms.h"
#include "unDate.h"

namespace nimbra::ui {

enum ListColumn { kListIcon, kListPhone, kListMessage, kListTime, kListIdCell };
inline constexpr int kListColumnCount = 5;

// How stored messages keep their received time.
inline constexpr const char* kStoredTimePicture = "yyyy-mm-dd hh:nn:ss";

// What the cells are written with.
struct CellFormat {
    // The folder's messages are outgoing: the number column shows their destination.
    bool outgoing = false;
    // The date-format setting, and what its "c" stands for here.
    std::string datePicture = "c";
    std::string systemPicture = kStoredTimePicture;
    TDateTime now = 0;
};

// "<idx:" + iconIndex + ">": the picture of the message's state.
std::string IconCell(const TSms& message);
// The destination in outgoing folders, otherwise the originator; the destination also when
// the originator is empty.
const std::string& PhoneCell(const TSms& message, bool outgoing);
bool IsUnicodeText(const std::string& text);
// The text as a person reads it: a "_UCS2_" text decoded.
std::u16string DecodedText(const std::string& text);
// The same on one line: line breaks as spaces.
std::u16string ShownText(const std::string& text);
// The received time: now when the field is empty; false when it cannot be read.
bool ReceivedAt(const TSms& message, TDateTime now, TDateTime& at);
// The received time written with the date format; the text as stored when it cannot be read.
std::string TimeCell(const TSms& message, const CellFormat& format);
// The five cells of a message's row, as code-page text.
std::vector<std::string> RowCells(const TSms& message, const CellFormat& format);

// Sorting: "Time" as date and time (a time that cannot be read before every other), the
// other columns as text without regard to case. The order is stable.
void SortMessages(std::vector<const TSms*>& messages, int column, bool ascending,
                  const CellFormat& format);

}  // namespace nimbra::ui
