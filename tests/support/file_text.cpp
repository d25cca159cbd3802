#include "file_text.h"

#include <fstream>
#include <iterator>

namespace nimbra::testing_support {

std::string ReadFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileText(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string FileLine(const std::filesystem::path& path, std::size_t number) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (std::size_t i = 0; i < number; ++i) {
        if (!std::getline(in, line))
            return {};
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int MessageFileCount(const std::filesystem::path& folder) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        count += entry.path().extension() == ".sms" ? 1 : 0;
    return count;
}

}  // namespace nimbra::testing_support
