#pragma once

#include <filesystem>
#include <string>

namespace nimbra::testing_support {

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);
// Writes the bytes, creating the folders on the way.
void WriteFileText(const std::filesystem::path& path, const std::string& text);
// Line `number` (from 1) of a file, without its line end; empty when there is none.
std::string FileLine(const std::filesystem::path& path, std::size_t number);
// The ".sms" files of a message folder; 0 when it cannot be read.
int MessageFileCount(const std::filesystem::path& folder);

}  // namespace nimbra::testing_support
