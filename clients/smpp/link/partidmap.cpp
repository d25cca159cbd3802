#include "partidmap.h"

#include <optional>
#include <system_error>
#include <vector>

#include "atomicfile.h"
#include "unStrings.h"

namespace nimbra::smpp {

namespace {

constexpr std::string_view kSuffix = ".partid";
// An id is at most 65 characters; anything longer is not an entry.
constexpr std::size_t kMaxIdLength = 65;

std::optional<unsigned long long> Reading(std::string_view id, int base) {
    if (id.empty() || id.size() > 15)
        return std::nullopt;
    unsigned long long value = 0;
    for (char c : id) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    return value;
}

// The names an id is kept under: as written, and by the number it stands for when it is
// read as hexadecimal and when it is read as decimal ("=" and the hexadecimal digits, a name
// no id as written takes).
std::vector<std::string> Names(std::string_view id) {
    std::vector<std::string> names{FileNamePart(id)};
    for (const int base : {16, 10}) {
        if (const auto value = Reading(id, base))
            names.push_back("=" + IntToHexText(static_cast<long long>(*value)));
    }
    return names;
}

}  // namespace

std::filesystem::path PartIdMap::PathOf(std::string_view name) const {
    return folder_ / (std::string(name) + std::string(kSuffix));
}

void PartIdMap::Remember(std::string_view partId, std::string_view firstId) const {
    if (partId.empty() || partId.size() > kMaxIdLength || partId == firstId)
        return;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return;
    for (const std::string& name : Names(partId))
        WriteFileAtomically(PathOf(name).string(), firstId);
}

std::string PartIdMap::FirstIdOf(std::string_view id) const {
    if (id.empty() || id.size() > kMaxIdLength)
        return std::string(id);
    for (const std::string& name : Names(id)) {
        std::string firstId;
        if (ReadWholeFile(PathOf(name).string(), firstId) && !firstId.empty() &&
            firstId.size() <= kMaxIdLength)
            return firstId;
    }
    return std::string(id);
}

void PartIdMap::RemoveWrittenBefore(std::filesystem::file_time_type limit) const {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        // Temporary files of writes that never finished go too.
        if (name.find(kSuffix) == std::string::npos)
            continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored) && it->last_write_time(ignored) < limit)
            std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace nimbra::smpp
