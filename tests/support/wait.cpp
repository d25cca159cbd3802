#include "wait.h"

#include <thread>

#include "file_text.h"

namespace nimbra::testing_support {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool WaitForFile(const std::filesystem::path& path, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            std::error_code ignored;
            return std::filesystem::exists(path, ignored);
        },
        timeout);
}

bool WaitForFileContaining(const std::filesystem::path& path, const std::string& text,
                           std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return ReadFileText(path).find(text) != std::string::npos; }, timeout);
}

}  // namespace nimbra::testing_support
