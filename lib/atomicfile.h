#pragma once

#include <string>
#include <string_view>

namespace nimbra {

// Writes text to a new temporary file beside path and renames that over path, so that a crash
// leaves either the old file or the new one, never half of one. False (and no temporary file left)
// on failure.
bool WriteFileAtomically(const std::string& path, std::string_view text);

// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& text);

}  // namespace nimbra
