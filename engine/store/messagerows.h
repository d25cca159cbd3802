#pragma once

// The rows of the message list as the main window shows and exports them, in plain C++: the
// cells of a message and a folder as ";"-separated text, one line per row, each ended by
// CR LF, the titles first. A cell that holds ";", a double quote or a line break is put in
// double quotes, its double quotes doubled, so that every cell reads back as it was written.

#include <string>
#include <vector>

#include "dateformat.h"
#include "sms.h"

namespace nimbra {

class TSmsQueue;

enum ListColumn { kListIcon, kListPhone, kListMessage, kListTime, kListIdCell };
inline constexpr int kListColumnCount = 5;
// The column titles before translation; the icon and the list id columns have none.
inline constexpr const char* kListTitles[kListColumnCount] = {"", "Phone number", "Message", "Time",
                                                              ""};

// What the cells are written with.
struct CellFormat {
    // The folder's messages are outgoing: the number column shows their destination.
    bool outgoing = false;
    // The date-format setting, and what its "c" stands for.
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

std::string CsvLine(const std::vector<std::string>& cells);
// Every message of a loaded queue in its order, titles (translated) first. The number column
// follows the queue's own outgoing flag.
std::string FolderCsv(const TSmsQueue& queue, const std::vector<std::string>& titles,
                      CellFormat format);

}  // namespace nimbra
