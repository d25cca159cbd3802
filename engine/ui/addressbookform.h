#pragma once
// TfrmAddressbook, the address book window: the "Contacts" group tree with a check box on
// every node, the contact list with the contacts' marks, "Select all" and "&Continue", and the
// commands on contacts and groups. It can be tied to one composer, into which "&Continue"
// writes the checked contacts. The window shows the engine's one address book: contacts the
// engine adds (senders of incoming messages) appear in it at once.
#include <functional>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "addressbook.h"

class QCheckBox;
class QLabel;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace nimbra::ui {

class ContactsModel;
class TfrmComposer;
class TfrmContact;
class TfrmGroupName;

// What the window asks of the desktop; tests give their own.
struct AddressbookHooks {
    // A Yes/No question; true for Yes.
    std::function<bool(const QString& question)> ask;
    // The file to open or save, asked with a title and a filter; empty when cancelled.
    std::function<QString(const QString& title, const QString& filter)> openFileName;
    std::function<QString(const QString& title, const QString& filter)> saveFileName;
};

class TfrmAddressbook final : public QMainWindow {
    Q_OBJECT
public:
    // newComposer opens a composer for "&Continue" when none is tied.
    TfrmAddressbook(TAddressBook& book, std::function<TfrmComposer*()> newComposer,
                    AddressbookHooks hooks = {}, QWidget* parent = nullptr);
    ~TfrmAddressbook() override;

    // Ties the window to a composer (its "Numbers") and shows it.
    void ShowTiedTo(TfrmComposer* composer);
    // Shows the window as it is (the main window's "Numbers").
    void ShowWindow();
    TfrmComposer* TiedComposer() const;

    // Commands.
    void NewContact();
    void NewGroup();
    void EditSelected();
    void DeleteSelected();
    void SelectAll(bool checked);
    void Continue();
    void ImportContacts();
    void ExportContacts();
    // The contact editor for the contact of a number (a new one when none has it); gives the
    // name and number as an address field takes them, or text when a new one was cancelled.
    std::string EditContactFor(const std::string& text);

    // Which of the list and the tree Edit and Delete act on.
    void SetListFocused(bool list) { listFocused_ = list; }
    bool ListFocused() const { return listFocused_; }

    QTableView* ContactList() const { return list_; }
    ContactsModel* Contacts() const { return model_; }
    QTreeWidget* GroupTree() const { return tree_; }
    QCheckBox* SelectAllBox() const { return selectAll_; }
    QLabel* CountPanel() const { return count_; }
    TfrmContact* ContactEditor() const { return editor_; }
    TfrmGroupName* GroupDialog() const { return groupDialog_; }
    QAction* FindAction(const QString& objectName) const;
    // A click on a column title of the list.
    void SortByColumn(int column);
    // The group tree's item of a pre-order group number.
    QTreeWidgetItem* GroupItem(std::size_t index) const;
    void Translate();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    QWidget* CreateParts();
    void BookChanged(BookChange change);
    void FillTree();
    void TreeItemChanged(QTreeWidgetItem* item);
    void ShowCount();
    // The editor for one contact; true when confirmed, the contact's fields then in edited.
    bool EditContact(const Contact& contact, Contact& edited);
    // The pre-order number of the tree's selected group, or -1.
    int SelectedGroup() const;
    void RequestSave();

    TAddressBook& book_;
    std::function<TfrmComposer*()> newComposer_;
    AddressbookHooks hooks_;
    QPointer<TfrmComposer> composer_;
    bool listFocused_ = true;
    bool fillingTree_ = false;
    bool checkingGroup_ = false;
    // The column last sorted by and its direction: clicking it again reverses the order.
    int sortColumn_ = -1;
    bool sortAscending_ = false;

    ContactsModel* model_ = nullptr;
    QTableView* list_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QCheckBox* selectAll_ = nullptr;
    QLabel* count_ = nullptr;
    TfrmContact* editor_ = nullptr;
    TfrmGroupName* groupDialog_ = nullptr;
};

}  // namespace nimbra::ui
