#include "pducoder_parts.h"

#include <cstdio>
#include <system_error>

#include "atomicfile.h"

namespace nimbra {
namespace {

constexpr std::string_view kPartFileSuffix = ".smspart.txt";
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

std::filesystem::path PduPartStore::PathOf(const PduPartKey& key, int part) const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string name;
    for (const char c : key.sender) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            c == '+') {
            name += c;
        } else {
            name += '%';
            name += kDigits[byte / 16];
            name += kDigits[byte % 16];
        }
    }
    name += '_';
    name += key.stem;
    name += std::to_string(part);
    name += kPartFileSuffix;
    return folder_ / name;
}

std::filesystem::path PduPartStore::ExistingPathOf(const PduPartKey& key, int part) const {
    std::filesystem::path path = PathOf(key, part);
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return path;
    std::string earlier(key.stem);
    earlier.append(std::to_string(part)).append(kPartFileSuffix);
    return std::filesystem::exists(folder_ / earlier, error) ? folder_ / earlier : path;
}

bool PduPartStore::Store(const PduPartKey& key, int part, std::string_view line) const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return false;
    std::string content(line);
    content += "\r\n";
    return WriteFileAtomically(PathOf(key, part).string(), content);
}

std::optional<std::vector<std::string>> PduPartStore::Collect(const PduPartKey& key,
                                                              int total) const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(total > 0 ? total : 0));
    for (int part = 1; part <= total; ++part) {
        std::optional<std::string> line = ReadFirstLine(ExistingPathOf(key, part));
        if (!line)
            return std::nullopt;
        lines.push_back(std::move(*line));
    }
    return lines;
}

void PduPartStore::Remove(const PduPartKey& key, int total) const {
    for (int part = 1; part <= total; ++part) {
        std::error_code error;
        std::filesystem::remove(ExistingPathOf(key, part), error);
    }
}

void PduPartStore::RemoveWrittenBefore(std::filesystem::file_time_type limit) const {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const bool part =
            name.ends_with(kPartFileSuffix) ||
            (name.ends_with(".tmp") && name.find(kPartFileSuffix) != std::string::npos);
        std::error_code ignored;
        if (part && it->is_regular_file(ignored) && it->last_write_time(ignored) < limit)
            std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace nimbra
