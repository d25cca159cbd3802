#pragma once

// Readers of a directory tree for the folder tree: a tree of entries read once, then put into
// the folder tree model. Only directories become folder nodes, so only directories are read;
// the message files inside the folders never appear in the tree.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nimbra {

class TFolderTree;
struct TFolderNode;

struct TNode;
using TNodeList = std::vector<std::unique_ptr<TNode>>;

// One directory entry.
struct TNode {
    std::string name;
    std::uintmax_t size = 0;
    std::int64_t time = 0;  // modification time, seconds since 1970
    std::string path;       // parent path + "/" + name
    bool isDirectory = false;
    bool shown = false;  // already put into the folder tree
    TNodeList children;
};

class TWebTree {
public:
    virtual ~TWebTree() = default;
    // Reads a tree; the base reads nothing.
    virtual void LoadFrom(const std::string& path);
    // Puts every directory entry not shown yet into the folder tree under parent (the top
    // level when null), children under their parents, and marks it shown.
    virtual void Show(TFolderTree& tree, TFolderNode* parent);
    const TNodeList& Root() const { return root_; }
    // Drops the entries (with their children) for which drop is true; gives their paths.
    std::vector<std::string> RemoveIf(const std::function<bool(const TNode&)>& drop);

protected:
    TNodeList root_;

private:
    void ShowList(TFolderTree& tree, TFolderNode* parent, TNodeList& list);
};

// Reads a local directory recursively; entries come in name order. Links to directories
// are not followed: a link could lead back up and make the tree endless.
class TLocalWebTree final : public TWebTree {
public:
    void LoadFrom(const std::string& path) override;
};

}  // namespace nimbra
