#pragma once
// The message list as an item model: one row per message of the folder shown, over the
// store's list (TMessageList), in an order of its own: sorted by a column, with messages that
// arrived since the last sort at the end until the next one. Cells are written when a view
// asks for them, so a folder of 100,000 messages costs the model a list id per row.
#include <functional>
#include <vector>

#include <QAbstractTableModel>

#include "dragdata.h"
#include "listcells.h"
#include "messagelist.h"

namespace nimbra::ui {

// The list id of a row, under Qt::UserRole.
inline constexpr int kListIdRole = Qt::UserRole;

class MessageListModel final : public QAbstractTableModel, private MessageListObserver {
    Q_OBJECT
public:
    // clock: now, for messages without a received time.
    MessageListModel(TMessageList& list, std::function<TDateTime()> clock,
                     QObject* parent = nullptr);
    ~MessageListModel() override;

    // The date format of the "Time" column: the setting and what its "c" stands for.
    void SetDateFormat(const std::string& picture, const std::string& systemPicture);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    // Sorts by column; the rows keep their selection.
    void sort(int column, Qt::SortOrder order) override;

    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }
    // Sorts again by the current column.
    void Resort() { sort(sortColumn_, sortOrder_); }
    // Every cell may have changed (icons, names): views draw them again.
    void RefreshAll();
    // The header titles in the current language.
    void RetranslateHeaders();

    TSms* MessageAt(int row) const;
    int ListIdAt(int row) const;
    // -1 when no row shows the message.
    int RowOfListId(int listId) const;
    // Whether the folder shown is outgoing.
    bool Outgoing() const;
    // The cells of a row as the export writes them.
    std::vector<std::string> Cells(int row) const;
    std::vector<std::string> Titles() const;

private:
    void ListAboutToBeReset() override;
    void ListReset() override;
    void RowAboutToBeAdded(int row) override;
    void RowAdded(int row) override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved(int row) override;
    void RowChanged(int row) override;

    CellFormat Format() const;
    // The rows in the current order.
    std::vector<int> SortedIds(int column, Qt::SortOrder order) const;

    TMessageList& list_;
    std::function<TDateTime()> clock_;
    std::string datePicture_ = "c";
    std::string systemPicture_ = kStoredTimePicture;
    std::vector<int> ids_;  // list ids in the order shown
    int sortColumn_ = kListTime;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    int removing_ = -1;  // the row being removed
    mutable std::size_t lastFound_ = 0;
};

}  // namespace nimbra::ui
