#include "addressbookform.h"

#include <algorithm>
#include <set>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "composer.h"
#include "contactforms.h"
#include "contactsmodel.h"
#include "icons.h"
#include "qansi.h"
#include "unStrings.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

// The pre-order number of the group an item shows.
constexpr int kGroupIndexRole = Qt::UserRole;
constexpr int kColumnWidths[kContactColumns] = {24, 110, 110, 200, 100};

QString CsvFilter() {
    return Tr("Comma Separated Values") + QStringLiteral(" (*.csv)");
}

std::string EditorEntry(const Contact& contact) {
    return TrimBlanks(contact[kNameColumn] + " (" + contact[kPhoneColumn] + ")");
}

}  // namespace

TfrmAddressbook::TfrmAddressbook(TAddressBook& book, std::function<TfrmComposer*()> newComposer,
                                 AddressbookHooks hooks, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      book_(book),
      newComposer_(std::move(newComposer)),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("AddressbookForm"));
    setWindowTitle(QStringLiteral("Addressbook"));
    setWindowIcon(NamedIcon(QStringLiteral("addressbook")));
    if (!hooks_.ask) {
        hooks_.ask = [this](const QString& question) {
            return QMessageBox::question(this, windowTitle(), question,
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };
    }
    if (!hooks_.openFileName) {
        hooks_.openFileName = [this](const QString& title, const QString& filter) {
            return QFileDialog::getOpenFileName(this, title, QString(), filter);
        };
    }
    if (!hooks_.saveFileName) {
        hooks_.saveFileName = [this](const QString& title, const QString& filter) {
            return QFileDialog::getSaveFileName(this, title, QString(), filter);
        };
    }
    editor_ = new TfrmContact(this);
    groupDialog_ = new TfrmGroupName(this);
    model_ = new ContactsModel(book_, this);
    CreateActions();
    setCentralWidget(CreateParts());
    count_ = new QLabel(this);
    count_->setContentsMargins(4, 0, 4, 0);
    statusBar()->addWidget(count_, 1);
    FillTree();
    ShowCount();
    book_.onChange = [this](BookChange change) { BookChanged(change); };
    resize(720, 440);
}

TfrmAddressbook::~TfrmAddressbook() {
    book_.onChange = {};
}

void TfrmAddressbook::CreateActions() {
    QAction* newContact = NewAction(this, "NewContact1", "&New Contact", "contact-new",
                                    QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newContact, &QAction::triggered, this, &TfrmAddressbook::NewContact);
    QAction* newGroup =
        NewAction(this, "NewGroup1", "&New Group", "group-new", QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(newGroup, &QAction::triggered, this, &TfrmAddressbook::NewGroup);
    QAction* edit = NewAction(this, "EditContactInformation1", "&Edit Contact Information", "edit");
    connect(edit, &QAction::triggered, this, &TfrmAddressbook::EditSelected);
    QAction* remove = NewAction(this, "DeleteContact1", "&Delete Contact", "delete");
    connect(remove, &QAction::triggered, this, &TfrmAddressbook::DeleteSelected);
    QAction* exportCsv = NewAction(this, "Exportcsv1", "Export (csv)");
    connect(exportCsv, &QAction::triggered, this, &TfrmAddressbook::ExportContacts);
    QAction* importCsv = NewAction(this, "Importcsv1", "Import (csv)");
    connect(importCsv, &QAction::triggered, this, &TfrmAddressbook::ImportContacts);
    QAction* exit = NewAction(this, "Exit1", "&Exit");
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addActions({newContact, newGroup, edit, remove});
    file->addSeparator();
    file->addActions({exportCsv, importCsv});
    file->addSeparator();
    file->addAction(exit);

    // The toolbar's buttons carry captions of their own.
    const auto twin = [this](QAction* command, const char* name, const char* text) {
        QAction* button = NewAction(this, name, text);
        button->setIcon(command->icon());
        connect(button, &QAction::triggered, command, &QAction::trigger);
        return button;
    };
    QAction* continueButton = NewAction(this, "tbContinue", "&Continue", "message-send");
    connect(continueButton, &QAction::triggered, this, &TfrmAddressbook::Continue);
    QToolBar* bar = addToolBar(QStringLiteral("Addressbook"));
    bar->setObjectName(QStringLiteral("tbAddressbook"));
    bar->setMovable(false);
    bar->setIconSize(QSize(20, 20));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->addAction(twin(newGroup, "tbNewGroup", "New &Group"));
    bar->addAction(twin(newContact, "tbNewContact", "&New Contact"));
    bar->addAction(twin(edit, "tbEdit", "&Edit"));
    bar->addAction(twin(remove, "tbDelete", "&Delete"));
    bar->addSeparator();
    bar->addAction(continueButton);
}

QWidget* TfrmAddressbook::CreateParts() {
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("tvGroups"));
    tree_->setHeaderLabel(QStringLiteral("Contacts"));
    tree_->setIconSize(QSize(18, 18));
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { TreeItemChanged(item); });

    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("lvContacts"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Sorting sorts the book itself: only when a title is clicked, never when the view asks.
    list_->horizontalHeader()->setSectionsClickable(true);
    list_->horizontalHeader()->setSortIndicatorShown(false);
    connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TfrmAddressbook::SortByColumn);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->setShowGrid(false);
    list_->setAlternatingRowColors(true);
    list_->setWordWrap(false);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column = 0; column < static_cast<int>(kContactColumns); ++column)
        list_->horizontalHeader()->resizeSection(column, kColumnWidths[column]);
    // The note takes what the window has to spare.
    list_->horizontalHeader()->setSectionResizeMode(kMarkColumn, QHeaderView::Fixed);
    list_->horizontalHeader()->setSectionResizeMode(kNoteColumn, QHeaderView::Stretch);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->installEventFilter(this);
    connect(model_, &ContactsModel::marksChanged, this, &TfrmAddressbook::ShowCount);
    connect(list_, &QTableView::doubleClicked, this, [this] {
        listFocused_ = true;
        EditSelected();
    });

    selectAll_ = new QCheckBox(QStringLiteral("Select all"), this);
    selectAll_->setObjectName(QStringLiteral("cbSelectAll"));
    connect(selectAll_, &QCheckBox::clicked, this, &TfrmAddressbook::SelectAll);
    auto* continueButton = new QPushButton(QStringLiteral("&Continue"), this);
    continueButton->setObjectName(QStringLiteral("btnContinue"));
    continueButton->setIcon(NamedIcon(QStringLiteral("message-send")));
    connect(continueButton, &QPushButton::clicked, this, &TfrmAddressbook::Continue);

    auto* listSide = new QWidget(this);
    auto* below = new QHBoxLayout;
    below->addWidget(selectAll_);
    below->addStretch();
    below->addWidget(continueButton);
    auto* listLayout = new QVBoxLayout(listSide);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(list_, 1);
    listLayout->addLayout(below);

    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->setObjectName(QStringLiteral("splContacts"));
    sides->addWidget(tree_);
    sides->addWidget(listSide);
    sides->setStretchFactor(1, 1);
    sides->setSizes({170, 550});
    return sides;
}

void TfrmAddressbook::SortByColumn(int column) {
    sortAscending_ = column != sortColumn_ || !sortAscending_;
    sortColumn_ = column;
    model_->sort(column, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
}

TfrmComposer* TfrmAddressbook::TiedComposer() const {
    return composer_.data();
}

QAction* TfrmAddressbook::FindAction(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void TfrmAddressbook::Translate() {
    TranslateWindow(this, "AddressbookForm");
    TranslateWindow(editor_, "ContactForm");
    TranslateWindow(groupDialog_, "GroupNameForm");
    model_->RetranslateHeaders();
    FillTree();
    ShowCount();
}

void TfrmAddressbook::BookChanged(BookChange change) {
    model_->BookChanged(change);
    if (change == BookChange::kGroups && !checkingGroup_)
        FillTree();
    ShowCount();
}

void TfrmAddressbook::FillTree() {
    fillingTree_ = true;
    const int selected = SelectedGroup();
    tree_->clear();
    std::vector<QTreeWidgetItem*> parents;
    std::size_t index = 0;
    VisitGroups(book_.GroupTree(), [&](const GroupNode& node, int depth) {
        const QString name = QFromAnsi(GroupName(node));
        QTreeWidgetItem* item =
            depth == 0 ? new QTreeWidgetItem(tree_, {Tr(name)})
                       : new QTreeWidgetItem(parents[static_cast<std::size_t>(depth - 1)], {name});
        parents.resize(static_cast<std::size_t>(depth));
        parents.push_back(item);
        item->setData(0, kGroupIndexRole, static_cast<qulonglong>(index));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool checked = node.picture == kCheckedPicture;
        item->setCheckState(0, depth > 0 && checked ? Qt::Checked : Qt::Unchecked);
        item->setIcon(
            0, NamedIcon(depth == 0 ? QStringLiteral("addressbook") : QStringLiteral("group")));
        if (depth == 0) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
        }
        if (static_cast<int>(index) == selected)
            tree_->setCurrentItem(item);
        ++index;
    });
    tree_->expandAll();
    fillingTree_ = false;
}

QTreeWidgetItem* TfrmAddressbook::GroupItem(std::size_t index) const {
    QTreeWidgetItemIterator it(tree_);
    for (; *it; ++it) {
        if ((*it)->data(0, kGroupIndexRole).toULongLong() == index)
            return *it;
    }
    return nullptr;
}

int TfrmAddressbook::SelectedGroup() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    return item ? static_cast<int>(item->data(0, kGroupIndexRole).toULongLong()) : -1;
}

void TfrmAddressbook::TreeItemChanged(QTreeWidgetItem* item) {
    if (fillingTree_)
        return;
    // The item shows its new state already: the tree is not built again under it.
    checkingGroup_ = true;
    book_.SetGroupMarks(item->data(0, kGroupIndexRole).toULongLong(),
                        item->checkState(0) == Qt::Checked);
    checkingGroup_ = false;
    ShowCount();
}

void TfrmAddressbook::ShowCount() {
    count_->setText(Tr("Selected") + QStringLiteral(": ") +
                    QString::number(static_cast<qulonglong>(book_.CheckedCount())));
}

void TfrmAddressbook::RequestSave() {
    book_.RequestSave(book_.ContactsFilePath());
}

bool TfrmAddressbook::EditContact(const Contact& contact, Contact& edited) {
    editor_->Prepare(contact, book_.GroupNames());
    if (editor_->exec() != QDialog::Accepted)
        return false;
    edited = editor_->Fields();
    SetChecked(edited, IsChecked(contact));
    return true;
}

void TfrmAddressbook::NewContact() {
    Contact added;
    if (EditContact(Contact{}, added))
        book_.AddContact(added);
    RequestSave();
}

void TfrmAddressbook::NewGroup() {
    groupDialog_->Prepare("");
    if (groupDialog_->exec() == QDialog::Accepted)
        book_.AddGroup(groupDialog_->GroupName());
    book_.WriteGroups();
}

void TfrmAddressbook::EditSelected() {
    if (listFocused_) {
        std::vector<int> rows;
        for (const QModelIndex& index : list_->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        bool confirmed = false;
        for (const int row : rows) {
            const auto index = static_cast<std::size_t>(row);
            if (index >= book_.ContactCount())
                continue;
            Contact edited;
            if (EditContact(book_.Contacts()[index], edited)) {
                book_.ReplaceContact(index, edited);
                confirmed = true;
            }
        }
        if (confirmed)
            RequestSave();
        return;
    }
    const int group = SelectedGroup();
    if (group <= 0)
        return;
    const std::vector<std::string> names = book_.GroupNames();
    if (static_cast<std::size_t>(group) >= names.size())
        return;
    groupDialog_->Prepare(names[static_cast<std::size_t>(group)]);
    if (groupDialog_->exec() == QDialog::Accepted &&
        book_.RenameGroup(static_cast<std::size_t>(group), groupDialog_->GroupName()))
        RequestSave();
    book_.WriteGroups();
}

void TfrmAddressbook::DeleteSelected() {
    if (listFocused_) {
        if (hooks_.ask(Tr("Are you sure you want to delete the selected items?"))) {
            std::vector<std::size_t> doomed;
            for (const QModelIndex& index : list_->selectionModel()->selectedRows())
                doomed.push_back(static_cast<std::size_t>(index.row()));
            book_.DeleteContacts(doomed);
        }
    } else if (hooks_.ask(Tr("Are you sure you want to delete the selected group?"))) {
        const int group = SelectedGroup();
        if (group > 0 && book_.DeleteGroup(static_cast<std::size_t>(group)))
            book_.WriteGroups();
    }
    RequestSave();
}

void TfrmAddressbook::SelectAll(bool checked) {
    selectAll_->setChecked(checked);
    book_.SetAllMarks(checked);
    ShowCount();
}

void TfrmAddressbook::Continue() {
    TfrmComposer* composer = composer_ ? composer_.data() : nullptr;
    if (!composer && newComposer_)
        composer = newComposer_();
    if (composer) {
        const auto [to, cc] = book_.ContinueEntries();
        composer->SetRecipients(QFromAnsi(to), QFromAnsi(cc));
        composer->show();
        composer->raise();
        composer->FocusText();
    }
    composer_ = nullptr;
    hide();
    ShowCount();
}

void TfrmAddressbook::ImportContacts() {
    const QString path = hooks_.openFileName(Tr("Select Contacts File"), CsvFilter());
    if (!path.isEmpty())
        book_.ImportContacts(QToAnsi(path));
}

void TfrmAddressbook::ExportContacts() {
    QString path = hooks_.saveFileName(Tr("Save Contacts File"), CsvFilter());
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    book_.ExportContacts(QToAnsi(path));
}

std::string TfrmAddressbook::EditContactFor(const std::string& text) {
    std::string result = text;
    if (const std::optional<std::size_t> found = book_.FindContact(text)) {
        const Contact contact = book_.Contacts()[*found];
        Contact edited;
        if (EditContact(contact, edited)) {
            book_.ReplaceContact(*found, edited);
            result = EditorEntry(edited);
        } else {
            result = EditorEntry(contact);
        }
    } else {
        const Contact fresh =
            MakeContact(TAddressBook::NameFromEntry(text), NormalizePhoneNumber(text), "", "");
        Contact added;
        if (EditContact(fresh, added)) {
            book_.AddContact(added);
            result = EditorEntry(added);
        }
    }
    RequestSave();
    return result;
}

void TfrmAddressbook::ShowTiedTo(TfrmComposer* composer) {
    composer_ = composer;
    ShowWindow();
}

void TfrmAddressbook::ShowWindow() {
    // A window already open keeps its marks.
    const bool wasVisible = isVisible();
    show();
    raise();
    activateWindow();
    if (wasVisible && !composer_)
        return;
    if (composer_)
        book_.MarkContactsIn(QToAnsi(composer_->To() + QLatin1Char(';') + composer_->Cc()));
    ShowCount();
}

void TfrmAddressbook::showEvent(QShowEvent* event) {
    if (!composer_) {
        SelectAll(false);
    }
    QMainWindow::showEvent(event);
}

bool TfrmAddressbook::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == list_ || watched == tree_) && event->type() == QEvent::FocusIn)
        listFocused_ = watched == list_;
    if ((watched == list_ || watched == tree_) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            listFocused_ = watched == list_;
            DeleteSelected();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace nimbra::ui
