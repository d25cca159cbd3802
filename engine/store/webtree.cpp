#include "webtree.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "foldertree.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

std::int64_t EpochSeconds(fs::file_time_type time) {
    const auto sinceNow = time - fs::file_time_type::clock::now();
    const auto system = std::chrono::system_clock::now() +
                        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceNow);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

void ReadDirectories(const std::string& path, TNodeList& list) {
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_symlink(ec) || !it->is_directory(ec))
            continue;
        auto node = std::make_unique<TNode>();
        node->name = it->path().filename().string();
        node->path = path + "/" + node->name;
        node->isDirectory = true;
        node->time = EpochSeconds(it->last_write_time(ec));
        list.push_back(std::move(node));
    }
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return a->name < b->name; });
    for (auto& node : list)
        ReadDirectories(node->path, node->children);
}

}  // namespace

void TWebTree::LoadFrom(const std::string&) {}

void TWebTree::Show(TFolderTree& tree, TFolderNode* parent) {
    ShowList(tree, parent, root_);
}

void TWebTree::ShowList(TFolderTree& tree, TFolderNode* parent, TNodeList& list) {
    std::unordered_map<std::string, TFolderNode*> nodes;
    const auto& siblings = tree.ChildrenOf(parent);
    for (std::size_t i = parent ? 0 : kFirstUserFolderIndex; i < siblings.size(); ++i)
        nodes.emplace(NodeName(*siblings[i]), siblings[i].get());
    for (auto& entry : list) {
        if (!entry->isDirectory)
            continue;
        // A folder made since the tree was read may already have its node.
        const auto existing = nodes.find(entry->name);
        TFolderNode* node = existing == nodes.end() ? nullptr : existing->second;
        if (!node && !entry->shown)
            node = tree.AddNode(parent, kUserFolderIcon + entry->name);
        entry->shown = true;
        if (node)
            ShowList(tree, node, entry->children);
    }
}

std::vector<std::string> TWebTree::RemoveIf(const std::function<bool(const TNode&)>& drop) {
    std::vector<std::string> dropped;
    const std::function<void(TNodeList&)> sweep = [&](TNodeList& list) {
        std::erase_if(list, [&](const std::unique_ptr<TNode>& node) {
            if (!drop(*node))
                return false;
            dropped.push_back(node->path);
            return true;
        });
        for (auto& node : list)
            sweep(node->children);
    };
    sweep(root_);
    return dropped;
}

void TLocalWebTree::LoadFrom(const std::string& path) {
    root_.clear();
    ReadDirectories(path, root_);
}

}  // namespace nimbra
