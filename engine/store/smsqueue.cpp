#include "smsqueue.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "atomicfile.h"
#include "durablewrites.h"
#include "folderman.h"
#include "messagelist.h"
#include "unStrings.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

bool IsMessageFileName(const std::string& name) {
    return name.size() > 4 && UpperAscii(name.substr(name.size() - 4)) == ".SMS";
}

// Names of the message files of a directory, in name order.
std::vector<std::string> MessageFileNames(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (IsMessageFileName(name) && !it->is_directory(ec))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The day a message was created, as a folder name.
std::string DayFolderName(const StoreEnvironment& env, std::int64_t created) {
    std::string day = env.shortDate(EpochToDateTime(created));
    std::replace(day.begin(), day.end(), '.', '_');
    std::replace(day.begin(), day.end(), '/', '_');
    return FilterPathChars(day);
}

}  // namespace

TSmsQueue::TSmsQueue(StoreEnvironment& env, const std::string& directory, QueueFlags flags,
                     TFolderMan* folders)
    : env_(env), directory_(directory + "/"), flags_(flags), folders_(folders) {
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (!fs::is_directory(directory, ec))
        throw std::runtime_error("Cannot find directory " + directory);
}

TSmsQueue::~TSmsQueue() = default;

FolderSnapshot ReadFolderSnapshot(const std::string& directory,
                                  const std::function<bool(std::size_t, std::size_t)>& progress) {
    FolderSnapshot snapshot;
    snapshot.directory = directory;
    const std::vector<std::string> names = MessageFileNames(directory);
    const std::size_t total = names.size();
    const std::size_t step = std::max<std::size_t>(1, total / 100);
    snapshot.names.reserve(total);
    snapshot.contents.reserve(total);
    for (std::size_t i = 0; i < total; ++i) {
        if (i % step == 0 && progress && !progress(i, total))
            return snapshot;
        std::string content;
        if (!ReadWholeFile(directory + names[i], content))
            continue;
        snapshot.names.push_back(names[i]);
        snapshot.contents.push_back(std::move(content));
    }
    if (progress)
        progress(total, total);
    return snapshot;
}

void TSmsQueue::AppendLoaded(std::unique_ptr<TSms> message) {
    if (!message)
        return;
    message->listId = ++sequence_;
    messages_.push_back(std::move(message));
}

std::unique_ptr<TSms> TSmsQueue::ReadMessage(const std::string& path,
                                             const std::string* content) const {
    auto message = std::make_unique<TSms>(env_.sms);
    if (!(content ? message->LoadText(path, *content) : message->Load(path)))
        return nullptr;
    return message;
}

void TSmsQueue::LoadFolder() {
    // Files waiting for their commit are not in the listing yet.
    ProcessDurableWrites().Commit();
    const std::vector<std::string> names = MessageFileNames(directory_);
    const std::size_t total = names.size();
    const std::size_t step = std::max<std::size_t>(1, total / 100);
    messages_.reserve(messages_.size() + total);
    for (std::size_t i = 0; i < total; ++i) {
        if (i % step == 0)
            env_.Progress(i, total);
        AppendLoaded(ReadMessage(directory_ + names[i], nullptr));
    }
    env_.Progress(total, total);
    loaded = true;
}

std::size_t TSmsQueue::ParseSnapshot(FolderSnapshot& snapshot, std::size_t count) {
    const std::size_t total = snapshot.names.size();
    const std::size_t end = std::min(total, snapshot.messages.size() + count);
    snapshot.messages.reserve(total);
    for (std::size_t i = snapshot.messages.size(); i < end; ++i) {
        snapshot.messages.push_back(
            ReadMessage(snapshot.directory + snapshot.names[i], &snapshot.contents[i]));
        std::string().swap(snapshot.contents[i]);
    }
    return total - end;
}

void TSmsQueue::LoadSnapshot(FolderSnapshot snapshot) {
    if (snapshot.directory != directory_)
        snapshot = {};
    ParseSnapshot(snapshot, snapshot.names.size());
    // The directory is listed again: a message filed while the snapshot was read is read
    // now, in its place in name order, and one that left meanwhile is not taken.
    const std::vector<std::string> names = MessageFileNames(directory_);
    messages_.reserve(messages_.size() + names.size());
    std::size_t taken = 0;
    for (const std::string& name : names) {
        while (taken < snapshot.names.size() && snapshot.names[taken] < name)
            ++taken;
        if (taken < snapshot.names.size() && snapshot.names[taken] == name)
            AppendLoaded(std::move(snapshot.messages[taken]));
        else
            AppendLoaded(ReadMessage(directory_ + name, nullptr));
    }
    loaded = true;
}

bool TSmsQueue::MoveToDayFolder(TSms& message, long long now) {
    const std::string day = DayFolderName(env_, message.created);
    const std::string wanted = env_.Translate("Daily") + "/" + day;
    // A day folder that could not take a message is left alone for a while, so that the
    // operator is not told of it again at every arrival.
    const auto retry = dayFolderRetry_.find(wanted);
    if (retry != dayFolderRetry_.end() && now < retry->second)
        return false;

    std::string folderPath = wanted;
    std::error_code ec;
    bool ready = false;
    if (folders_) {
        ready = folders_->EnsureFolderPath(wanted, &folderPath);
    } else {
        fs::create_directories(env_.PathOf(kUserFoldersDirectory + "/" + wanted), ec);
        ready = fs::is_directory(env_.PathOf(kUserFoldersDirectory + "/" + wanted), ec);
    }
    const std::string oldPath = message.path;
    const bool saved = ready && message.Save(message.FreshPathIn(
                                    env_.PathOf(kUserFoldersDirectory + "/" + folderPath + "/")));
    message.path = oldPath;
    if (!saved) {
        dayFolderRetry_[wanted] = now + kDayFolderRetrySeconds;
        return false;
    }
    dayFolderRetry_.erase(wanted);
    const std::string line =
        env_.Translate("Message moved to folder") + " (" + day + ") " + message.ListLine();
    env_.Log("error", line);
    env_.Log("screen", line);
    return true;
}

void TSmsQueue::Housekeeping() {
    if ((!flags_.ageing && !flags_.dailyMove) || messages_.empty() || IsLocked())
        return;
    const HousekeepingRules rules = env_.housekeepingRules();
    const bool daily = flags_.dailyMove && rules.dailyFolders;
    const long long ageLimit =
        flags_.ageing ? std::max(0, rules.deleteOlderThanDays) * kSecondsPerDay : 0;
    if (!daily && ageLimit == 0)
        return;
    const long long now = LocalEpochSeconds(env_.sms.CurrentTime());
    // A message without a creation time (0) has no known age.
    const auto dueForDay = [&](const TSms& message) {
        return daily && message.created > 0 && message.created + kSecondsPerDay < now;
    };
    const auto tooOld = [&](const TSms& message) {
        return ageLimit > 0 && message.created > 0 && message.created + ageLimit < now;
    };
    // Most additions find nothing to do.
    const auto first = std::find_if(messages_.begin(), messages_.end(), [&](const auto& message) {
        return dueForDay(*message) || tooOld(*message);
    });
    if (first == messages_.end())
        return;

    QueueLock lock(*this);
    // Messages leave the list only after every log line and notification has gone out, so
    // that whatever those reach finds the queue whole.
    std::vector<int> gone;
    for (std::size_t i = static_cast<std::size_t>(first - messages_.begin()); i < messages_.size();
         ++i) {
        TSms& message = *messages_[i];
        bool remove = false;
        // A message a device is sending stays until its outcome is filed.
        if (message.IsBusy()) {
        } else if (dueForDay(message)) {
            // When the day folder cannot take it, the message stays where it is.
            remove = MoveToDayFolder(message, now);
        } else if (tooOld(message)) {
            const std::string line =
                env_.Translate("Message deleted (too old)") + " " + message.ListLine();
            env_.Log("error", line);
            env_.Log("screen", line);
            remove = true;
        }
        if (remove) {
            RemoveRow(message);
            message.DeleteFile();
            gone.push_back(message.listId);
        }
    }
    // List ids grow along the queue, so gone is sorted.
    std::erase_if(messages_, [&gone](const std::unique_ptr<TSms>& message) {
        return std::binary_search(gone.begin(), gone.end(), message->listId);
    });
}

TSmsQueue::AddResult TSmsQueue::Add(std::unique_ptr<TSms> message, bool housekeeping, bool noSave) {
    if (housekeeping)
        Housekeeping();
    QueueLock lock(*this);
    AddResult result;
    message->listId = ++sequence_;
    if (!noSave)
        result.saved = message->Save(message->FreshPathIn(directory_));
    if (!loaded)
        return result;
    const int listId = message->listId;
    messages_.push_back(std::move(message));
    result.index = Count() - 1;
    if (shownIn_ && !hidden) {
        shownIn_->Append(listId);
        env_.SetStatus("status2", std::to_string(shownIn_->RowCount()));
    }
    return result;
}

int TSmsQueue::IndexOfListId(int listId) const {
    // List ids only grow along the queue.
    const auto it = std::lower_bound(
        messages_.begin(), messages_.end(), listId,
        [](const std::unique_ptr<TSms>& message, int id) { return message->listId < id; });
    if (it == messages_.end() || (*it)->listId != listId)
        return -1;
    return static_cast<int>(it - messages_.begin());
}

TSms* TSmsQueue::FindByListId(int listId) const {
    if (listId < 0)
        return nullptr;
    const int index = IndexOfListId(listId);
    return index < 0 ? nullptr : &At(index);
}

void TSmsQueue::RemoveRow(const TSms& message) {
    if (shownIn_)
        shownIn_->RemoveListId(message.listId);
}

void TSmsQueue::RemoveAt(int index) {
    if (index < 0 || index >= Count())
        return;
    QueueLock lock(*this);
    const auto it = messages_.begin() + index;
    RemoveRow(**it);
    (*it)->DeleteFile();
    messages_.erase(it);
}

void TSmsQueue::Clear() {
    messages_.clear();
}

void TSmsQueue::Reload() {
    ReplaceMessages([this] { LoadFolder(); });
}

void TSmsQueue::ReloadSnapshot(FolderSnapshot snapshot) {
    ReplaceMessages([this, &snapshot] { LoadSnapshot(std::move(snapshot)); });
}

void TSmsQueue::ReplaceMessages(const std::function<void()>& load) {
    std::vector<std::unique_ptr<TSms>> busy;
    for (auto& message : messages_) {
        if (message->IsBusy())
            busy.push_back(std::move(message));
    }
    messages_.clear();
    load();
    for (auto& kept : busy) {
        const auto same = std::find_if(messages_.begin(), messages_.end(),
                                       [&](const auto& read) { return read->path == kept->path; });
        if (same != messages_.end()) {
            kept->listId = (*same)->listId;
            *same = std::move(kept);
        } else {
            kept->listId = ++sequence_;
            messages_.push_back(std::move(kept));
        }
    }
}

bool TSmsQueue::AddSaved(std::unique_ptr<TSms> message) {
    const AddResult added = Add(std::move(message));
    if (added.saved)
        return true;
    if (loaded && added.index >= 0 && added.index < Count())
        RemoveAt(added.index);
    return false;
}

bool TSms::QueueForSending(std::unique_ptr<TSms> message, TSmsQueue& outbox) {
    StoreEnvironment& env = outbox.Environment();
    const std::string now = NowText(env.sms.CurrentTime());
    if (message->sentTime.empty())
        message->sentTime = now;
    if (message->receivedTime.empty())
        message->receivedTime = now;
    if (message->messageId.empty())
        message->messageId = env.sms.NewMessageId();
    const std::string trace =
        "SMS added to queue: " + message->to + "," + message->text + "," + message->spare2;
    const bool saved = outbox.AddSaved(std::move(message));
    env.SetStatus("main", trace);
    return saved;
}

void TSmsQueue::Acquire() {
    ++lockDepth_;
}

void TSmsQueue::Release() {
    if (lockDepth_ > 0)
        --lockDepth_;
}

bool MoveMessage(TSmsQueue& from, int index, TSmsQueue& to,
                 const std::function<void(TSms&)>& change) {
    TSms& original = from.At(index);
    const int listId = original.listId;
    std::unique_ptr<TSms> copy = original.Clone();
    copy->Unlock();
    if (change)
        change(*copy);
    if (!to.AddSaved(std::move(copy)))
        return false;
    // Housekeeping of the addition may have moved or removed the original.
    const int now = from.IndexOfListId(listId);
    if (now >= 0)
        from.RemoveAt(now);
    return true;
}

}  // namespace nimbra
