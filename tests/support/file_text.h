#pragma once

#include <filesystem>
#include <string>

namespace nimbra::testing_support {

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);
// Writes the bytes, creating the folders on the way.
void WriteFileText(const std::filesystem::path& path, const std::string& text);

}  // namespace nimbra::testing_support
