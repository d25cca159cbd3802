#include "atomicfile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "durablewrites.h"

namespace nimbra {

// The name is one no other writer (thread or process) uses at the same time, and ends in
// ".tmp" so that folder listings of stored files never take it for one.
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

bool WriteFileAtomically(const std::string& path, std::string_view text) {
    std::string temp;
    const int fd = CreateTemporaryBeside(path, temp);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool WriteFileDurably(const std::string& path, std::string_view text) {
    DurableWrites writes;
    return writes.Write(path, text);
}

std::size_t RemoveStaleTemporaries(const std::string& folder, bool recursive) {
    namespace fs = std::filesystem;
    std::size_t removed = 0;
    std::error_code ec;
    const auto visit = [&](const fs::directory_entry& entry) {
        std::error_code ignored;
        if (entry.path().extension() == ".tmp" && entry.is_regular_file(ignored) &&
            fs::remove(entry.path(), ignored))
            ++removed;
    };
    if (recursive) {
        for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec))
            visit(*it);
    } else {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            visit(*it);
    }
    return removed;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    text.clear();
    char buffer[16384];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace nimbra
