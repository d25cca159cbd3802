#include "partidmap.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <vector>

#include "atomicfile.h"
#include "unStrings.h"

namespace nimbra::driver {

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

bool IsId(std::string_view text) {
    return !text.empty() && text.size() <= kMaxIdLength &&
           std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace

PartIdMap::PartIdMap(std::filesystem::path folder, Clock clock)
    : folder_(std::move(folder)), clock_(std::move(clock)) {}

std::filesystem::path PartIdMap::PathOf(std::string_view name) const {
    return folder_ / (std::string(name) + std::string(kSuffix));
}

std::filesystem::file_time_type PartIdMap::Now() const {
    return clock_ ? clock_() : std::filesystem::file_time_type::clock::now();
}

void PartIdMap::Remember(std::string_view partId, std::string_view firstId) const {
    if (!IsId(partId) || !IsId(firstId) || partId == firstId)
        return;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return;
    const auto now = Now();
    for (const std::string& name : Names(partId)) {
        const std::filesystem::path path = PathOf(name);
        if (WriteFileAtomically(path.string(), firstId))
            std::filesystem::last_write_time(path, now, error);
    }
}

std::string PartIdMap::FirstIdOf(std::string_view id) const {
    if (!IsId(id))
        return std::string(id);
    const auto oldest = Now() - kPartIdMaxAge;
    for (const std::string& name : Names(id)) {
        const std::filesystem::path path = PathOf(name);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error) ||
            std::filesystem::last_write_time(path, error) < oldest || error)
            continue;
        std::string firstId;
        if (ReadWholeFile(path.string(), firstId) && IsId(firstId))
            return firstId;
    }
    return std::string(id);
}

void PartIdMap::RemoveOld() const {
    const auto oldest = Now() - kPartIdMaxAge;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        // Temporary files of writes that never finished go too.
        if (name.find(kSuffix) == std::string::npos)
            continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored) && it->last_write_time(ignored) < oldest)
            std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace nimbra::driver
