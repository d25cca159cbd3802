#pragma once

// The message store's folders: the eight system queues under "SysFolders", a cache of the
// user-folder queues displayed in this run, and the folder shown in the message list. The
// state of a message is the folder it is in: outgoing messages go Outbox -> Sent Items, or
// Outbox -> Waiting for resend -> Outbox ... -> Could not be sent; incoming ones land in Inbox.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "folderman.h"
#include "messagelist.h"
#include "smsqueue.h"
#include "storeenvironment.h"

namespace nimbra {

inline const std::string kSystemFoldersDirectory = "SysFolders";

// The system folders in the order they are created.
enum class SystemFolder {
    Tmp,               // submitted by a client, being processed
    Inbox,             // tree index 0
    Outbox,            // tree index 1
    WaitingForResend,  // tree index 2
    Receive,           // reserved for the receive path, shown nowhere
    SentItems,         // tree index 3, read on first display
    DeletedItems,      // tree index 4, read on first display
    CouldNotBeSent,    // tree index 5, read on first display
};
inline constexpr std::size_t kSystemFolderCount = 8;

// User-folder queues kept at most; beyond it the one displayed longest ago goes.
inline constexpr std::size_t kUserFolderCacheSize = 999;

class TqueueManager {
public:
    // Creates "SysFolders" (throws std::runtime_error "Cannot create folder!") and the eight
    // queues (each may throw "Cannot find directory ...").
    TqueueManager(StoreEnvironment& env, TFolderMan& folders);
    TqueueManager(const TqueueManager&) = delete;
    TqueueManager& operator=(const TqueueManager&) = delete;
    ~TqueueManager();

    // Reads Tmp (then empties its list; the files stay), Inbox, Outbox, Waiting for resend
    // and Receive. The other folders are read when first displayed.
    void LoadAtStart();

    TSmsQueue& Queue(SystemFolder folder) const;

    // The first message of queue whose message id equals id; the queue is read first when
    // it has not been.
    TSms* FindByMessageId(TSmsQueue& queue, const std::string& id);
    // The same search without reading the queue; the message found is removed from the
    // queue (its file deleted) and a copy returned.
    std::unique_ptr<TSms> TakeByMessageId(TSmsQueue& queue, const std::string& id);

    struct Location {
        TSms* message = nullptr;
        TSmsQueue* queue = nullptr;
    };
    // Searches Tmp, Receive, Outbox, Waiting for resend, Deleted Items, Could not be sent,
    // Inbox and Sent Items in this order; the first hit wins.
    Location LocateMessage(const std::string& id);

    // 0-2 the Inbox, Outbox and Waiting for resend queues; 3-5 Sent Items, Deleted Items and
    // Could not be sent once read; above 6 a user folder displayed in this run; else null.
    TSmsQueue* QueueForTreeIndex(int index);

    // The queue SelectFolder(index) would show, not read yet when it has not been; null for
    // "Server events" and indexes without a folder.
    TSmsQueue* QueueToShow(int index);
    // Shows the folder at a tree index in the message list, reading it when needed; -1 shows
    // nothing.
    void SelectFolder(int index);
    // The tree's selection moved to node: shows its folder (nothing for "Server events") and
    // sets "status2" to the number of messages shown. Gives the folder's tree index.
    int SelectNode(const TFolderNode& node);
    // Reads the folder shown again from disk.
    void RefreshShown();
    // The same from a snapshot of its directory read elsewhere.
    void RefreshShown(FolderSnapshot snapshot);
    int ShownIndex() const { return shownIndex_; }
    TSmsQueue* ShownQueue() const { return shown_; }
    TMessageList& MessageList() { return list_; }

    TSms* MessageForRow(int row) const;
    void DeleteRow(int row);
    // Moves the message of a row to the folder at a tree index; false when nothing moved.
    bool MoveRow(int row, int target);

private:
    struct CachedFolder {
        std::string path;
        std::unique_ptr<TSmsQueue> queue;
    };

    std::vector<CachedFolder>::const_iterator FindCached(const std::string& path) const;
    TSmsQueue* CachedUserQueue(const std::string& path) const;
    TSmsQueue& UserQueue(const std::string& path);
    // Directory of the folder at a tree index; empty when there is none.
    std::string DirectoryOfIndex(int index) const;
    bool IsShown(int index) const;
    void StopShowing();
    void ForgetFolder(const std::string& path);

    StoreEnvironment& env_;
    TFolderMan& folders_;
    std::array<std::unique_ptr<TSmsQueue>, kSystemFolderCount> system_;
    std::vector<CachedFolder> cache_;  // the most recently displayed last
    TMessageList list_;
    int shownIndex_ = -1;
    std::string shownPath_;  // folder path when a user folder is shown
    TSmsQueue* shown_ = nullptr;
};

}  // namespace nimbra
