#pragma once

// The part store: received parts of concatenated messages wait here, one small text file per
// part, until every part of their message has come. A part is known by its sender and the stem
// of its concatenation element, so two senders using the same reference keep their parts
// apart: "<sender>_<stem><part>.smspart.txt", one line, the sender's characters other than
// letters, digits and "+" written as "%" and two hexadecimal digits. Parts stored under the
// earlier name without the sender ("<stem><part>.smspart.txt") are still read.
// Failures are silent on purpose: a part that cannot be written or read only leaves its
// message incomplete.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra {

// Parts older than this belong to messages that will not complete.
inline constexpr std::chrono::hours kPartFileMaxAge{24 * 7};

struct PduPartKey {
    std::string_view sender;
    std::string_view stem;  // the concatenation element's identifier, length and reference
};

class PduPartStore {
public:
    explicit PduPartStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::filesystem::path PathOf(const PduPartKey& key, int part) const;
    // Creates the folder when needed and writes the line through a temporary file renamed
    // over the part, so a reader never sees half a part. False when that failed.
    bool Store(const PduPartKey& key, int part, std::string_view line) const;
    // The lines of parts 1..total in order; nothing unless every one of them could be read.
    std::optional<std::vector<std::string>> Collect(const PduPartKey& key, int total) const;
    // Removes the files Collect reads.
    void Remove(const PduPartKey& key, int total) const;
    // Removes the part files, and the temporary files of writes that never finished, last
    // written before limit.
    void RemoveWrittenBefore(std::filesystem::file_time_type limit) const;

private:
    // The sender's file, or the one of the earlier name when only that one is there.
    std::filesystem::path ExistingPathOf(const PduPartKey& key, int part) const;

    std::filesystem::path folder_;
};

}  // namespace nimbra
