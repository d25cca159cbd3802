#pragma once

// File routines shared by the programs.

#include <string>
#include <string_view>

namespace nimbra {

// Writes content beside target (target + ".tmp") and renames it over target, so that a crash
// leaves either the old file or the new one, never half of one. False (and no temporary file
// left) when any step failed.
bool WriteFileAtomically(const std::string& target, std::string_view content);

}  // namespace nimbra
