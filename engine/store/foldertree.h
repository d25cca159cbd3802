#pragma once

// The folder tree of the main window as a model: seven fixed nodes (the system folders and
// "Server events") followed by the user folders, nested to any depth. A node's caption
// carries small markup for its icon and bold text; its name is the caption without markup.
// Views observe the model; without observers it does nothing beyond keeping the nodes.

#include <memory>
#include <string>
#include <vector>

namespace nimbra {

// Tree indexes of the fixed nodes; user folders follow from kFirstUserFolderIndex.
inline constexpr int kTreeInbox = 0;
inline constexpr int kTreeOutbox = 1;
inline constexpr int kTreeWaitingForResend = 2;
inline constexpr int kTreeSentItems = 3;
inline constexpr int kTreeDeletedItems = 4;
inline constexpr int kTreeCouldNotBeSent = 5;
inline constexpr int kTreeServerEvents = 6;
inline constexpr int kFirstUserFolderIndex = 7;

// Caption prefix of every user folder: picture 9 of the window's image list.
inline constexpr const char* kUserFolderIcon = "<img src=\"idx:9\">";

struct TFolderNode {
    std::string caption;
    bool expanded = false;
    TFolderNode* parent = nullptr;
    std::vector<std::unique_ptr<TFolderNode>> children;
};

// Told of every change, before and after, so that an item model can announce it in pairs.
// A node comes and goes with its children. Observers must not change the tree from inside.
class FolderTreeObserver {
public:
    virtual ~FolderTreeObserver() = default;
    // A node is about to become child number position of parent (null: the top level).
    virtual void NodeAboutToBeAdded(const TFolderNode* /*parent*/, int /*position*/) {}
    virtual void NodeAdded(const TFolderNode& /*node*/) {}
    virtual void NodeAboutToBeRemoved(const TFolderNode& /*node*/) {}
    virtual void NodeRemoved(const TFolderNode* /*parent*/, int /*position*/) {}
    // Caption or expansion changed.
    virtual void NodeChanged(const TFolderNode& /*node*/) {}
};

class TFolderTree {
public:
    // The seven fixed nodes.
    TFolderTree();
    TFolderTree(const TFolderTree&) = delete;
    TFolderTree& operator=(const TFolderTree&) = delete;

    void AddObserver(FolderTreeObserver* observer);
    void RemoveObserver(FolderTreeObserver* observer);

    const std::vector<std::unique_ptr<TFolderNode>>& TopLevel() const { return top_; }
    // Appends a node as the last child of parent, or at the end of the top level.
    TFolderNode* AddNode(TFolderNode* parent, const std::string& caption);
    // Moves node (with its children) to the end of newParent's children (top level when null).
    void Reparent(TFolderNode* node, TFolderNode* newParent);
    void RemoveNode(TFolderNode* node);
    void SetCaption(TFolderNode* node, const std::string& caption);
    void Expand(TFolderNode* node);

    // Position of node in a walk over every node, parents before their children, from 0;
    // -1 for a node not in the tree.
    int IndexOfNode(const TFolderNode* node) const;
    TFolderNode* NodeAt(int index) const;
    int NodeCount() const;

    // Children of parent, the top level when parent is null.
    const std::vector<std::unique_ptr<TFolderNode>>& ChildrenOf(const TFolderNode* parent) const;

private:
    std::vector<std::unique_ptr<TFolderNode>>& MutableChildrenOf(TFolderNode* parent);
    // Takes node out of its parent's children, telling the observers.
    std::unique_ptr<TFolderNode> Detach(TFolderNode* node);
    // Appends node to parent's children, telling the observers.
    TFolderNode* Attach(TFolderNode* parent, std::unique_ptr<TFolderNode> node);

    std::vector<std::unique_ptr<TFolderNode>> top_;
    std::vector<FolderTreeObserver*> observers_;
};

// The caption without markup.
std::string NodeName(const TFolderNode& node);
// Names of the node's ancestors and of the node, from the top down, joined with "/".
std::string FolderPath(const TFolderNode& node);
// The picture number after "idx:" in a caption, -1 when there is none.
int IconOf(const std::string& caption);

}  // namespace nimbra
