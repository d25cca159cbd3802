#pragma once
// The folder tree as an item model over the store's tree (TFolderTree): the fixed nodes and
// the user folders, each with the picture and the bold text its caption asks for. Folders
// can be dragged onto folders, and message rows onto any node; what a drop does is the
// window's (the drop handlers).
#include <functional>
#include <vector>

#include <QAbstractItemModel>

#include "dragdata.h"
#include "foldertree.h"

namespace nimbra::ui {

class FolderTreeModel final : public QAbstractItemModel, private FolderTreeObserver {
    Q_OBJECT
public:
    explicit FolderTreeModel(TFolderTree& tree, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Hands the drop to the handler of its kind; target null means the top level.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    TFolderNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TFolderNode* node) const;
    void RetranslateHeader();

    // Message rows (their list ids, in the order shown) dropped onto a node.
    std::function<void(const std::vector<int>& listIds, TFolderNode* target)> onMessagesDropped;
    // A folder dropped onto a node, or onto empty space (target null).
    std::function<void(TFolderNode* folder, TFolderNode* target)> onFolderDropped;

signals:
    // The store expanded a node.
    void expandRequested(const QModelIndex& index);

private:
    void NodeAboutToBeAdded(const TFolderNode* parent, int position) override;
    void NodeAdded(const TFolderNode& node) override;
    void NodeAboutToBeRemoved(const TFolderNode& node) override;
    void NodeRemoved(const TFolderNode* parent, int position) override;
    void NodeChanged(const TFolderNode& node) override;

    int PositionOf(const TFolderNode* node) const;

    TFolderTree& tree_;
};

}  // namespace nimbra::ui
