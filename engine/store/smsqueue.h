#pragma once

// A folder of the message store: a directory of ".sms" files and, once read, the list of its
// messages. The queue owns its messages and keeps them in the order they were read
// (file-name order) followed by the order of addition; it never sorts.
//
// Every operation runs on the engine's main thread, and nothing the queue calls runs the event
// loop (operator messages do not block), so a queue is not entered again from inside its own
// work. The lock marks an addition or removal in progress all the same: a caller that finds it
// taken can only be further down the same thread's stack, where waiting would never end, so it
// goes on, and an addition made that way leaves housekeeping for the next one.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sms.h"
#include "storeenvironment.h"

namespace nimbra {

class TFolderMan;
class TMessageList;

// The message files of a folder as read from disk, in name order: what a queue loads when the
// files were read away from the engine's thread. The queue may read the messages out of them a
// part at a time (ParseSnapshot) before it takes them.
struct FolderSnapshot {
    std::string directory;  // with a trailing "/"
    std::vector<std::string> names;
    std::vector<std::string> contents;
    // The messages of the first files, read from their contents; null for a file that did not
    // load.
    std::vector<std::unique_ptr<TSms>> messages;
};

// Reads every "*.sms" file of directory (with a trailing "/") in name order; a file that
// cannot be read is left out. Touches nothing but the files, so it runs on any thread.
// progress (optional) is told done of total every hundredth of the way; when it returns false
// the reading stops and the snapshot holds what was read so far.
FolderSnapshot ReadFolderSnapshot(
    const std::string& directory,
    const std::function<bool(std::size_t, std::size_t)>& progress = {});

// Seconds a day folder that could not take a message is left alone.
inline constexpr long long kDayFolderRetrySeconds = 600;

struct QueueFlags {
    // Messages are outgoing: the message list shows their destination.
    bool outgoing = false;
    // "Delete messages older than" applies on every addition.
    bool ageing = false;
    // "Move incoming messages to a new folder each day" applies on every addition.
    bool dailyMove = false;
};

class TSmsQueue {
public:
    // Creates the directory when it is missing; throws std::runtime_error
    // "Cannot find directory " + directory when that fails. folders (optional) makes the
    // day folders of dailyMove visible in the folder tree.
    TSmsQueue(StoreEnvironment& env, const std::string& directory, QueueFlags flags,
              TFolderMan* folders = nullptr);
    TSmsQueue(const TSmsQueue&) = delete;
    TSmsQueue& operator=(const TSmsQueue&) = delete;
    ~TSmsQueue();

    // Reads every "*.sms" file of the directory in name order and appends what loads; a
    // file that does not load is skipped. Meant for an empty queue.
    void LoadFolder();
    // Reads the messages of up to count more files of the snapshot, without taking them;
    // gives how many files are left.
    std::size_t ParseSnapshot(FolderSnapshot& snapshot, std::size_t count);
    // LoadFolder from a snapshot of the directory; files that came after the snapshot was
    // taken are read now, so none is missed, and those that went since are left out.
    void LoadSnapshot(FolderSnapshot snapshot);

    struct AddResult {
        // Position of the message in the queue; 0 when the queue is not loaded and the
        // message was only written to disk.
        int index = 0;
        // False when the message file could not be written.
        bool saved = true;
    };
    // Housekeeping first (ageing, day folders), then the message gets the next list id, is
    // written under a fresh file name unless noSave, shown when the queue is shown, and kept
    // when the queue is loaded.
    AddResult Add(std::unique_ptr<TSms> message, bool housekeeping = true, bool noSave = false);

    // Add with the file written; when it cannot be written the message is not kept either,
    // so that no message lives in memory only. False then.
    bool AddSaved(std::unique_ptr<TSms> message);

    int IndexOfListId(int listId) const;
    TSms* FindByListId(int listId) const;
    // Removes the message's row when shown, deletes its file and the message.
    void RemoveAt(int index);
    // Destroys every message; the files stay.
    void Clear();
    // Reads the directory again. A message a device is sending stays the same object, so
    // that the outcome the device reports still finds it.
    void Reload();
    // Reload from a snapshot of the directory, as LoadSnapshot reads it.
    void ReloadSnapshot(FolderSnapshot snapshot);

    void Acquire();
    void Release();
    bool IsLocked() const { return lockDepth_ > 0; }

    int Count() const { return static_cast<int>(messages_.size()); }
    TSms& At(int index) const { return *messages_[static_cast<std::size_t>(index)]; }
    // With a trailing "/".
    const std::string& Directory() const { return directory_; }
    const QueueFlags& Flags() const { return flags_; }
    StoreEnvironment& Environment() const { return env_; }
    int Sequence() const { return sequence_; }

    bool loaded = false;
    // Additions leave the message list alone (a bulk import runs).
    bool hidden = false;

    // The message list that shows this queue, or null; set by the queue manager.
    void SetShownIn(TMessageList* list) { shownIn_ = list; }
    bool IsShown() const { return shownIn_ != nullptr; }

private:
    void Housekeeping();
    // Saves the message into its day folder; true when it was written there.
    bool MoveToDayFolder(TSms& message, long long now);
    void RemoveRow(const TSms& message);
    // The message of a file (its content read already, or not), null when it does not load.
    std::unique_ptr<TSms> ReadMessage(const std::string& path, const std::string* content) const;
    // Appends a message that loaded, giving it the next list id.
    void AppendLoaded(std::unique_ptr<TSms> message);
    // Replaces the messages by what load reads, keeping a message a device is sending.
    void ReplaceMessages(const std::function<void()>& load);

    StoreEnvironment& env_;
    std::string directory_;
    QueueFlags flags_;
    TFolderMan* folders_;
    TMessageList* shownIn_ = nullptr;
    std::vector<std::unique_ptr<TSms>> messages_;
    int sequence_ = 1;
    int lockDepth_ = 0;
    // Day folder -> local epoch seconds before which it is not tried again.
    std::map<std::string, long long> dayFolderRetry_;
};

// Files a copy of from's message at index in to (after change has edited the copy), then
// removes the original. When the copy cannot be written the original stays where it is, so a
// failure or a crash in between leaves the message in one folder, at worst in two, never in
// none. True when the message moved.
bool MoveMessage(TSmsQueue& from, int index, TSmsQueue& to,
                 const std::function<void(TSms&)>& change = {});

// RAII holder of a queue's lock.
class QueueLock {
public:
    explicit QueueLock(TSmsQueue& queue) : queue_(queue) { queue_.Acquire(); }
    ~QueueLock() { queue_.Release(); }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;

private:
    TSmsQueue& queue_;
};

}  // namespace nimbra
