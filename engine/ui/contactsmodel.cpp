#include "contactsmodel.h"

#include "addressbookfiles.h"
#include "qansi.h"
#include "windowtranslation.h"

namespace nimbra::ui {

ContactsModel::ContactsModel(TAddressBook& book, QObject* parent)
    : QAbstractTableModel(parent), book_(book), shown_(static_cast<int>(book.ContactCount())) {
    RetranslateHeaders();
}

int ContactsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ContactsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kContactColumns);
}

QVariant ContactsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(book_.ContactCount()))
        return {};
    const Contact& contact = book_.Contacts()[static_cast<std::size_t>(index.row())];
    if (index.column() == kMarkColumn) {
        if (role == Qt::CheckStateRole)
            return IsChecked(contact) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        QString cell = QFromAnsi(contact[static_cast<std::size_t>(index.column())]);
        if (role == Qt::DisplayRole)
            cell.replace(QLatin1String("\r\n"), QLatin1String(" "))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
        return cell;
    }
    return {};
}

bool ContactsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kMarkColumn || role != Qt::CheckStateRole)
        return false;
    book_.SetContactChecked(static_cast<std::size_t>(index.row()), value.toInt() == Qt::Checked);
    emit marksChanged();
    return true;
}

Qt::ItemFlags ContactsModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == kMarkColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ContactsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= titles_.size())
        return {};
    return titles_[section];
}

void ContactsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= static_cast<int>(kContactColumns))
        return;
    // Other contacts stand in the rows now: the selection goes.
    beginResetModel();
    sorting_ = true;
    book_.SortContacts(static_cast<ContactColumn>(column), order == Qt::AscendingOrder);
    sorting_ = false;
    endResetModel();
}

void ContactsModel::BookChanged(BookChange change) {
    if (sorting_)
        return;
    const int rows = static_cast<int>(book_.ContactCount());
    if (change == BookChange::kContactsAppended && rows >= shown_) {
        if (rows > shown_) {
            beginInsertRows({}, shown_, rows - 1);
            shown_ = rows;
            endInsertRows();
        }
        return;
    }
    if (rows != shown_) {
        beginResetModel();
        shown_ = rows;
        endResetModel();
        return;
    }
    // The same rows, other cells: the selection stays.
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, kContactColumns - 1));
}

void ContactsModel::RetranslateHeaders() {
    titles_.clear();
    for (const std::string& title : ContactsTitleRow())
        titles_.append(title.empty() ? QString() : Tr(QFromAnsi(title)));
    emit headerDataChanged(Qt::Horizontal, 0, kContactColumns - 1);
}

}  // namespace nimbra::ui
