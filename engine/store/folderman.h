#pragma once

// User folders: a tree of directories under "Folders" in the engine's home, each directory
// one folder, nested to any depth, kept in step with the folder tree model. Every refusal
// and failure is told to the operator; the tree and the directories then stay as they were
// before the failing step.

#include <functional>
#include <string>
#include <string_view>

#include "foldertree.h"
#include "storeenvironment.h"
#include "webtree.h"

namespace nimbra {

inline const std::string kUserFoldersDirectory = "Folders";

// A folder name is not empty, neither starts nor ends with a space, and holds none of
// \ < > ' " / * ! . and no character that a stored message's path cannot hold (control
// characters and # $ % & ( ) ,).
bool IsValidFolderName(std::string_view name);

// A valid folder name for an address group, the same every time for the same group: every
// character a folder name refuses becomes "_", blanks at the ends go, and a name that would
// be taken for a fixed node of the tree ("Sent items") gets the suffix " group".
std::string GroupFolderName(std::string_view group);

class TFolderMan {
public:
    // Creates "Folders" when missing (throws std::runtime_error "Cannot create folder" when
    // that fails) and reads its directories. Directories whose names no message path can
    // hold are left out, and the operator is told.
    explicit TFolderMan(StoreEnvironment& env);
    TFolderMan(const TFolderMan&) = delete;
    TFolderMan& operator=(const TFolderMan&) = delete;

    TFolderTree& Tree() { return tree_; }
    const TFolderTree& Tree() const { return tree_; }

    // Puts the folders read at start into the tree after the fixed nodes; once.
    void ShowFolders();

    // The first child of parent (top level when null) named exactly name.
    TFolderNode* FindChild(const std::string& name, const TFolderNode* parent) const;
    // Tree index of the first child of parent whose name equals name in ASCII upper case;
    // -1 when there is none.
    int IndexOf(const std::string& name, const TFolderNode* parent) const;
    // The directory of a user folder; "Folders" itself for null.
    std::string DirectoryOf(const TFolderNode* node) const;
    // Folder path of the user folder at a tree index; empty for other indexes.
    std::string UserFolderPathAt(int index) const;
    bool IsUserFolder(const TFolderNode* node) const;

    // tell: whether a refusal or failure is told to the operator.
    TFolderNode* CreateFolder(const std::string& name, TFolderNode* parent, bool tell = true);
    bool RenameFolder(TFolderNode* node, const std::string& name);
    // Moves node with its subfolders under target (the top level when null).
    bool MoveFolder(TFolderNode* node, TFolderNode* target);
    // Asks twice, then deletes the folder's files and subfolders for good.
    bool DeleteFolder(TFolderNode* node);
    // Makes sure every level of a "/"- or "\"-separated folder path exists, as a folder of
    // the tree and as a directory; a level may match an existing folder whose name differs
    // in case only. True when the whole path exists afterwards; actualPath (optional) gets
    // it as the tree spells it.
    bool EnsureFolderPath(const std::string& path, std::string* actualPath = nullptr,
                          bool tell = true);

    // Told the folder path of a folder whose directory was renamed, moved or (partly)
    // deleted, so that whatever it holds of that folder and the folders below goes.
    void SetFolderGoneHandler(std::function<void(const std::string& path)> handler);

private:
    bool CheckName(const std::string& name, bool tell = true) const;
    // A sibling (other than self) under parent named like name, ignoring ASCII case.
    bool NameTaken(const std::string& name, const TFolderNode* parent,
                   const TFolderNode* self) const;
    bool DeleteDirectory(const std::string& directory, TFolderNode* node);
    // The first child of parent (other than except) named like name ignoring ASCII case;
    // userFoldersOnly leaves out the fixed nodes of the top level.
    TFolderNode* ChildIgnoringCase(const std::string& name, const TFolderNode* parent,
                                   bool userFoldersOnly, const TFolderNode* except = nullptr) const;
    void FolderGone(const std::string& path) const;
    void Tell(const std::string& text, const std::string& detail = "") const;

    StoreEnvironment& env_;
    TFolderTree tree_;
    TLocalWebTree webTree_;
    bool shown_ = false;
    std::function<void(const std::string&)> folderGone_;
};

}  // namespace nimbra
