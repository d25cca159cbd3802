#pragma once

// Files that must survive a power cut once the program has said they are written (a stored
// message a client or device has been answered about). Each file is written to a temporary
// file beside its path, flushed to the disk, renamed into place, and then its folder is
// flushed, so that after a crash the path holds the old file or the whole new one, and a
// file that was acknowledged is there.
//
// Flushing costs milliseconds, so the writes of one burst share their flushes: while the
// writes are held, a write only fills its temporary file, and the next Commit flushes them
// all together, renames them, and flushes each folder once. Without a hold every write is
// committed at once. Used on one thread.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra {

// Writes held back at most; one more commits them.
inline constexpr std::size_t kMaxHeldWrites = 256;

class DurableWrites {
public:
    // A flush of an open file or folder: 0 on success, as fdatasync and fsync.
    using SyncFunction = std::function<int(int fd)>;

    DurableWrites();
    // Commits what is still held.
    ~DurableWrites();
    DurableWrites(const DurableWrites&) = delete;
    DurableWrites& operator=(const DurableWrites&) = delete;

    // Fills a temporary file beside path with text; it becomes path at the next Commit, at
    // once when nothing holds the writes. False, with nothing left behind, when the temporary
    // file cannot be written or the commit made here fails; onFailure is called when a later
    // commit cannot put the file in place, after this returned true.
    bool Write(const std::string& path, std::string_view text,
               std::function<void()> onFailure = {});

    // Holds can nest; the writes wait for Commit while any is held.
    void Hold();
    void Release();

    bool Pending() const { return !staged_.empty(); }
    // Whether a held write will put a file at path.
    bool IsStaged(const std::string& path) const;

    // Flushes every waiting file, renames each into place in the order written, then flushes
    // each of their folders once. False when any of them failed. Does nothing when nothing
    // waits.
    bool Commit();
    // Commits that had something to flush, since the start.
    std::size_t CommitCount() const { return commits_; }
    // Writes since the start; the first is number 1.
    std::size_t WriteCount() const { return written_; }
    // Whether a commit failed to put any of the writes numbered after first, up to last, in
    // place.
    bool AnyFailed(std::size_t first, std::size_t last) const;

    // The flush calls (tests record them); by default fdatasync for files and fsync for
    // folders.
    void SetSyncFunctions(SyncFunction file, SyncFunction folder);

private:
    struct Staged {
        std::string temp;
        std::string path;
        int fd = -1;
        std::size_t number = 0;  // of writes since the start
        std::function<void()> onFailure;
    };

    std::vector<Staged> staged_;
    std::size_t written_ = 0;
    // The numbers of the writes the last commit could not put in place, and of all that
    // failed so far (failures are rare; the oldest go beyond a limit).
    std::vector<std::size_t> lastFailed_;
    std::vector<std::size_t> allFailed_;
    int holds_ = 0;
    std::size_t commits_ = 0;
    SyncFunction syncFile_;
    SyncFunction syncFolder_;
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
