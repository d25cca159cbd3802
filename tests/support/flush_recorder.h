#pragma once
// Records the flushes of a set of durable writes, each with the names its folder holds at that
// moment (temporary files left out), so that a test sees whether a file was flushed before
// its rename and its folder after. Restores the real flushes when it goes.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "durablewrites.h"

namespace nimbra::testing_support {

class FlushRecorder {
public:
    explicit FlushRecorder(DurableWrites& writes) : writes_(writes) {
        writes.SetSyncFunctions(
            [this](int fd) {
                const std::filesystem::path file = NameOf(fd);
                events.push_back("file:" + file.string() + Listing(file.parent_path()));
                return fileResult;
            },
            [this](int fd) {
                events.push_back("folder:" + NameOf(fd) + Listing(NameOf(fd)));
                return 0;
            });
    }
    ~FlushRecorder() {
        writes_.SetSyncFunctions([](int fd) { return ::fdatasync(fd); },
                                 [](int fd) { return ::fsync(fd); });
    }
    FlushRecorder(const FlushRecorder&) = delete;
    FlushRecorder& operator=(const FlushRecorder&) = delete;

    static std::string NameOf(int fd) {
        return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).string();
    }
    // " [name name ...]": the folder's names in order, without temporary files.
    static std::string Listing(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() != ".tmp")
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        std::string text = " [";
        for (std::size_t i = 0; i < names.size(); ++i)
            text += (i > 0 ? " " : "") + names[i];
        return text + "]";
    }

    // "file:<temporary path> [...]" and "folder:<path> [...]", in order.
    std::vector<std::string> events;
    // What a file flush answers.
    int fileResult = 0;

private:
    DurableWrites& writes_;
};

// Leaves the flushes out while it lives, for tests that write thousands of files to check
// their contents, not their durability; restores the real flushes when it goes.
class ScopedNoFlush {
public:
    explicit ScopedNoFlush(DurableWrites& writes) : writes_(writes) {
        writes.SetSyncFunctions([](int) { return 0; }, [](int) { return 0; });
    }
    ~ScopedNoFlush() {
        writes_.SetSyncFunctions([](int fd) { return ::fdatasync(fd); },
                                 [](int fd) { return ::fsync(fd); });
    }
    ScopedNoFlush(const ScopedNoFlush&) = delete;
    ScopedNoFlush& operator=(const ScopedNoFlush&) = delete;

private:
    DurableWrites& writes_;
};

}  // namespace nimbra::testing_support
