#pragma once
// The message list as ";"-separated text: one line per row, each ended by CR LF, the titles
// first. A cell that holds ";", a double quote or a line break is put in double quotes, its
// double quotes doubled, so that every cell reads back as it was written.
#include <string>
#include <vector>

namespace nimbra::ui {

std::string CsvLine(const std::vector<std::string>& cells);

}  // namespace nimbra::ui
