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

// Failures kept on record for AnyFailed; they are rare, the oldest go beyond this.
constexpr std::size_t kFailuresKept = 1024;

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
    StopFlusher();
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
    // With the flusher, a full hold goes to it while the next writes fill the next batch: the
    // owner waits only for the batch before. This write's failure is then told as a held
    // write's is.
    if (holds_ > 0 && Flushing()) {
        WaitUntilFlusherIdle();
        FinishFlushed();
        CommitSoon();
        return true;
    }
    // This write's failure is told by the result, not by its handler.
    staged_.back().onFailure = nullptr;
    Commit();
    return !AnyFailed(number - 1, number);
}

void DurableWrites::Hold() {
    ++holds_;
}

void DurableWrites::Release() {
    if (holds_ > 0)
        --holds_;
}

bool DurableWrites::Pending() const {
    if (!staged_.empty())
        return true;
    std::lock_guard lock(mutex_);
    return !handedOver_.empty() || busy_;
}

bool DurableWrites::IsStaged(const std::string& path) const {
    if (std::any_of(staged_.begin(), staged_.end(),
                    [&path](const Staged& staged) { return staged.path == path; }))
        return true;
    std::lock_guard lock(mutex_);
    return std::find(inFlightPaths_.begin(), inFlightPaths_.end(), path) != inFlightPaths_.end();
}

std::size_t DurableWrites::CommitCount() const {
    std::lock_guard lock(mutex_);
    return commits_;
}

bool DurableWrites::AnyFailed(std::size_t first, std::size_t last) const {
    return std::any_of(allFailed_.begin(), allFailed_.end(),
                       [&](std::size_t number) { return number > first && number <= last; });
}

DurableWrites::Outcome DurableWrites::CommitBatch(std::vector<Staged>& batch) const {
    Outcome outcome;
    outcome.last = batch.back().number;
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
        outcome.failed.push_back(batch[i].number);
        if (batch[i].onFailure)
            outcome.failureHandlers.push_back(std::move(batch[i].onFailure));
    }
    return outcome;
}

void DurableWrites::Finish(Outcome outcome) {
    committedUpTo_ = std::max(committedUpTo_, outcome.last);
    allFailed_.insert(allFailed_.end(), outcome.failed.begin(), outcome.failed.end());
    if (allFailed_.size() > kFailuresKept)
        allFailed_.erase(allFailed_.begin(), allFailed_.end() - kFailuresKept);
    for (const auto& handler : outcome.failureHandlers)
        handler();
    // Taken first: a waiter may write and wait again.
    std::vector<Waiter> due;
    std::erase_if(waiters_, [&](Waiter& waiter) {
        if (waiter.last > committedUpTo_)
            return false;
        due.push_back(std::move(waiter));
        return true;
    });
    for (Waiter& waiter : due)
        waiter.done(!AnyFailed(waiter.first, waiter.last));
}

void DurableWrites::WaitUntilFlusherIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return handedOver_.empty() && !busy_; });
}

bool DurableWrites::Commit() {
    if (Flushing()) {
        WaitUntilFlusherIdle();
        FinishFlushed();
    }
    if (staged_.empty())
        return true;
    std::vector<Staged> batch = std::move(staged_);
    staged_.clear();
    {
        std::lock_guard lock(mutex_);
        ++commits_;
    }
    Outcome outcome = CommitBatch(batch);
    const bool allPlaced = outcome.failed.empty();
    Finish(std::move(outcome));
    return allPlaced;
}

void DurableWrites::CommitSoon() {
    if (!Flushing()) {
        Commit();
        return;
    }
    if (staged_.empty())
        return;
    {
        std::lock_guard lock(mutex_);
        // A batch being flushed is followed by all that came meanwhile, together.
        if (busy_ || !handedOver_.empty())
            return;
        for (Staged& staged : staged_)
            inFlightPaths_.push_back(staged.path);
        handedOver_ = std::move(staged_);
    }
    staged_.clear();
    wake_.notify_one();
}

void DurableWrites::WhenCommitted(std::size_t first, std::size_t last,
                                  std::function<void(bool ok)> done) {
    if (last <= committedUpTo_) {
        done(!AnyFailed(first, last));
        return;
    }
    waiters_.push_back({first, last, std::move(done)});
}

void DurableWrites::FinishFlushed() {
    std::vector<Outcome> outcomes;
    {
        std::lock_guard lock(mutex_);
        outcomes = std::move(finished_);
        finished_.clear();
    }
    for (Outcome& outcome : outcomes)
        Finish(std::move(outcome));
}

void DurableWrites::Drain() {
    FinishFlushed();
    if (holds_ == 0)
        CommitSoon();
}

void DurableWrites::RunFlusher() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !handedOver_.empty() || stopping_; });
        if (handedOver_.empty())
            return;
        std::vector<Staged> batch = std::move(handedOver_);
        handedOver_.clear();
        busy_ = true;
        ++commits_;
        lock.unlock();

        Outcome outcome = CommitBatch(batch);

        lock.lock();
        for (const Staged& staged : batch)
            inFlightPaths_.erase(
                std::find(inFlightPaths_.begin(), inFlightPaths_.end(), staged.path));
        finished_.push_back(std::move(outcome));
        busy_ = false;
        idle_.notify_all();
        lock.unlock();
        post_([this] { Drain(); });
        lock.lock();
    }
}

void DurableWrites::StartFlusher(PostFunction post) {
    if (Flushing())
        return;
    post_ = std::move(post);
    stopping_ = false;
    flusher_ = std::thread(&DurableWrites::RunFlusher, this);
}

void DurableWrites::StopFlusher() {
    if (!Flushing())
        return;
    Commit();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    flusher_.join();
    Drain();
    post_ = nullptr;
}

DurableWrites& ProcessDurableWrites() {
    static DurableWrites writes;
    return writes;
}

}  // namespace nimbra
