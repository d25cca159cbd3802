#pragma once

// The address book's group tree: a root standing for the whole book, the groups below it.
// Nodes are numbered in pre-order, the root being 0; a view shows them in that order.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace nimbra {

inline constexpr int kUncheckedPicture = 1;
inline constexpr int kCheckedPicture = 2;

struct GroupNode {
    std::string text;  // tree markup; GroupName() gives the plain name
    int picture = kUncheckedPicture;
    std::vector<GroupNode> children;
};

// The root and groups of a fresh installation.
GroupNode FreshGroupTree();

// The node's text without markup, trimmed.
std::string GroupName(const GroupNode& node);

// Calls visit(node, depth) for every node in pre-order; the root has depth 0.
void VisitGroups(const GroupNode& root,
                 const std::function<void(const GroupNode&, int depth)>& visit);
std::size_t GroupCount(const GroupNode& root);
// The node with the given pre-order number, or nullptr.
GroupNode* GroupAt(GroupNode& root, std::size_t index);
// Removes the node with the given pre-order number (and its subtree); false for the root or
// a number without a node.
bool RemoveGroupAt(GroupNode& root, std::size_t index);

}  // namespace nimbra
