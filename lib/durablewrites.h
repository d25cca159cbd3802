#pragma once

// Files that must survive a power cut once the program has said they are written (a stored
// message a client or device has been answered about). Each file is written to a temporary
// file beside its path, flushed to the disk, renamed into place, and then its folder is
// flushed, so that after a crash the path holds the old file or the whole new one, and a
// file that was acknowledged is there.
//
// Flushing costs milliseconds, so the writes of one burst share their flushes: while the
// writes are held, a write only fills its temporary file, and the next commit flushes them
// all together, renames them, and flushes each folder once. Without a hold every write is
// committed at once. With a flusher started, CommitSoon() hands the waiting writes to a thread
// of their own, and the writes made while it flushes wait to go together in the next batch;
// whoever waits for them is told on the owner's thread. Everything but the flusher runs on
// one thread, the owner's.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nimbra {

// Writes held back at most; one more commits them.
inline constexpr std::size_t kMaxHeldWrites = 256;

class DurableWrites {
public:
    // A flush of an open file or folder: 0 on success, as fdatasync and fsync.
    using SyncFunction = std::function<int(int fd)>;
    // Runs a function on the owner's thread, later; callable from any thread.
    using PostFunction = std::function<void(std::function<void()>)>;

    DurableWrites();
    // Stops the flusher and commits what still waits.
    ~DurableWrites();
    DurableWrites(const DurableWrites&) = delete;
    DurableWrites& operator=(const DurableWrites&) = delete;

    // Fills a temporary file beside path with text; it becomes path at the next commit, at
    // once when nothing holds the writes (kMaxHeldWrites held writes go to the flusher when
    // it runs, the owner waiting only for the batch before, and are committed at once
    // without it). False, with nothing left behind, when the temporary
    // file cannot be written or the commit made here fails; onFailure is called when a later
    // commit cannot put the file in place, after this returned true.
    bool Write(const std::string& path, std::string_view text,
               std::function<void()> onFailure = {});

    // Holds can nest; the writes wait for a commit while any is held.
    void Hold();
    void Release();

    // Whether a write waits for its commit or is being committed.
    bool Pending() const;
    // Whether a write waiting for its commit will put a file at path.
    bool IsStaged(const std::string& path) const;

    // Every write made so far is in place and flushed when this returns: waits for the
    // flusher, then commits what waits here. False when any of those here failed.
    bool Commit();
    // Hands the waiting writes to the flusher, now or once it is done with the batch it
    // has; commits at once without a flusher.
    void CommitSoon();
    // done(ok) runs on the owner's thread once the writes up to number last are committed;
    // ok is false when one numbered after first failed. At once when they are.
    void WhenCommitted(std::size_t first, std::size_t last, std::function<void(bool ok)> done);

    // Starts the flusher thread; post brings its results to the owner's thread.
    void StartFlusher(PostFunction post);
    // Commits everything and ends the flusher thread.
    void StopFlusher();
    bool Flushing() const { return flusher_.joinable(); }

    // Commits that had something to flush, since the start.
    std::size_t CommitCount() const;
    // Writes since the start; the first is number 1.
    std::size_t WriteCount() const { return written_; }
    // Whether a commit failed to put any of the writes numbered after first, up to last, in
    // place.
    bool AnyFailed(std::size_t first, std::size_t last) const;

    // The flush calls (tests record them); by default fdatasync for files and fsync for
    // folders. Not while a flusher runs.
    void SetSyncFunctions(SyncFunction file, SyncFunction folder);

private:
    struct Staged {
        std::string temp;
        std::string path;
        int fd = -1;
        std::size_t number = 0;
        std::function<void()> onFailure;
    };
    // What a commit did: the last write number it covered and the writes it could not place.
    struct Outcome {
        std::size_t last = 0;
        std::vector<std::size_t> failed;
        std::vector<std::function<void()>> failureHandlers;
    };
    struct Waiter {
        std::size_t first;
        std::size_t last;
        std::function<void(bool)> done;
    };

    // Flushes, renames and flushes folders; runs on either thread.
    Outcome CommitBatch(std::vector<Staged>& batch) const;
    // On the owner's thread: records an outcome and tells whoever waits for it.
    void Finish(Outcome outcome);
    // On the owner's thread: finishes the outcomes the flusher has brought.
    void FinishFlushed();
    // The same, then hands the flusher the next batch.
    void Drain();
    void RunFlusher();
    void WaitUntilFlusherIdle();

    // Owner's thread only.
    std::vector<Staged> staged_;
    int holds_ = 0;
    std::size_t written_ = 0;
    std::size_t committedUpTo_ = 0;
    std::vector<std::size_t> allFailed_;
    std::vector<Waiter> waiters_;
    SyncFunction syncFile_;
    SyncFunction syncFolder_;
    PostFunction post_;

    // Shared with the flusher, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::vector<Staged> handedOver_;
    std::vector<std::string> inFlightPaths_;
    std::vector<Outcome> finished_;
    bool busy_ = false;
    bool stopping_ = false;
    std::size_t commits_ = 0;
    std::thread flusher_;
};

// The process's one set of durable writes: every stored message goes through it.
DurableWrites& ProcessDurableWrites();

// RAII hold of the process's durable writes.
class DurableWritesHold {
public:
    DurableWritesHold() { ProcessDurableWrites().Hold(); }
    ~DurableWritesHold() { ProcessDurableWrites().Release(); }
    DurableWritesHold(const DurableWritesHold&) = delete;
    DurableWritesHold& operator=(const DurableWritesHold&) = delete;
};

}  // namespace nimbra
