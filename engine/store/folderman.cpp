#include "folderman.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "durablewrites.h"
#include "unStrings.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kIllegalNameChars = "\\<>'\"/*!.";

bool IsReadOnly(const fs::directory_entry& entry) {
    std::error_code ec;
    const fs::perms perms = entry.symlink_status(ec).permissions();
    return !ec && (perms & fs::perms::owner_write) == fs::perms::none;
}

std::vector<std::string> SplitFolderPath(const std::string& path) {
    std::vector<std::string> levels;
    std::string level;
    for (char c : path + "/") {
        if (c == '/' || c == '\\') {
            if (!level.empty())
                levels.push_back(level);
            level.clear();
        } else {
            level.push_back(c);
        }
    }
    return levels;
}

}  // namespace

std::string GroupFolderName(std::string_view group) {
    std::string name;
    for (const char c : TrimBlanks(group)) {
        const bool refused = kIllegalNameChars.find(c) != std::string_view::npos ||
                             FilterPathChars(std::string_view(&c, 1)).empty();
        name.push_back(refused ? '_' : c);
    }
    if (name.empty())
        return "_";
    const TFolderTree fixed;
    for (const auto& node : fixed.TopLevel()) {
        if (UpperAscii(NodeName(*node)) == UpperAscii(name))
            return name + " group";
    }
    return name;
}

bool IsValidFolderName(std::string_view name) {
    return !name.empty() && name.front() != ' ' && name.back() != ' ' &&
           name.find_first_of(kIllegalNameChars) == std::string_view::npos &&
           FilterPathChars(name) == name;
}

TFolderMan::TFolderMan(StoreEnvironment& env) : env_(env) {
    const std::string root = DirectoryOf(nullptr);
    std::error_code ec;
    fs::create_directories(root, ec);
    if (!fs::is_directory(root, ec))
        throw std::runtime_error("Cannot create folder");
    webTree_.LoadFrom(root);
    // Messages in such a folder could never be read or written, as their paths would
    // change on the way; and markup in a name would change the name shown.
    const std::vector<std::string> left = webTree_.RemoveIf([](const TNode& node) {
        return FilterPathChars(node.name) != node.name ||
               node.name.find_first_of("<>") != std::string::npos;
    });
    for (const std::string& path : left)
        Tell("Folder not shown, its name cannot hold messages: ", path);
}

void TFolderMan::ShowFolders() {
    if (shown_)
        return;
    shown_ = true;
    webTree_.Show(tree_, nullptr);
}

void TFolderMan::SetFolderGoneHandler(std::function<void(const std::string&)> handler) {
    folderGone_ = std::move(handler);
}

void TFolderMan::FolderGone(const std::string& path) const {
    if (folderGone_)
        folderGone_(path);
}

void TFolderMan::Tell(const std::string& text, const std::string& detail) const {
    env_.Notify(env_.Translate(text) + detail);
}

TFolderNode* TFolderMan::FindChild(const std::string& name, const TFolderNode* parent) const {
    for (const auto& child : tree_.ChildrenOf(parent)) {
        if (NodeName(*child) == name)
            return child.get();
    }
    return nullptr;
}

TFolderNode* TFolderMan::ChildIgnoringCase(const std::string& name, const TFolderNode* parent,
                                           bool userFoldersOnly, const TFolderNode* except) const {
    const std::string wanted = UpperAscii(name);
    const auto& children = tree_.ChildrenOf(parent);
    const std::size_t first = parent || !userFoldersOnly ? 0 : kFirstUserFolderIndex;
    for (std::size_t i = first; i < children.size(); ++i) {
        if (children[i].get() != except && UpperAscii(NodeName(*children[i])) == wanted)
            return children[i].get();
    }
    return nullptr;
}

int TFolderMan::IndexOf(const std::string& name, const TFolderNode* parent) const {
    const TFolderNode* child = ChildIgnoringCase(name, parent, false);
    return child ? tree_.IndexOfNode(child) : -1;
}

std::string TFolderMan::DirectoryOf(const TFolderNode* node) const {
    const std::string root = env_.PathOf(kUserFoldersDirectory);
    return node ? root + "/" + FolderPath(*node) : root;
}

bool TFolderMan::IsUserFolder(const TFolderNode* node) const {
    return node && tree_.IndexOfNode(node) >= kFirstUserFolderIndex;
}

std::string TFolderMan::UserFolderPathAt(int index) const {
    if (index < kFirstUserFolderIndex)
        return {};
    const TFolderNode* node = tree_.NodeAt(index);
    return node ? FolderPath(*node) : std::string();
}

bool TFolderMan::CheckName(const std::string& name, bool tell) const {
    if (IsValidFolderName(name))
        return true;
    if (tell)
        Tell("The folder name contains illegal characters!");
    return false;
}

bool TFolderMan::NameTaken(const std::string& name, const TFolderNode* parent,
                           const TFolderNode* self) const {
    // Names are compared as the tree finds folders by name: without regard to case.
    return ChildIgnoringCase(name, parent, false, self) != nullptr;
}

TFolderNode* TFolderMan::CreateFolder(const std::string& name, TFolderNode* parent, bool tell) {
    // Below a system folder a node would shift the fixed tree indexes.
    if (parent && !IsUserFolder(parent))
        return nullptr;
    if (!CheckName(name, tell))
        return nullptr;
    const std::string directory = DirectoryOf(parent) + "/" + name;
    std::error_code ec;
    if (fs::exists(directory, ec) || NameTaken(name, parent, nullptr)) {
        if (tell)
            Tell("The folder with this name already exists!");
        return nullptr;
    }
    if (!fs::create_directory(directory, ec)) {
        if (tell)
            Tell("Cannot create folder: ", directory);
        return nullptr;
    }
    TFolderNode* node = tree_.AddNode(parent, kUserFolderIcon + name);
    tree_.Expand(parent);
    return node;
}

bool TFolderMan::RenameFolder(TFolderNode* node, const std::string& name) {
    // Files waiting for their commit go with the folder only once they are in it.
    ProcessDurableWrites().Commit();
    if (!IsUserFolder(node) || !CheckName(name))
        return false;
    if (node->parent && name == NodeName(*node->parent)) {
        Tell("The folder name contains illegal characters!");
        return false;
    }
    const std::string oldName = NodeName(*node);
    if (name == oldName)
        return true;
    const std::string oldPath = FolderPath(*node);
    const std::string from = DirectoryOf(node);
    const std::string to = DirectoryOf(node->parent) + "/" + name;
    std::error_code ec;
    // Renaming onto an existing directory would merge two folders (or replace an empty one).
    const bool sameDirectory = UpperAscii(oldName) == UpperAscii(name);
    if ((!sameDirectory && (fs::exists(to, ec) || NameTaken(name, node->parent, node))) ||
        (fs::rename(from, to, ec), ec)) {
        Tell("Cannot rename folder: ", oldName);
        return false;
    }
    tree_.SetCaption(node, kUserFolderIcon + name);
    FolderGone(oldPath);
    return true;
}

bool TFolderMan::MoveFolder(TFolderNode* node, TFolderNode* target) {
    // Files waiting for their commit go with the folder only once they are in it.
    ProcessDurableWrites().Commit();
    if (!IsUserFolder(node) || (target && !IsUserFolder(target)) || target == node->parent)
        return false;
    const std::string name = NodeName(*node);
    const std::string oldPath = FolderPath(*node);
    bool intoItself = false;
    for (const TFolderNode* up = target; up; up = up->parent)
        intoItself = intoItself || up == node;
    const std::string to = DirectoryOf(target) + "/" + name;
    std::error_code ec;
    if (intoItself || fs::exists(to, ec) || NameTaken(name, target, nullptr) ||
        (fs::rename(DirectoryOf(node), to, ec), ec)) {
        Tell("Cannot move folder: ", name);
        return false;
    }
    tree_.Reparent(node, target);
    tree_.Expand(target);
    FolderGone(oldPath);
    return true;
}

bool TFolderMan::DeleteDirectory(const std::string& directory, TFolderNode* node) {
    std::error_code ec;
    // A folder that links elsewhere goes as a link; what it points to is not the store's.
    if (fs::is_symlink(directory, ec))
        return fs::remove(directory, ec) && !ec;
    std::vector<fs::directory_entry> subfolders;
    for (fs::directory_iterator it(directory, ec), end; it != end; it.increment(ec)) {
        if (ec)
            return false;
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            subfolders.push_back(*it);
            continue;
        }
        // A write-protected file is kept, as "rm" would ask before removing it.
        if (IsReadOnly(*it) || !fs::remove(it->path(), ec))
            return false;
    }
    if (ec)
        return false;
    for (const fs::directory_entry& subfolder : subfolders) {
        TFolderNode* child = node ? FindChild(subfolder.path().filename().string(), node) : nullptr;
        if (!DeleteDirectory(subfolder.path().string(), child))
            return false;
        if (child)
            tree_.RemoveNode(child);
    }
    return fs::remove(directory, ec) && !ec;
}

bool TFolderMan::DeleteFolder(TFolderNode* node) {
    // Files waiting for their commit go with the folder only once they are in it.
    ProcessDurableWrites().Commit();
    if (!IsUserFolder(node))
        return false;
    const std::string name = NodeName(*node);
    if (!env_.Ask(env_.Translate("Are you sure you want to delete folder:") + " " + name) ||
        !env_.Ask(env_.Translate("The contents will not be saved in Deleted items! Do you still "
                                 "want to delete the folder?")))
        return false;
    const std::string path = FolderPath(*node);
    const bool deleted = DeleteDirectory(DirectoryOf(node), node);
    FolderGone(path);
    if (!deleted) {
        Tell("Cannot delete folder!");
        return false;
    }
    tree_.RemoveNode(node);
    return true;
}

bool TFolderMan::EnsureFolderPath(const std::string& path, std::string* actualPath, bool tell) {
    TFolderNode* current = nullptr;
    for (const std::string& level : SplitFolderPath(path)) {
        std::error_code ec;
        TFolderNode* child = ChildIgnoringCase(level, current, true);
        if (child) {
            // The directory may have gone behind the tree's back.
            fs::create_directories(DirectoryOf(child), ec);
        } else if (fs::is_directory(DirectoryOf(current) + "/" + level, ec) &&
                   IsValidFolderName(level)) {
            child = tree_.AddNode(current, kUserFolderIcon + level);
        } else {
            child = CreateFolder(level, current, tell);
        }
        if (!child)
            return false;
        current = child;
    }
    if (!current)
        return false;
    if (actualPath)
        *actualPath = FolderPath(*current);
    std::error_code ec;
    return fs::is_directory(DirectoryOf(current), ec);
}

}  // namespace nimbra
