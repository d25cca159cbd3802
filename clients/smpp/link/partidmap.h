#pragma once
// Which message a part belongs to: a long message goes as several short messages, each with
// the message centre's own id, and the engine knows it by the first part's id. A receipt may
// name any part, also one that comes after a restart, so the map lives on disk: one small file
// per later part, named after its id and holding the first part's id, in a folder that the
// smpp drivers of one engine share; a numeric id is also kept under the number it stands for
// in hexadecimal and in decimal. Entries older than a week are of no use and are removed.
// Failures are silent: a lost entry only leaves a receipt unmatched.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace nimbra::smpp {

inline constexpr std::chrono::hours kPartIdMaxAge{24 * 7};

class PartIdMap {
public:
    explicit PartIdMap(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Remembers that the message whose first part got firstId also has a part partId.
    void Remember(std::string_view partId, std::string_view firstId) const;
    // The first part's id of the message that had a part `id`, or `id` itself when no entry
    // names it. A numeric id also finds the entry of the same number written the other way
    // (decimal or hexadecimal, with or without leading zeros), as message centres write the
    // ids of their receipts either way.
    std::string FirstIdOf(std::string_view id) const;
    // Removes the entries written before limit.
    void RemoveWrittenBefore(std::filesystem::file_time_type limit) const;

private:
    std::filesystem::path PathOf(std::string_view name) const;

    std::filesystem::path folder_;
};

}  // namespace nimbra::smpp
