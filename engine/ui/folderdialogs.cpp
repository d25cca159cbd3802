#include "folderdialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogbuttons.h"
#include "icons.h"
#include "qansi.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

// The folder path an item stands for.
constexpr int kPathRole = Qt::UserRole;

QLabel* BuddyLabel(const char* name, const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

}  // namespace

FolderForm::FolderForm(QWidget* parent)
    : QDialog(parent), name_(new QLineEdit(this)), folders_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("FolderForm"));
    setWindowTitle(QStringLiteral("Folder"));
    name_->setObjectName(QStringLiteral("eFolderName"));
    folders_->setObjectName(QStringLiteral("tvFolders"));
    folders_->setHeaderHidden(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuddyLabel("lblFolderName", "&Folder name:", name_, this));
    layout->addWidget(name_);
    layout->addWidget(BuddyLabel(
        "lblParent", "&Select the folder in which to create the new folder:", folders_, this));
    layout->addWidget(folders_, 1);
    layout->addWidget(OkCancelButtons(this));
    resize(340, 380);
}

void FolderForm::Prepare(const TFolderTree& tree, const std::string& selectedPath) {
    name_->clear();
    folders_->clear();
    auto* top = new QTreeWidgetItem(folders_, {Tr("Folders")});
    top->setIcon(0, ListIcon(9));
    top->setData(0, kPathRole, QString());
    folders_->setCurrentItem(top);
    const auto& topLevel = tree.TopLevel();
    for (std::size_t i = kFirstUserFolderIndex; i < topLevel.size(); ++i) {
        const TFolderNode& node = *topLevel[i];
        auto* item = new QTreeWidgetItem(top, {QFromAnsi(NodeName(node))});
        item->setIcon(0, ListIcon(IconOf(node.caption)));
        item->setData(0, kPathRole, QFromAnsi(FolderPath(node)));
        if (FolderPath(node) == selectedPath)
            folders_->setCurrentItem(item);
        AddChildren(&node, item, selectedPath);
    }
    folders_->expandAll();
    name_->setFocus();
}

void FolderForm::AddChildren(const TFolderNode* parent, QTreeWidgetItem* item,
                             const std::string& selectedPath) {
    for (const auto& child : parent->children) {
        auto* childItem = new QTreeWidgetItem(item, {QFromAnsi(NodeName(*child))});
        childItem->setIcon(0, ListIcon(IconOf(child->caption)));
        childItem->setData(0, kPathRole, QFromAnsi(FolderPath(*child)));
        if (FolderPath(*child) == selectedPath)
            folders_->setCurrentItem(childItem);
        AddChildren(child.get(), childItem, selectedPath);
    }
}

std::string FolderForm::FolderName() const {
    return QToAnsi(name_->text());
}

std::string FolderForm::ParentPath() const {
    const QTreeWidgetItem* item = folders_->currentItem();
    return item ? QToAnsi(item->data(0, kPathRole).toString()) : std::string();
}

RenameForm::RenameForm(QWidget* parent) : QDialog(parent), name_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("RenameForm"));
    setWindowTitle(QStringLiteral("Rename folder"));
    name_->setObjectName(QStringLiteral("eNewName"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuddyLabel("lblNewName", "Enter the new name for the folder:", name_, this));
    layout->addWidget(name_);
    layout->addWidget(OkCancelButtons(this));
    resize(320, 120);
}

void RenameForm::Prepare(const std::string& currentName) {
    name_->setText(QFromAnsi(currentName));
    name_->selectAll();
    name_->setFocus();
}

std::string RenameForm::NewName() const {
    return QToAnsi(name_->text());
}

}  // namespace nimbra::ui
