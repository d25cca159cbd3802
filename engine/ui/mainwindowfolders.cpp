// The main window's folder side: showing the folder selected in the tree (read on a worker
// thread the first time), the tree's menu and dialogs, and what is dropped onto the tree.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QTreeView>

#include "folderdialogs.h"
#include "folderloader.h"
#include "foldertreemodel.h"
#include "icons.h"
#include "mainwindow.h"
#include "messagelistmodel.h"
#include "previewpane.h"
#include "qansi.h"
#include "windowtranslation.h"

namespace nimbra::ui {

TFolderNode* TNbsmForm::CurrentNode() const {
    return folderModel_->NodeOf(folderView_->currentIndex());
}

TFolderNode* TNbsmForm::NodeByPath(const std::string& path) const {
    const TFolderTree& tree = engine_.Folders().Tree();
    for (int index = kFirstUserFolderIndex; index < tree.NodeCount(); ++index) {
        TFolderNode* node = tree.NodeAt(index);
        if (FolderPath(*node) == path)
            return node;
    }
    return nullptr;
}

void TNbsmForm::FolderSelected(const QModelIndex& current) {
    const TFolderNode* node = folderModel_->NodeOf(current);
    if (!node)
        return;
    // The folder is found by its place in the tree: a user folder may bear a system
    // folder's name.
    const int index = engine_.Folders().Tree().IndexOfNode(node);
    folderIcon_->setPixmap(ListIcon(IconOf(node->caption)).pixmap(22, 22));
    folderName_->setText(QFromAnsi(NodeName(*node)));
    if (ReadingFolder()) {
        loader_->Cancel();
        snapshot_.reset();
        SetProgress(false, 0, 0);
    }
    TqueueManager& queues = engine_.Queues();
    messagesArea_->setVisible(index != kTreeServerEvents);
    TSmsQueue* queue = queues.QueueToShow(index);
    if (!queue || queue->loaded) {
        queues.SelectFolder(index);
        AfterFolderShown();
        return;
    }
    // Until its files are read the folder shows no rows.
    queues.SelectFolder(-1);
    SetProgress(true, 0, 0);
    loader_->Read(
        queue->Directory(), [this](FolderSnapshot snapshot) { FolderRead(std::move(snapshot)); },
        [this](std::size_t done, std::size_t total) {
            // Reading the files is the first half of the way, reading the messages the second.
            SetProgress(true, static_cast<int>(2 * total), static_cast<int>(done));
        });
}

TSmsQueue* TNbsmForm::QueueWaitingFor(const std::string& directory) const {
    const TFolderNode* node = CurrentNode();
    TSmsQueue* queue =
        node ? engine_.Queues().QueueToShow(engine_.Folders().Tree().IndexOfNode(node)) : nullptr;
    return queue && queue->Directory() == directory && !queue->loaded ? queue : nullptr;
}

void TNbsmForm::FolderRead(FolderSnapshot snapshot) {
    snapshot_ = std::make_unique<FolderSnapshot>(std::move(snapshot));
    ReadReadMessages();
}

void TNbsmForm::ReadReadMessages() {
    // Each part keeps the window's thread from its other work for a few tens of milliseconds.
    constexpr std::size_t kPart = 4000;
    if (!snapshot_)
        return;
    TSmsQueue* queue = QueueWaitingFor(snapshot_->directory);
    if (queue) {
        const std::size_t total = snapshot_->names.size();
        if (queue->ParseSnapshot(*snapshot_, kPart) > 0) {
            SetProgress(true, static_cast<int>(2 * total),
                        static_cast<int>(total + snapshot_->messages.size()));
            QMetaObject::invokeMethod(
                this, [this] { ReadReadMessages(); }, Qt::QueuedConnection);
            return;
        }
        queue->LoadSnapshot(std::move(*snapshot_));
    }
    snapshot_.reset();
    SetProgress(false, 0, 0);
    // Another folder took the place meanwhile (a folder was moved or deleted), or the folder
    // was read by other work: it shows as it is.
    FolderSelected(folderView_->currentIndex());
}

void TNbsmForm::AfterFolderShown() {
    ClearPreview();
    engine_.SetStatus("status2", std::to_string(engine_.Queues().MessageList().RowCount()));
}

void TNbsmForm::ReselectFolder() {
    // The store forgets the folder shown when its directory is renamed or moved.
    if (!engine_.Queues().ShownQueue())
        FolderSelected(folderView_->currentIndex());
}

void TNbsmForm::RefreshFolder() {
    TSmsQueue* shown = engine_.Queues().ShownQueue();
    if (!shown || loader_->Busy())
        return;
    const std::string directory = shown->Directory();
    SetProgress(true, 0, 0);
    loader_->Read(
        directory,
        [this, directory](FolderSnapshot snapshot) {
            SetProgress(false, 0, 0);
            TSmsQueue* now = engine_.Queues().ShownQueue();
            if (!now || now->Directory() != directory)
                return;
            engine_.Queues().RefreshShown(std::move(snapshot));
            AfterFolderShown();
        },
        [this](std::size_t done, std::size_t total) {
            SetProgress(true, static_cast<int>(total), static_cast<int>(done));
        });
}

void TNbsmForm::FolderHovered(const QModelIndex& index) {
    TFolderNode* node = folderModel_->NodeOf(index);
    hoveredPath_ = engine_.Folders().IsUserFolder(node) ? FolderPath(*node) : std::string();
}

void TNbsmForm::FolderMenu(const QPoint& position) {
    TFolderNode* node = folderModel_->NodeOf(folderView_->indexAt(position));
    const bool userFolder = engine_.Folders().IsUserFolder(node);
    const std::string path = userFolder ? FolderPath(*node) : std::string();
    folderMenu_->clear();
    folderMenu_->addAction(Tr("&Refresh"), this, &TNbsmForm::RefreshFolder);
    folderMenu_->addAction(Tr("&New folder"), this, [this, path] { NewFolder(path); });
    QAction* rename = folderMenu_->addAction(Tr("&Rename"), this, [this, path] {
        if (TFolderNode* folder = NodeByPath(path))
            RenameFolder(folder);
    });
    QAction* remove = folderMenu_->addAction(Tr("&Delete"), this, [this, path] {
        if (TFolderNode* folder = NodeByPath(path))
            DeleteFolder(folder);
    });
    rename->setEnabled(userFolder);
    remove->setEnabled(userFolder);
    folderMenu_->popup(folderView_->viewport()->mapToGlobal(position));
}

void TNbsmForm::NewFolder(const std::string& underPath) {
    folderForm_->Prepare(engine_.Folders().Tree(), underPath);
    if (folderForm_->exec() != QDialog::Accepted)
        return;
    const std::string parentPath = folderForm_->ParentPath();
    TFolderNode* parent = parentPath.empty() ? nullptr : NodeByPath(parentPath);
    if (!parentPath.empty() && !parent)
        return;
    engine_.Folders().CreateFolder(folderForm_->FolderName(), parent);
}

void TNbsmForm::RenameFolder(TFolderNode* node) {
    if (!engine_.Folders().IsUserFolder(node))
        return;
    const std::string path = FolderPath(*node);
    renameForm_->Prepare(NodeName(*node));
    if (renameForm_->exec() != QDialog::Accepted)
        return;
    // The tree may have changed while the dialog was open.
    if (TFolderNode* folder = NodeByPath(path))
        engine_.Folders().RenameFolder(folder, renameForm_->NewName());
    ReselectFolder();
}

void TNbsmForm::DeleteFolder(TFolderNode* node) {
    if (engine_.Folders().DeleteFolder(node))
        ReselectFolder();
}

void TNbsmForm::FolderDropped(TFolderNode* folder, TFolderNode* target) {
    if (engine_.Folders().MoveFolder(folder, target))
        ReselectFolder();
}

void TNbsmForm::MessagesDropped(const std::vector<int>& listIds, TFolderNode* target) {
    MoveMessages(listIds, engine_.Folders().Tree().IndexOfNode(target));
    messageView_->clearSelection();
    ClearPreview();
}

}  // namespace nimbra::ui
