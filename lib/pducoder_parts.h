#pragma once

// The part store: received parts of concatenated messages wait here, one small text file per
// part ("<stem><part>.smspart.txt", one line), until every part of their message has come.
// Failures are silent on purpose: a part that cannot be written or read only leaves its
// message incomplete.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra {

class PduPartStore {
public:
    explicit PduPartStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::filesystem::path PathOf(std::string_view stem, int part) const;
    // Creates the folder when needed and writes the line through a temporary file renamed
    // over the part, so a reader never sees half a part. False when that failed.
    bool Store(std::string_view stem, int part, std::string_view line) const;
    // The lines of parts 1..total in order; nothing unless every one of them could be read.
    std::optional<std::vector<std::string>> Collect(std::string_view stem, int total) const;
    void Remove(std::string_view stem, int total) const;

private:
    std::filesystem::path folder_;
};

}  // namespace nimbra
