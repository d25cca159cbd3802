#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace nimbra::testing_support {

// Checks condition every 50 ms until it holds or timeout has passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Waits for path to exist.
bool WaitForFile(const std::filesystem::path& path, std::chrono::milliseconds timeout);
// Waits for the file at path to contain text.
bool WaitForFileContaining(const std::filesystem::path& path, const std::string& text,
                           std::chrono::milliseconds timeout);

}  // namespace nimbra::testing_support
