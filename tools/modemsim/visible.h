#pragma once
// Bytes written so that a log line shows every one of them.

#include <string>
#include <string_view>

namespace modemsim {

// Printable ASCII as it is; CR as \r, LF as \n, the backslash as \\, every other byte as \xHH.
std::string Escaped(std::string_view bytes);
// Text with only its control characters escaped as Escaped does (letters of the code page
// stay).
std::string ControlsEscaped(std::string_view text);

}  // namespace modemsim
