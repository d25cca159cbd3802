#include "messagelistmodel.h"

#include <algorithm>
#include <unordered_map>

#include <QMimeData>

#include "icons.h"
#include "qansi.h"
#include "smsqueue.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

const char* const kTitles[kListColumnCount] = {"", "Phone number", "Message", "Time", ""};

}  // namespace

MessageListModel::MessageListModel(TMessageList& list, std::function<TDateTime()> clock,
                                   QObject* parent)
    : QAbstractTableModel(parent), list_(list), clock_(std::move(clock)) {
    list_.AddObserver(this);
    ids_ = SortedIds(sortColumn_, sortOrder_);
}

MessageListModel::~MessageListModel() {
    list_.RemoveObserver(this);
}

void MessageListModel::SetDateFormat(const std::string& picture, const std::string& systemPicture) {
    datePicture_ = picture;
    systemPicture_ = systemPicture;
    RefreshAll();
}

CellFormat MessageListModel::Format() const {
    return {Outgoing(), datePicture_, systemPicture_, clock_ ? clock_() : 0};
}

bool MessageListModel::Outgoing() const {
    return list_.Queue() && list_.Queue()->Flags().outgoing;
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

TSms* MessageListModel::MessageAt(int row) const {
    const int id = ListIdAt(row);
    return id < 0 || !list_.Queue() ? nullptr : list_.Queue()->FindByListId(id);
}

int MessageListModel::ListIdAt(int row) const {
    if (row < 0 || row >= static_cast<int>(ids_.size()))
        return -1;
    return ids_[static_cast<std::size_t>(row)];
}

int MessageListModel::RowOfListId(int listId) const {
    // Rows go one after the other (a delete walks down the selection), so the search starts
    // where the last one was found.
    const std::size_t from = std::min(lastFound_, ids_.size());
    auto found = std::find(ids_.begin() + static_cast<std::ptrdiff_t>(from), ids_.end(), listId);
    if (found == ids_.end())
        found = std::find(ids_.begin(), ids_.end(), listId);
    if (found == ids_.end())
        return -1;
    lastFound_ = static_cast<std::size_t>(found - ids_.begin());
    return static_cast<int>(lastFound_);
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    const TSms* message = index.isValid() ? MessageAt(index.row()) : nullptr;
    if (!message)
        return {};
    if (role == kListIdRole)
        return message->listId;
    if (role == Qt::DecorationRole && index.column() == kListIcon)
        return ListIcon(message->iconIndex);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
        case kListPhone:
            return QFromAnsi(PhoneCell(*message, Outgoing()));
        case kListMessage:
            return QString::fromStdU16String(ShownText(message->text));
        case kListTime:
            return QFromAnsi(TimeCell(*message, Format()));
        case kListIdCell:
            return message->listId;
        default:
            return {};
    }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kListColumnCount)
        return {};
    return *kTitles[section] ? Tr(kTitles[section]) : QString();
}

std::vector<std::string> MessageListModel::Titles() const {
    std::vector<std::string> titles;
    for (const char* title : kTitles)
        titles.push_back(*title ? QToAnsi(Tr(title)) : std::string());
    return titles;
}

std::vector<std::string> MessageListModel::Cells(int row) const {
    const TSms* message = MessageAt(row);
    return message ? RowCells(*message, Format()) : std::vector<std::string>{};
}

void MessageListModel::RetranslateHeaders() {
    emit headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1);
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList MessageListModel::mimeTypes() const {
    return {QString::fromLatin1(kMessageRowsMime)};
}

QMimeData* MessageListModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray ids;
    for (int row : rows)
        ids += QByteArray::number(ListIdAt(row)) + '\n';
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMessageRowsMime), ids);
    return mime;
}

Qt::DropActions MessageListModel::supportedDragActions() const {
    return Qt::MoveAction;
}

std::vector<int> MessageListModel::SortedIds(int column, Qt::SortOrder order) const {
    const TSmsQueue* queue = list_.Queue();
    if (!queue)
        return {};
    std::vector<const TSms*> messages;
    messages.reserve(static_cast<std::size_t>(list_.RowCount()));
    for (int row = 0; row < list_.RowCount(); ++row) {
        if (const TSms* message = queue->FindByListId(list_.ListIdAt(row)))
            messages.push_back(message);
    }
    SortMessages(messages, column, order == Qt::AscendingOrder, Format());
    std::vector<int> ids;
    ids.reserve(messages.size());
    for (const TSms* message : messages)
        ids.push_back(message->listId);
    return ids;
}

void MessageListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kListColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    sortColumn_ = column;
    sortOrder_ = order;
    std::vector<int> sorted = SortedIds(column, order);
    const QModelIndexList before = persistentIndexList();
    std::unordered_map<int, int> newRowOf;
    for (const QModelIndex& index : before)
        newRowOf.emplace(ListIdAt(index.row()), -1);
    for (std::size_t row = 0; row < sorted.size() && !newRowOf.empty(); ++row) {
        const auto wanted = newRowOf.find(sorted[row]);
        if (wanted != newRowOf.end())
            wanted->second = static_cast<int>(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int row = newRowOf[ListIdAt(index.row())];
        after.append(row < 0 ? QModelIndex() : createIndex(row, index.column()));
    }
    ids_ = std::move(sorted);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MessageListModel::RefreshAll() {
    if (!ids_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kListColumnCount - 1));
}

void MessageListModel::ListAboutToBeReset() {
    beginResetModel();
}

void MessageListModel::ListReset() {
    ids_ = SortedIds(sortColumn_, sortOrder_);
    endResetModel();
}

void MessageListModel::RowAboutToBeAdded(int) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
}

void MessageListModel::RowAdded(int row) {
    ids_.push_back(list_.ListIdAt(row));
    endInsertRows();
}

void MessageListModel::RowAboutToBeRemoved(int row) {
    removing_ = RowOfListId(list_.ListIdAt(row));
    if (removing_ >= 0)
        beginRemoveRows({}, removing_, removing_);
}

void MessageListModel::RowRemoved(int) {
    if (removing_ < 0)
        return;
    ids_.erase(ids_.begin() + removing_);
    removing_ = -1;
    endRemoveRows();
}

void MessageListModel::RowChanged(int row) {
    const int shown = RowOfListId(list_.ListIdAt(row));
    if (shown >= 0)
        emit dataChanged(index(shown, 0), index(shown, kListColumnCount - 1));
}

}  // namespace nimbra::ui
