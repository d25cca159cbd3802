#pragma once
// A command line as a modem reads it: "AT" (either case), then basic commands (a letter or "&"
// and a letter with an optional number, "S" registers, "D" and its dial string) and extended
// commands ("+" and a name, as action, "=value", "?" or "=?"), extended ones separated by ";".
// Blanks outside double quotes do not count.

#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct AtCommand {
    enum class Form { kAction, kSet, kRead, kTest };
    std::string name;  // upper case: "E", "&F", "S7", "+CMGF"
    Form form = Form::kAction;
    std::string value;  // basic: the number (or dial string); set: what follows "="
};

struct AtLine {
    bool valid = false;  // false: not a command line the modem understands
    std::vector<AtCommand> commands;
};

// The line without its CR, from its "AT" on.
AtLine ParseAtLine(std::string_view line);

// The values of a set command: split at commas outside double quotes, the quotes removed.
// "" gives no values; "1,,2" gives "1", "", "2".
std::vector<std::string> SplitValues(std::string_view value);

// A whole decimal number in min..max; false for anything else.
bool ParseNumber(std::string_view text, int min, int max, int& number);

}  // namespace modemsim
