#include "folderadmin.h"

#include <filesystem>
#include <functional>
#include <memory>

#include "adminrefusal.h"
#include "codepage.h"
#include "engine.h"
#include "messagerows.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

struct SystemEntry {
    int index;
    SystemFolder folder;
};
constexpr SystemEntry kShownSystemFolders[] = {
    {kTreeInbox, SystemFolder::Inbox},
    {kTreeOutbox, SystemFolder::Outbox},
    {kTreeWaitingForResend, SystemFolder::WaitingForResend},
    {kTreeSentItems, SystemFolder::SentItems},
    {kTreeDeletedItems, SystemFolder::DeletedItems},
    {kTreeCouldNotBeSent, SystemFolder::CouldNotBeSent},
};

std::string WithoutSlash(std::string directory) {
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

// A folder of the tree opened for work: the engine's queue of a system folder or of a user
// folder displayed in this run, else a queue of its own over the user folder's directory,
// which is what the window reads when it first displays the folder.
class OpenFolder {
public:
    OpenFolder(Engine& engine, const SystemEntry& entry)
        : engine_(engine),
          name_(NodeName(*engine.Folders().Tree().TopLevel()[entry.index])),
          queue_(&engine.Queue(entry.folder)),
          directory_(WithoutSlash(queue_->Directory())),
          system_(true) {}

    OpenFolder(Engine& engine, const TFolderNode& node)
        : engine_(engine),
          name_(FolderPath(node)),
          queue_(engine.Queues().QueueForTreeIndex(engine.Folders().Tree().IndexOfNode(&node))),
          directory_(engine.PathOf(kUserFoldersDirectory + "/" + name_)) {}

    const std::string& Name() const { return name_; }
    bool IsSystemFolder() const { return system_; }
    bool SameAs(const OpenFolder& other) const { return directory_ == other.directory_; }

    // The messages in the folder: the queue's when it has been read, else its files.
    int Count() const {
        if (queue_ && queue_->loaded)
            return queue_->Count();
        int files = 0;
        std::error_code ec;
        for (fs::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec))
            files += it->path().extension() == ".sms" ? 1 : 0;
        return files;
    }
    // The queue with the folder read.
    TSmsQueue& Loaded() {
        TSmsQueue& queue = Target();
        if (!queue.loaded)
            queue.LoadFolder();
        return queue;
    }
    // The queue to file into; an addition to a folder not read is only written to disk.
    TSmsQueue& Target() {
        if (!queue_) {
            own_ = std::make_unique<TSmsQueue>(engine_.Store(), directory_, QueueFlags{});
            queue_ = own_.get();
        }
        return *queue_;
    }

private:
    Engine& engine_;
    std::string name_;
    TSmsQueue* queue_;
    std::string directory_;
    bool system_ = false;
    std::unique_ptr<TSmsQueue> own_;
};

using FolderAction = std::function<bool(OpenFolder&)>;

void WalkUserFolders(Engine& engine, const TFolderNode* parent, const FolderAction& action,
                     bool& stopped) {
    const auto& children = engine.Folders().Tree().ChildrenOf(parent);
    const std::size_t first = parent ? 0 : static_cast<std::size_t>(kFirstUserFolderIndex);
    for (std::size_t i = first; i < children.size() && !stopped; ++i) {
        OpenFolder folder(engine, *children[i]);
        stopped = action(folder);
        if (!stopped)
            WalkUserFolders(engine, children[i].get(), action, stopped);
    }
}

// Every folder of the tree in its order, until action gives true.
void ForEachFolder(Engine& engine, const FolderAction& action) {
    for (const SystemEntry& entry : kShownSystemFolders) {
        OpenFolder folder(engine, entry);
        if (action(folder))
            return;
    }
    bool stopped = false;
    WalkUserFolders(engine, nullptr, action, stopped);
}

std::vector<std::string> PathLevels(const std::string& path) {
    std::vector<std::string> levels;
    std::string level;
    for (const char c : path + "/") {
        if (c != '/' && c != '\\') {
            level += c;
        } else if (!level.empty()) {
            levels.push_back(LowerAnsi(level));
            level.clear();
        }
    }
    return levels;
}

const TFolderNode* FindUserFolder(const TFolderTree& tree, const std::string& path) {
    const TFolderNode* node = nullptr;
    const std::vector<std::string> levels = PathLevels(path);
    for (const std::string& level : levels) {
        const auto& children = tree.ChildrenOf(node);
        const TFolderNode* found = nullptr;
        for (std::size_t i = node ? 0 : kFirstUserFolderIndex; i < children.size(); ++i) {
            if (LowerAnsi(NodeName(*children[i])) == level) {
                found = children[i].get();
                break;
            }
        }
        if (!found)
            return nullptr;
        node = found;
    }
    return node;
}

std::unique_ptr<OpenFolder> Open(Engine& engine, const std::string& name) {
    const TFolderTree& tree = engine.Folders().Tree();
    for (const SystemEntry& entry : kShownSystemFolders) {
        if (LowerAnsi(NodeName(*tree.TopLevel()[entry.index])) == LowerAnsi(name))
            return std::make_unique<OpenFolder>(engine, entry);
    }
    if (const TFolderNode* node = FindUserFolder(tree, name))
        return std::make_unique<OpenFolder>(engine, *node);
    throw AdminRefusal("No such folder: " + name);
}

}  // namespace

std::vector<FolderCount> CountFolders(Engine& engine) {
    std::vector<FolderCount> counts;
    ForEachFolder(engine, [&counts](OpenFolder& folder) {
        counts.push_back({folder.Name(), folder.Count(), folder.IsSystemFolder()});
        return false;
    });
    return counts;
}

std::vector<ListedMessage> ListFolder(Engine& engine, const std::string& name) {
    const std::unique_ptr<OpenFolder> folder = Open(engine, name);
    const TSmsQueue& queue = folder->Loaded();
    std::vector<ListedMessage> messages;
    for (int i = 0; i < queue.Count(); ++i) {
        const TSms& message = queue.At(i);
        messages.push_back({message.messageId, PhoneCell(message, queue.Flags().outgoing),
                            message.receivedTime, DecodedText(message.text)});
    }
    return messages;
}

std::string MoveToFolder(Engine& engine, const std::string& messageId, const std::string& name) {
    const std::unique_ptr<OpenFolder> target = Open(engine, name);
    std::string from;
    bool moved = false;
    ForEachFolder(engine, [&](OpenFolder& folder) {
        TSmsQueue& queue = folder.Loaded();
        for (int i = 0; i < queue.Count(); ++i) {
            if (queue.At(i).messageId != messageId)
                continue;
            if (folder.SameAs(*target))
                throw AdminRefusal("Message " + messageId + " is in " + folder.Name() + " already");
            // Its device answers for it in the Outbox.
            if (queue.At(i).IsBusy())
                throw AdminRefusal("Message " + messageId + " is being sent now");
            if (!MoveMessage(queue, i, target->Target()))
                throw AdminRefusal(engine.Translate("Cannot move message!"));
            from = folder.Name();
            moved = true;
            return true;
        }
        return false;
    });
    if (!moved)
        throw AdminRefusal("No stored message has the id " + messageId);
    return from;
}

FolderExport ExportFolder(Engine& engine, const std::string& name,
                          const std::string& systemPicture) {
    const std::unique_ptr<OpenFolder> folder = Open(engine, name);
    const TSmsQueue& queue = folder->Loaded();
    std::vector<std::string> titles;
    for (const char* title : kListTitles)
        titles.push_back(*title ? engine.Translate(title) : std::string());
    CellFormat format;
    format.datePicture = engine.Options().dateFormat;
    format.systemPicture = systemPicture;
    format.now = engine.Now();
    return {FolderCsv(queue, titles, format), queue.Count()};
}

ResendState ResendFailed(Engine& engine) {
    const int waiting = engine.Queue(SystemFolder::WaitingForResend).Count();
    engine.ResendFailedMessages();
    return {waiting, engine.IsRunning()};
}

}  // namespace nimbra
