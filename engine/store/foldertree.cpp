#include "foldertree.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "unStrings.h"

namespace nimbra {
namespace {

const char* const kFixedCaptions[] = {
    "<img src=\"idx:4\"><b>Inbox</b>",        "<img src=\"idx:6\">Outbox",
    "<img src=\"idx:11\">Waiting for resend", "<img src=\"idx:7\">Sent items",
    "<img src=\"idx:5\">Deleted items",       "<img src=\"idx:10\">Could not be sent",
    "<img src=\"idx:8\">Server events",
};

// Visits node and its descendants, parents first; stops when visit returns false.
bool Walk(const std::vector<std::unique_ptr<TFolderNode>>& nodes,
          const std::function<bool(const TFolderNode&)>& visit) {
    for (const auto& node : nodes) {
        if (!visit(*node) || !Walk(node->children, visit))
            return false;
    }
    return true;
}

}  // namespace

TFolderTree::TFolderTree() {
    for (const char* caption : kFixedCaptions) {
        auto node = std::make_unique<TFolderNode>();
        node->caption = caption;
        top_.push_back(std::move(node));
    }
}

void TFolderTree::AddObserver(FolderTreeObserver* observer) {
    observers_.push_back(observer);
}

void TFolderTree::RemoveObserver(FolderTreeObserver* observer) {
    std::erase(observers_, observer);
}

const std::vector<std::unique_ptr<TFolderNode>>& TFolderTree::ChildrenOf(
    const TFolderNode* parent) const {
    return parent ? parent->children : top_;
}

std::vector<std::unique_ptr<TFolderNode>>& TFolderTree::MutableChildrenOf(TFolderNode* parent) {
    return parent ? parent->children : top_;
}

TFolderNode* TFolderTree::Attach(TFolderNode* parent, std::unique_ptr<TFolderNode> node) {
    auto& siblings = MutableChildrenOf(parent);
    for (FolderTreeObserver* observer : observers_)
        observer->NodeAboutToBeAdded(parent, static_cast<int>(siblings.size()));
    node->parent = parent;
    TFolderNode* added = node.get();
    siblings.push_back(std::move(node));
    for (FolderTreeObserver* observer : observers_)
        observer->NodeAdded(*added);
    return added;
}

TFolderNode* TFolderTree::AddNode(TFolderNode* parent, const std::string& caption) {
    auto node = std::make_unique<TFolderNode>();
    node->caption = caption;
    return Attach(parent, std::move(node));
}

std::unique_ptr<TFolderNode> TFolderTree::Detach(TFolderNode* node) {
    auto& siblings = MutableChildrenOf(node->parent);
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [node](const auto& sibling) { return sibling.get() == node; });
    if (it == siblings.end())
        return nullptr;
    for (FolderTreeObserver* observer : observers_)
        observer->NodeAboutToBeRemoved(*node);
    const int position = static_cast<int>(it - siblings.begin());
    std::unique_ptr<TFolderNode> owned = std::move(*it);
    siblings.erase(it);
    for (FolderTreeObserver* observer : observers_)
        observer->NodeRemoved(owned->parent, position);
    return owned;
}

void TFolderTree::Reparent(TFolderNode* node, TFolderNode* newParent) {
    std::unique_ptr<TFolderNode> owned = Detach(node);
    if (owned)
        Attach(newParent, std::move(owned));
}

void TFolderTree::RemoveNode(TFolderNode* node) {
    Detach(node);
}

void TFolderTree::SetCaption(TFolderNode* node, const std::string& caption) {
    node->caption = caption;
    for (FolderTreeObserver* observer : observers_)
        observer->NodeChanged(*node);
}

void TFolderTree::Expand(TFolderNode* node) {
    if (!node || node->expanded)
        return;
    node->expanded = true;
    for (FolderTreeObserver* observer : observers_)
        observer->NodeChanged(*node);
}

int TFolderTree::IndexOfNode(const TFolderNode* node) const {
    int index = 0;
    int found = -1;
    Walk(top_, [&](const TFolderNode& visited) {
        if (&visited == node) {
            found = index;
            return false;
        }
        ++index;
        return true;
    });
    return found;
}

TFolderNode* TFolderTree::NodeAt(int index) const {
    const TFolderNode* found = nullptr;
    int position = 0;
    Walk(top_, [&](const TFolderNode& visited) {
        if (position++ == index) {
            found = &visited;
            return false;
        }
        return true;
    });
    return const_cast<TFolderNode*>(found);
}

int TFolderTree::NodeCount() const {
    int count = 0;
    Walk(top_, [&count](const TFolderNode&) {
        ++count;
        return true;
    });
    return count;
}

std::string NodeName(const TFolderNode& node) {
    return StripTags(node.caption);
}

std::string FolderPath(const TFolderNode& node) {
    std::string path = NodeName(node);
    for (const TFolderNode* up = node.parent; up; up = up->parent)
        path = NodeName(*up) + "/" + path;
    return path;
}

int IconOf(const std::string& caption) {
    const std::size_t quote = caption.find('"');
    if (quote == std::string::npos)
        return -1;
    std::string rest = caption.substr(quote + 1);
    std::erase(rest, '"');
    const std::size_t idx = rest.find("idx:");
    if (idx == std::string::npos)
        return -1;
    int value = 0;
    bool any = false;
    for (std::size_t i = idx + 4;
         i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])); ++i) {
        if (value > 100000000)
            return -1;
        value = value * 10 + (rest[i] - '0');
        any = true;
    }
    return any ? value : -1;
}

}  // namespace nimbra
