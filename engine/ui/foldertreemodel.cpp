#include "foldertreemodel.h"

#include <QFont>
#include <QMimeData>

#include "icons.h"
#include "qansi.h"
#include "windowtranslation.h"

namespace nimbra::ui {

FolderTreeModel::FolderTreeModel(TFolderTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    tree_.AddObserver(this);
}

FolderTreeModel::~FolderTreeModel() {
    tree_.RemoveObserver(this);
}

int FolderTreeModel::PositionOf(const TFolderNode* node) const {
    const auto& siblings = tree_.ChildrenOf(node->parent);
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == node)
            return static_cast<int>(i);
    }
    return -1;
}

TFolderNode* FolderTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TFolderNode*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::IndexOf(const TFolderNode* node) const {
    if (!node)
        return {};
    const int position = PositionOf(node);
    return position < 0 ? QModelIndex() : createIndex(position, 0, const_cast<TFolderNode*>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const auto& children = tree_.ChildrenOf(NodeOf(parent));
    if (column != 0 || row < 0 || row >= static_cast<int>(children.size()))
        return {};
    return createIndex(row, 0, children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const TFolderNode* node = NodeOf(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return static_cast<int>(tree_.ChildrenOf(NodeOf(parent)).size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const TFolderNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QFromAnsi(NodeName(*node));
        case Qt::DecorationRole:
            return ListIcon(IconOf(node->caption));
        case Qt::FontRole:
            if (node->caption.find("<b>") != std::string::npos) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

QVariant FolderTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return Tr("Folders");
    return {};
}

void FolderTreeModel::RetranslateHeader() {
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
    const TFolderNode* node = NodeOf(index);
    if (!node)
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
    if (tree_.IndexOfNode(node) >= kFirstUserFolderIndex)
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList FolderTreeModel::mimeTypes() const {
    return {QString::fromLatin1(kFolderNodeMime), QString::fromLatin1(kMessageRowsMime)};
}

QMimeData* FolderTreeModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kFolderNodeMime),
                  QByteArray::number(tree_.IndexOfNode(NodeOf(indexes.first()))));
    return mime;
}

Qt::DropActions FolderTreeModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions FolderTreeModel::supportedDragActions() const {
    return Qt::MoveAction;
}

bool FolderTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex&) const {
    if (!data)
        return false;
    for (const QString& format : mimeTypes()) {
        if (data->hasFormat(format))
            return true;
    }
    return false;
}

bool FolderTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                   int column, const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    // A drop between two nodes goes to their parent, as a drop onto it would.
    TFolderNode* target = NodeOf(parent);
    if (data->hasFormat(QString::fromLatin1(kFolderNodeMime))) {
        bool ok = false;
        const int dragged = data->data(QString::fromLatin1(kFolderNodeMime)).toInt(&ok);
        TFolderNode* folder = ok ? tree_.NodeAt(dragged) : nullptr;
        if (folder && onFolderDropped)
            onFolderDropped(folder, target);
        return folder != nullptr;
    }
    std::vector<int> ids;
    for (const QByteArray& line : data->data(QString::fromLatin1(kMessageRowsMime)).split('\n')) {
        bool ok = false;
        const int id = line.toInt(&ok);
        if (ok)
            ids.push_back(id);
    }
    if (!ids.empty() && target && onMessagesDropped)
        onMessagesDropped(ids, target);
    return !ids.empty() && target;
}

void FolderTreeModel::NodeAboutToBeAdded(const TFolderNode* parent, int position) {
    beginInsertRows(IndexOf(parent), position, position);
}

void FolderTreeModel::NodeAdded(const TFolderNode& node) {
    endInsertRows();
    if (node.expanded)
        emit expandRequested(IndexOf(&node));
}

void FolderTreeModel::NodeAboutToBeRemoved(const TFolderNode& node) {
    beginRemoveRows(IndexOf(node.parent), PositionOf(&node), PositionOf(&node));
}

void FolderTreeModel::NodeRemoved(const TFolderNode*, int) {
    endRemoveRows();
}

void FolderTreeModel::NodeChanged(const TFolderNode& node) {
    const QModelIndex index = IndexOf(&node);
    emit dataChanged(index, index);
    if (node.expanded)
        emit expandRequested(index);
}

}  // namespace nimbra::ui
