#pragma once
// Which message a part belongs to: a long message goes as several short messages, each with
// the message centre's own id, and the engine knows it by the first part's id. A report may
// name any part, also one that comes after a restart, so the map lives on disk: one small file
// per later part, named after its id and holding the first part's id, in a folder below the
// engine home that the drivers of one protocol share. A numeric id is also kept under the
// number it stands for in hexadecimal and in decimal. An entry is dated by its file's time,
// set from the map's clock; entries older than a week are of no use, are not found and are
// removed. Failures are silent: a lost entry only leaves a report unmatched, and a file that
// holds no id is no entry.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace nimbra::driver {

inline constexpr std::chrono::hours kPartIdMaxAge{24 * 7};

class PartIdMap {
public:
    // The time entries are dated by; the file system's clock unless a test gives another.
    using Clock = std::function<std::filesystem::file_time_type()>;

    explicit PartIdMap(std::filesystem::path folder, Clock clock = {});

    // Remembers that the message whose first part got firstId also has a part partId.
    void Remember(std::string_view partId, std::string_view firstId) const;
    // The first part's id of the message that had a part `id`, or `id` itself when no entry
    // younger than a week names it. A numeric id also finds the entry of the same number
    // written the other way (decimal or hexadecimal, with or without leading zeros), as
    // message centres write the ids of their receipts either way.
    std::string FirstIdOf(std::string_view id) const;
    // Removes the entries older than a week, and temporary files of writes that never ended.
    void RemoveOld() const;

private:
    std::filesystem::path PathOf(std::string_view name) const;
    std::filesystem::file_time_type Now() const;

    std::filesystem::path folder_;
    Clock clock_;
};

}  // namespace nimbra::driver
