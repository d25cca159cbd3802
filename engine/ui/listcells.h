#pragma once
// The order the message list sorts its rows in, in plain C++; the cells themselves are the
// message rows of the store (messagerows.h), which the export and the engine's
// administration write too.
#include <vector>

#include "messagerows.h"
#include "sms.h"

namespace nimbra::ui {

using nimbra::CellFormat;
using nimbra::kListColumnCount;
using nimbra::kListIcon;
using nimbra::kListIdCell;
using nimbra::kListMessage;
using nimbra::kListPhone;
using nimbra::kListTime;
using nimbra::ListColumn;

// Sorting: "Time" as date and time (a time that cannot be read before every other), the
// other columns as text without regard to case. The order is stable.
void SortMessages(std::vector<const TSms*>& messages, int column, bool ascending,
                  const CellFormat& format);

}  // namespace nimbra::ui
