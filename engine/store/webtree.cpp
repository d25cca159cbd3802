#include "webtree.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

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
        if (!it->is_directory(ec))
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
    for (auto& entry : list) {
        if (!entry->isDirectory)
            continue;
        // A folder made since the tree was read may already have its node.
        TFolderNode* node = nullptr;
        const auto& siblings = tree.ChildrenOf(parent);
        const std::size_t firstUserFolder = parent ? 0 : kFirstUserFolderIndex;
        for (std::size_t i = firstUserFolder; i < siblings.size() && !node; ++i) {
            if (NodeName(*siblings[i]) == entry->name)
                node = siblings[i].get();
        }
        if (!node && !entry->shown)
            node = tree.AddNode(parent, kUserFolderIcon + entry->name);
        entry->shown = true;
        if (node)
            ShowList(tree, node, entry->children);
    }
}

void TLocalWebTree::LoadFrom(const std::string& path) {
    root_.clear();
    ReadDirectories(path, root_);
}

}  // namespace nimbra
