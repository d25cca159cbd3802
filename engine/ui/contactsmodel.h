#pragma once
// The address book's contacts as the window's list shows them: a check box in the first
// column (the contact's mark), then name, phone, note and group. Clicking a column title sorts
// the book itself, so that the next save writes the order shown.
#include <QAbstractTableModel>

#include "addressbook.h"

namespace nimbra::ui {

class ContactsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    ContactsModel(TAddressBook& book, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    // The book changed: appended rows are inserted, anything else shows the book anew.
    void BookChanged(BookChange change);
    void RetranslateHeaders();

signals:
    // A mark was set or cleared from the list.
    void marksChanged();

private:
    TAddressBook& book_;
    // The rows the view knows of; the book may have grown since.
    int shown_ = 0;
    bool sorting_ = false;
    QStringList titles_;
};

}  // namespace nimbra::ui
