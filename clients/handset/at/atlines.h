#pragma once
// The device's answer as lines, and the text written to the device. Bytes are code-page
// text; the device speaks the DOS code page 437, whose eight accented letters of the message
// texts are mapped both ways.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::handset {

// The longest line kept and the most lines kept: a device that streams garbage without line
// ends, or endless lines, costs bounded memory (the oldest lines go first, a line's excess
// characters are dropped).
inline constexpr std::size_t kMaxLineLength = 4096;
inline constexpr std::size_t kMaxLines = 512;

// Adds received bytes to lines: CR closes the current line and opens a new one, LF is
// ignored, backspace removes the current line's last character, the code-page 437 letters
// ü é á Á ö ó ú Ö become the system's own. The last entry is the line still being received.
void AppendToLines(std::vector<std::string>& lines, std::string_view bytes);

// A message text for a device in text mode: the eight accented letters in code page 437.
std::string ToDeviceText(std::string_view text);

// The pieces a command is written in: at most `piece` characters each.
inline constexpr std::size_t kCommandPiece = 48;
std::vector<std::string> CommandPieces(std::string_view command, std::size_t piece = kCommandPiece);

}  // namespace nimbra::handset
