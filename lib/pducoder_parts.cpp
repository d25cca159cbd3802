#include "pducoder_parts.h"

#include <cstdio>
#include <system_error>

#include "atomicfile.h"

namespace nimbra {
namespace {

// A part holds one line of at most 140 octets in hex; anything much larger is not a part.
constexpr std::size_t kMaxPartFileSize = 4096;

std::optional<std::string> ReadFirstLine(const std::filesystem::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string content(kMaxPartFileSize + 1, '\0');
    const std::size_t size = std::fread(content.data(), 1, content.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || size > kMaxPartFileSize)
        return std::nullopt;
    content.resize(size);
    const std::size_t end = content.find_first_of("\r\n");
    if (end != std::string::npos)
        content.resize(end);
    return content;
}

}  // namespace

std::filesystem::path PduPartStore::PathOf(std::string_view stem, int part) const {
    std::string name(stem);
    name += std::to_string(part);
    name += ".smspart.txt";
    return folder_ / name;
}

bool PduPartStore::Store(std::string_view stem, int part, std::string_view line) const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return false;
    std::string content(line);
    content += "\r\n";
    return WriteFileAtomically(PathOf(stem, part).string(), content);
}

std::optional<std::vector<std::string>> PduPartStore::Collect(std::string_view stem,
                                                              int total) const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(total > 0 ? total : 0));
    for (int part = 1; part <= total; ++part) {
        std::optional<std::string> line = ReadFirstLine(PathOf(stem, part));
        if (!line)
            return std::nullopt;
        lines.push_back(std::move(*line));
    }
    return lines;
}

void PduPartStore::Remove(std::string_view stem, int total) const {
    for (int part = 1; part <= total; ++part) {
        std::error_code error;
        std::filesystem::remove(PathOf(stem, part), error);
    }
}

}  // namespace nimbra
