#include "durablewrites.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "atomicfile.h"

namespace nimbra {
namespace {

int SyncFolder(const std::string& folder, const DurableWrites::SyncFunction& sync) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int result = sync(fd);
    ::close(fd);
    return result;
}

}  // namespace

DurableWrites::DurableWrites()
    : syncFile_([](int fd) { return ::fdatasync(fd); }),
      syncFolder_([](int fd) { return ::fsync(fd); }) {}

DurableWrites::~DurableWrites() {
    Commit();
}

void DurableWrites::SetSyncFunctions(SyncFunction file, SyncFunction folder) {
    syncFile_ = std::move(file);
    syncFolder_ = std::move(folder);
}

bool DurableWrites::Write(const std::string& path, std::string_view text,
                          std::function<void()> onFailure) {
    Staged staged{{}, path, -1, 0, std::move(onFailure)};
    staged.fd = CreateTemporaryBeside(path, staged.temp);
    if (staged.fd < 0)
        return false;
    if (!WriteAll(staged.fd, text)) {
        ::close(staged.fd);
        std::remove(staged.temp.c_str());
        return false;
    }
    // The disk starts on it now; the flush at the commit then mostly waits for what is done.
    ::sync_file_range(staged.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    const std::size_t number = ++written_;
    staged.number = number;
    staged_.push_back(std::move(staged));
    if (holds_ > 0 && staged_.size() < kMaxHeldWrites)
        return true;
    // This write's failure is told by the result, not by its handler.
    staged_.back().onFailure = nullptr;
    Commit();
    return std::find(lastFailed_.begin(), lastFailed_.end(), number) == lastFailed_.end();
}

void DurableWrites::Hold() {
    ++holds_;
}

void DurableWrites::Release() {
    if (holds_ > 0)
        --holds_;
}

bool DurableWrites::IsStaged(const std::string& path) const {
    return std::any_of(staged_.begin(), staged_.end(),
                       [&path](const Staged& staged) { return staged.path == path; });
}

bool DurableWrites::Commit() {
    lastFailed_.clear();
    if (staged_.empty())
        return true;
    // Taken first: a failure handler may write again.
    std::vector<Staged> batch = std::move(staged_);
    staged_.clear();
    ++commits_;

    // Every file's contents are on the disk before any name is, so that a power cut never
    // leaves a named file without them; the flushes after the first find most of the work
    // done.
    std::vector<bool> placed(batch.size(), false);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const bool flushed = syncFile_(batch[i].fd) == 0;
        placed[i] = ::close(batch[i].fd) == 0 && flushed;
    }
    std::map<std::string, bool> folders;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const Staged& staged = batch[i];
        placed[i] = placed[i] && std::rename(staged.temp.c_str(), staged.path.c_str()) == 0;
        if (placed[i])
            folders.emplace(FolderOf(staged.path), false);
        else
            std::remove(staged.temp.c_str());
    }
    // The renames reach the disk with their folders.
    for (auto& [folder, synced] : folders)
        synced = SyncFolder(folder, syncFolder_) == 0;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (placed[i] && folders[FolderOf(batch[i].path)])
            continue;
        lastFailed_.push_back(batch[i].number);
    }
    const std::vector<std::size_t> failed = lastFailed_;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (std::find(failed.begin(), failed.end(), batch[i].number) != failed.end() &&
            batch[i].onFailure)
            batch[i].onFailure();
    }
    lastFailed_ = failed;
    allFailed_.insert(allFailed_.end(), failed.begin(), failed.end());
    if (allFailed_.size() > kMaxHeldWrites * 4)
        allFailed_.erase(allFailed_.begin(), allFailed_.end() - kMaxHeldWrites * 4);
    return failed.empty();
}

bool DurableWrites::AnyFailed(std::size_t first, std::size_t last) const {
    return std::any_of(allFailed_.begin(), allFailed_.end(),
                       [&](std::size_t number) { return number > first && number <= last; });
}

DurableWrites& ProcessDurableWrites() {
    static DurableWrites writes;
    return writes;
}

}  // namespace nimbra
