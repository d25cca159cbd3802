#pragma once
// The folder dialogs of the tree's menu: "Folder" asks for a new folder's name and the folder
// to create it in (a fully expanded copy of the user folders, the top level first), "Rename
// folder" for a folder's new name. They only ask; the window makes the change.
#include <string>

#include <QDialog>

#include "foldertree.h"

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace nimbra::ui {

class FolderForm final : public QDialog {
    Q_OBJECT
public:
    explicit FolderForm(QWidget* parent = nullptr);

    // Fills the folder choice from tree and selects the folder whose path is selectedPath
    // (the top level when none has it); the name field starts empty.
    void Prepare(const TFolderTree& tree, const std::string& selectedPath);
    std::string FolderName() const;
    // The path of the chosen folder; empty for the top level.
    std::string ParentPath() const;

    QLineEdit* NameField() const { return name_; }
    QTreeWidget* Folders() const { return folders_; }

private:
    void AddChildren(const TFolderNode* parent, QTreeWidgetItem* item,
                     const std::string& selectedPath);

    QLineEdit* name_;
    QTreeWidget* folders_;
};

class RenameForm final : public QDialog {
    Q_OBJECT
public:
    explicit RenameForm(QWidget* parent = nullptr);

    void Prepare(const std::string& currentName);
    std::string NewName() const;
    QLineEdit* NameField() const { return name_; }

private:
    QLineEdit* name_;
};

}  // namespace nimbra::ui
