#include "queuemanager.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "durablewrites.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

struct SystemFolderInfo {
    SystemFolder folder;
    const char* directory;
    QueueFlags flags;
};

// outgoing, ageing, dailyMove
const SystemFolderInfo kSystemFolders[kSystemFolderCount] = {
    {SystemFolder::Tmp, "Tmp", {false, true, false}},
    {SystemFolder::Inbox, "Inbox", {false, true, true}},
    {SystemFolder::Outbox, "Outbox", {true, true, false}},
    {SystemFolder::WaitingForResend, "Waiting for resend", {true, true, false}},
    {SystemFolder::Receive, "Receive", {false, true, false}},
    {SystemFolder::SentItems, "Sent Items", {true, true, false}},
    {SystemFolder::DeletedItems, "Deleted Items", {false, true, false}},
    {SystemFolder::CouldNotBeSent, "Could not be sent", {true, true, false}},
};

// The system folder behind the tree indexes 0-5.
constexpr SystemFolder kTreeFolders[] = {
    SystemFolder::Inbox,     SystemFolder::Outbox,       SystemFolder::WaitingForResend,
    SystemFolder::SentItems, SystemFolder::DeletedItems, SystemFolder::CouldNotBeSent,
};

bool IsSystemIndex(int index) {
    return index >= kTreeInbox && index <= kTreeCouldNotBeSent;
}

bool IsUserIndex(int index) {
    return index >= kFirstUserFolderIndex;
}

bool IsAtOrBelow(const std::string& path, const std::string& folder) {
    return path == folder || path.starts_with(folder + "/");
}

}  // namespace

TqueueManager::TqueueManager(StoreEnvironment& env, TFolderMan& folders)
    : env_(env), folders_(folders) {
    const std::string root = env_.PathOf(kSystemFoldersDirectory);
    std::error_code ec;
    fs::create_directories(root, ec);
    if (!fs::is_directory(root, ec))
        throw std::runtime_error("Cannot create folder!");
    for (const SystemFolderInfo& info : kSystemFolders) {
        system_[static_cast<std::size_t>(info.folder)] =
            std::make_unique<TSmsQueue>(env_, root + "/" + info.directory, info.flags, &folders_);
    }
    folders_.SetFolderGoneHandler([this](const std::string& path) { ForgetFolder(path); });
}

TqueueManager::~TqueueManager() {
    folders_.SetFolderGoneHandler(nullptr);
    StopShowing();
}

void TqueueManager::LoadAtStart() {
    for (SystemFolder folder : {SystemFolder::Tmp, SystemFolder::Inbox, SystemFolder::Outbox,
                                SystemFolder::WaitingForResend, SystemFolder::Receive}) {
        Queue(folder).LoadFolder();
    }
    // Messages left in Tmp were being processed when the engine stopped; their files stay.
    Queue(SystemFolder::Tmp).Clear();
}

TSmsQueue& TqueueManager::Queue(SystemFolder folder) const {
    return *system_[static_cast<std::size_t>(folder)];
}

TSms* TqueueManager::FindByMessageId(TSmsQueue& queue, const std::string& id) {
    if (!queue.loaded)
        queue.LoadFolder();
    for (int i = 0; i < queue.Count(); ++i) {
        if (queue.At(i).messageId == id)
            return &queue.At(i);
    }
    return nullptr;
}

std::unique_ptr<TSms> TqueueManager::TakeByMessageId(TSmsQueue& queue, const std::string& id) {
    for (int i = 0; i < queue.Count(); ++i) {
        if (queue.At(i).messageId == id) {
            std::unique_ptr<TSms> copy = queue.At(i).Clone();
            queue.RemoveAt(i);
            return copy;
        }
    }
    return nullptr;
}

TqueueManager::Location TqueueManager::LocateMessage(const std::string& id) {
    for (SystemFolder folder :
         {SystemFolder::Tmp, SystemFolder::Receive, SystemFolder::Outbox,
          SystemFolder::WaitingForResend, SystemFolder::DeletedItems, SystemFolder::CouldNotBeSent,
          SystemFolder::Inbox, SystemFolder::SentItems}) {
        TSmsQueue& queue = Queue(folder);
        if (TSms* message = FindByMessageId(queue, id))
            return {message, &queue};
    }
    return {};
}

std::vector<TqueueManager::CachedFolder>::const_iterator TqueueManager::FindCached(
    const std::string& path) const {
    return std::find_if(cache_.begin(), cache_.end(),
                        [&path](const CachedFolder& cached) { return cached.path == path; });
}

TSmsQueue* TqueueManager::CachedUserQueue(const std::string& path) const {
    const auto hit = FindCached(path);
    return hit == cache_.end() ? nullptr : hit->queue.get();
}

TSmsQueue& TqueueManager::UserQueue(const std::string& path) {
    const auto hit = cache_.begin() + (FindCached(path) - cache_.cbegin());
    if (hit != cache_.end()) {
        // The most recently displayed folders stay at the back.
        std::rotate(hit, hit + 1, cache_.end());
        return *cache_.back().queue;
    }
    if (cache_.size() >= kUserFolderCacheSize)
        cache_.erase(cache_.begin());
    auto queue = std::make_unique<TSmsQueue>(env_, env_.PathOf(kUserFoldersDirectory + "/" + path),
                                             QueueFlags{}, &folders_);
    cache_.push_back({path, std::move(queue)});
    return *cache_.back().queue;
}

TSmsQueue* TqueueManager::QueueForTreeIndex(int index) {
    if (index >= kTreeInbox && index <= kTreeWaitingForResend)
        return &Queue(kTreeFolders[index]);
    if (index >= kTreeSentItems && index <= kTreeCouldNotBeSent) {
        TSmsQueue& queue = Queue(kTreeFolders[index]);
        return queue.loaded ? &queue : nullptr;
    }
    if (IsUserIndex(index)) {
        const std::string path = folders_.UserFolderPathAt(index);
        return path.empty() ? nullptr : CachedUserQueue(path);
    }
    return nullptr;
}

std::string TqueueManager::DirectoryOfIndex(int index) const {
    if (IsSystemIndex(index)) {
        const std::string& directory = Queue(kTreeFolders[index]).Directory();
        return directory.substr(0, directory.size() - 1);
    }
    const std::string path = folders_.UserFolderPathAt(index);
    return path.empty() ? std::string() : env_.PathOf(kUserFoldersDirectory + "/" + path);
}

bool TqueueManager::IsShown(int index) const {
    if (IsUserIndex(index))
        return !shownPath_.empty() && folders_.UserFolderPathAt(index) == shownPath_;
    return index == shownIndex_;
}

void TqueueManager::StopShowing() {
    if (shown_)
        shown_->SetShownIn(nullptr);
    shown_ = nullptr;
    shownPath_.clear();
    list_.Clear();
}

TSmsQueue* TqueueManager::QueueToShow(int index) {
    if (IsSystemIndex(index))
        return &Queue(kTreeFolders[index]);
    if (!IsUserIndex(index))
        return nullptr;
    const std::string path = folders_.UserFolderPathAt(index);
    if (path.empty())
        return nullptr;
    try {
        return &UserQueue(path);
    } catch (const std::runtime_error& error) {
        env_.Notify(error.what());
        return nullptr;
    }
}

void TqueueManager::SelectFolder(int index) {
    // Indexes of user folders shift as folders come and go, so they are compared by path.
    if (IsShown(index) && (shown_ || index == kTreeServerEvents))
        return;
    StopShowing();
    shownIndex_ = index;
    TSmsQueue* queue = QueueToShow(index);
    if (!queue)
        return;
    if (IsUserIndex(index))
        shownPath_ = folders_.UserFolderPathAt(index);
    if (!queue->loaded)
        queue->LoadFolder();
    shown_ = queue;
    shown_->SetShownIn(&list_);
    list_.Fill(shown_);
}

int TqueueManager::SelectNode(const TFolderNode& node) {
    // By its place in the tree: a user folder may bear the name of a system folder.
    const int index = folders_.Tree().IndexOfNode(&node);
    SelectFolder(index);
    env_.SetStatus("status2", std::to_string(list_.RowCount()));
    return index;
}

void TqueueManager::RefreshShown() {
    if (!shown_)
        return;
    shown_->Reload();
    list_.Fill(shown_);
}

void TqueueManager::RefreshShown(FolderSnapshot snapshot) {
    if (!shown_)
        return;
    shown_->ReloadSnapshot(std::move(snapshot));
    list_.Fill(shown_);
}

TSms* TqueueManager::MessageForRow(int row) const {
    return shown_ ? shown_->FindByListId(list_.ListIdAt(row)) : nullptr;
}

void TqueueManager::DeleteRow(int row) {
    if (shown_)
        shown_->RemoveAt(shown_->IndexOfListId(list_.ListIdAt(row)));
}

bool TqueueManager::MoveRow(int row, int target) {
    if (target == kTreeServerEvents || !shown_ || IsShown(target))
        return false;
    TSms* message = MessageForRow(row);
    if (!message)
        return false;
    message->Unlock();
    const std::string fileName = message->path.substr(message->path.find_last_of('/') + 1);

    if (TSmsQueue* queue = QueueForTreeIndex(target)) {
        const TSmsQueue::AddResult added = queue->Add(message->Clone());
        if (!added.saved) {
            // The copy never reached the disk: keep the message where it is.
            if (queue->loaded)
                queue->RemoveAt(added.index);
            return false;
        }
    } else {
        const std::string directory = DirectoryOfIndex(target);
        if (directory.empty())
            return false;
        // The file must be at its path before it can move; rename() would silently replace
        // a file of the same name in the target.
        ProcessDurableWrites().Commit();
        const std::string destination = directory + "/" + fileName;
        std::error_code ec;
        if (fs::exists(destination, ec) || (fs::rename(message->path, destination, ec), ec)) {
            env_.Notify(env_.Translate("Cannot move message!"));
            return false;
        }
    }
    shown_->RemoveAt(shown_->IndexOfListId(message->listId));
    return true;
}

void TqueueManager::ForgetFolder(const std::string& path) {
    if (shown_ && IsAtOrBelow(shownPath_, path)) {
        StopShowing();
        shownIndex_ = -1;
    }
    std::erase_if(cache_,
                  [&path](const CachedFolder& cached) { return IsAtOrBelow(cached.path, path); });
}

}  // namespace nimbra
