#include "grouptree.h"

#include "unStrings.h"

namespace nimbra {
namespace {

// Finds the node with pre-order number `index` below parent, counting from `next`; on success
// sets found and its parent.
bool FindInChildren(GroupNode& parent, std::size_t index, std::size_t& next, GroupNode*& found,
                    GroupNode*& foundParent) {
    for (GroupNode& child : parent.children) {
        if (next++ == index) {
            found = &child;
            foundParent = &parent;
            return true;
        }
        if (FindInChildren(child, index, next, found, foundParent))
            return true;
    }
    return false;
}

void Visit(const GroupNode& node, int depth,
           const std::function<void(const GroupNode&, int)>& visit) {
    visit(node, depth);
    for (const GroupNode& child : node.children)
        Visit(child, depth + 1, visit);
}

}  // namespace

GroupNode FreshGroupTree() {
    GroupNode root{"<img src=\"idx:2\"><b>All contacts</b>", kCheckedPicture, {}};
    for (const char* name : {"Friends", "Customers", "Distributors"})
        root.children.push_back({name, kUncheckedPicture, {}});
    return root;
}

std::string GroupName(const GroupNode& node) {
    return TrimBlanks(StripTags(node.text));
}

void VisitGroups(const GroupNode& root,
                 const std::function<void(const GroupNode&, int depth)>& visit) {
    Visit(root, 0, visit);
}

std::size_t GroupCount(const GroupNode& root) {
    std::size_t count = 0;
    VisitGroups(root, [&count](const GroupNode&, int) { ++count; });
    return count;
}

GroupNode* GroupAt(GroupNode& root, std::size_t index) {
    if (index == 0)
        return &root;
    std::size_t next = 1;
    GroupNode* found = nullptr;
    GroupNode* parent = nullptr;
    FindInChildren(root, index, next, found, parent);
    return found;
}

bool RemoveGroupAt(GroupNode& root, std::size_t index) {
    std::size_t next = 1;
    GroupNode* found = nullptr;
    GroupNode* parent = nullptr;
    if (index == 0 || !FindInChildren(root, index, next, found, parent))
        return false;
    parent->children.erase(parent->children.begin() + (found - parent->children.data()));
    return true;
}

}  // namespace nimbra
