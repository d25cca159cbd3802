// Building the main window: its commands, menus, toolbars, panes, status bar and tray icon.
#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "aboutform.h"
#include "foldertreemodel.h"
#include "icons.h"
#include "mainwindow.h"
#include "messagelistmodel.h"
#include "previewpane.h"

namespace nimbra::ui {
namespace {

// A toolbar button of its own caption for a command of the menus: it carries the command
// out and is available when the command is.
QAction* Twin(QAction* command, const char* name, const char* text) {
    QAction* twin = NewAction(command->parent(), name, text);
    twin->setIcon(command->icon());
    twin->setEnabled(command->isEnabled());
    QObject::connect(twin, &QAction::triggered, command, &QAction::trigger);
    QObject::connect(command, &QAction::changed, twin,
                     [twin, command] { twin->setEnabled(command->isEnabled()); });
    return twin;
}

QMenu* NewMenu(QWidget* parent, const char* name, const char* title) {
    auto* menu = new QMenu(QString::fromLatin1(title), parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

// A status panel that shortens a text too long for it with "...", the whole text in its tip.
class ElidedPanel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect().adjusted(margin(), 0, -margin(), 0);
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        setToolTip(shown == text() ? QString() : text());
        drawFrame(&painter);
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft, shown);
    }
};

// A pane with a caption above it.
QWidget* Captioned(const char* name, const char* caption, QWidget* pane, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* title = new QLabel(QString::fromLatin1(caption), box);
    title->setObjectName(QString::fromLatin1(name));
    title->setStyleSheet(QStringLiteral("font-weight: bold; padding: 2px 4px;"));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    layout->addWidget(pane, 1);
    return box;
}

}  // namespace

void TNbsmForm::CreateActions() {
    actNewFolder_ = NewAction(this, "NewFolder1", "&New folder", "folder-user");
    connect(actNewFolder_, &QAction::triggered, this, [this] { NewFolder(hoveredPath_); });
    actResend_ = NewAction(this, "ResendFaildMessages1", "Resend Faild Messages", "resend");
    connect(actResend_, &QAction::triggered, this, [this] { engine_.ResendFailedMessages(); });
    actExit_ = NewAction(this, "Exit1", "Exit");
    connect(actExit_, &QAction::triggered, this, &TNbsmForm::AskToExit);
    actDelete_ =
        NewAction(this, "Delete1", "&Delete", "delete", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    connect(actDelete_, &QAction::triggered, this, &TNbsmForm::DeleteSelected);
    actSelectAll_ =
        NewAction(this, "Selectall1", "&Select all", nullptr, QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(actSelectAll_, &QAction::triggered, this, &TNbsmForm::SelectAll);
    actUnselectAll_ = NewAction(this, "Unselectall1", "&Unselect all");
    connect(actUnselectAll_, &QAction::triggered, this, &TNbsmForm::UnselectAll);
    actStart_ = NewAction(this, "Start1", "Start", "start", QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(actStart_, &QAction::triggered, this, [this] { engine_.StartbtnClick(true); });
    actStop_ = NewAction(this, "Stop1", "Stop", "stop", QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(actStop_, &QAction::triggered, this, [this] { engine_.StopbtnClick(); });
    actNewMessage_ = NewAction(this, "Newmessage1", "&New message", "message-compose",
                               QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(actNewMessage_, &QAction::triggered, this, &TNbsmForm::CreateMessage);
    actReply_ = NewAction(this, "Reply1", "&Reply", "reply");
    connect(actReply_, &QAction::triggered, this, &TNbsmForm::Reply);
    actForward_ = NewAction(this, "Forward1", "&Forward", "forward");
    connect(actForward_, &QAction::triggered, this, &TNbsmForm::Forward);
    actNumbers_ = NewAction(this, "Numbers1", "Numbers", "addressbook");
    connect(actNumbers_, &QAction::triggered, this, &TNbsmForm::ShowNumbers);
    actPrint_ = NewAction(this, "Print1", "Print", "print");
    connect(actPrint_, &QAction::triggered, this, &TNbsmForm::PrintMessage);
    actExport_ = NewAction(this, "Exportmessages1", "&Export messages...");
    connect(actExport_, &QAction::triggered, this, &TNbsmForm::ExportMessages);
    actAbout_ = NewAction(this, "About1", "&About...");
    connect(actAbout_, &QAction::triggered, this, [this] { aboutForm_->exec(); });
    actPreferences_ = NewAction(this, "Preferences1", "&Preferences...");
    connect(actPreferences_, &QAction::triggered, this, [this] { ShowPreferences(false); });
    actInstallPlugins_ = NewAction(this, "Installplugins1", "Install plugins");
    connect(actInstallPlugins_, &QAction::triggered, this, [this] { ShowPreferences(true); });
    actShow_ = NewAction(this, "TrayShow1", "&Show");
    connect(actShow_, &QAction::triggered, this, &TNbsmForm::ShowWindow);
    // Available once a message is selected.
    actDelete_->setEnabled(false);
    actPrint_->setEnabled(false);
    actReply_->setEnabled(false);
    actForward_->setEnabled(false);
}

void TNbsmForm::CreateMenus() {
    QMenu* file = NewMenu(this, "File1", "&File");
    file->addAction(actNewMessage_);
    file->addAction(actNewFolder_);
    file->addAction(actResend_);
    file->addSeparator();
    file->addAction(actExit_);
    QMenu* edit = NewMenu(this, "Edit1", "&Edit");
    edit->addAction(actDelete_);
    edit->addSeparator();
    edit->addAction(actSelectAll_);
    edit->addAction(actUnselectAll_);
    serverMenu_ = NewMenu(this, "Server1", "&Server");
    serverMenu_->addAction(actStart_);
    serverMenu_->addAction(actStop_);
    serverMenu_->addSeparator();
    serverMenu_->addAction(actPreferences_);
    pluginMenu_ = NewMenu(this, "Plugins1", "&Plugins");
    pluginMenu_->addAction(actInstallPlugins_);
    pluginMenu_->addSeparator();
    languageMenu_ = NewMenu(this, "Language1", "&Language");
    helpMenu_ = NewMenu(this, "Help1", "&Help");
    for (QMenu* menu : {file, edit, serverMenu_, pluginMenu_, languageMenu_, helpMenu_})
        menuBar()->addMenu(menu);
    CreateLanguageMenu();
    CreateHelpMenu();

    folderMenu_ = NewMenu(this, "pmFolders", "Folders");
    listMenu_ = NewMenu(this, "pmMessages", "Messages");
    listMenu_->addAction(actReply_);
    listMenu_->addAction(actForward_);
    listMenu_->addAction(actDelete_);
    listMenu_->addAction(actExport_);
}

void TNbsmForm::CreateToolbars() {
    QToolBar* server = addToolBar(QStringLiteral("Server"));
    server->setObjectName(QStringLiteral("tbServer"));
    server->addAction(actStart_);
    server->addAction(actStop_);
    server->addAction(Twin(actResend_, "tbResend", "&Resend"));
    QToolBar* messages = addToolBar(QStringLiteral("Messages"));
    messages->setObjectName(QStringLiteral("tbMessages"));
    messages->addAction(Twin(actNewMessage_, "tbCreateSMS", "Create SMS"));
    messages->addAction(Twin(actReply_, "tbReply", "Reply"));
    messages->addAction(Twin(actForward_, "tbForward", "Forward"));
    messages->addAction(Twin(actPrint_, "tbPrint", "Print"));
    messages->addAction(Twin(actDelete_, "tbDelete", "Delete"));
    messages->addAction(actNumbers_);
    for (QToolBar* bar : {server, messages}) {
        bar->setMovable(false);
        bar->setIconSize(QSize(20, 20));
        bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
}

QWidget* TNbsmForm::CreateFolderSide() {
    folderView_ = new QTreeView(this);
    folderView_->setObjectName(QStringLiteral("tvFolders"));
    folderView_->setModel(folderModel_);
    folderView_->setSelectionMode(QAbstractItemView::SingleSelection);
    folderView_->setDragDropMode(QAbstractItemView::DragDrop);
    folderView_->setDefaultDropAction(Qt::MoveAction);
    folderView_->setDropIndicatorShown(true);
    folderView_->setContextMenuPolicy(Qt::CustomContextMenu);
    folderView_->setMouseTracking(true);
    folderView_->setIconSize(QSize(18, 18));
    folderView_->expandAll();
    connect(folderView_, &QTreeView::customContextMenuRequested, this, &TNbsmForm::FolderMenu);
    connect(folderView_, &QTreeView::entered, this, &TNbsmForm::FolderHovered);
    connect(folderView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FolderSelected(current); });
    connect(folderModel_, &FolderTreeModel::expandRequested, folderView_, &QTreeView::expand);
    folderModel_->onMessagesDropped = [this](const std::vector<int>& ids, TFolderNode* target) {
        MessagesDropped(ids, target);
    };
    folderModel_->onFolderDropped = [this](TFolderNode* folder, TFolderNode* target) {
        FolderDropped(folder, target);
    };

    devicePane_ = new QListWidget(this);
    devicePane_->setObjectName(QStringLiteral("lbDevices"));
    devicePane_->setSelectionMode(QAbstractItemView::NoSelection);
    devicePane_->setFocusPolicy(Qt::NoFocus);
    devicePane_->setIconSize(QSize(20, 20));
    devicePane_->setWordWrap(true);
    devicePane_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* side = new QSplitter(Qt::Vertical, this);
    side->setObjectName(QStringLiteral("splFolders"));
    side->addWidget(folderView_);
    side->addWidget(Captioned("lblDeviceInformation", "Device information", devicePane_, side));
    side->setStretchFactor(0, 3);
    side->setStretchFactor(1, 1);
    side->setSizes({330, 120});
    return side;
}

QWidget* TNbsmForm::CreateMessageSide() {
    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("pnlFolderHeader"));
    header->setFrameShape(QFrame::StyledPanel);
    header->setAutoFillBackground(true);
    header->setBackgroundRole(QPalette::AlternateBase);
    folderIcon_ = new QLabel(header);
    folderName_ = new QLabel(header);
    folderName_->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 12pt;"));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(6, 3, 6, 3);
    headerLayout->addWidget(folderIcon_);
    headerLayout->addWidget(folderName_, 1);

    messageView_ = new QTreeView(this);
    messageView_->setObjectName(QStringLiteral("lvMessages"));
    messageView_->setModel(messageModel_);
    messageView_->setRootIsDecorated(false);
    messageView_->setUniformRowHeights(true);
    messageView_->setAlternatingRowColors(true);
    messageView_->setAllColumnsShowFocus(true);
    messageView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    messageView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    messageView_->setDragEnabled(true);
    messageView_->setDragDropMode(QAbstractItemView::DragOnly);
    messageView_->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* columns = messageView_->header();
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(kListIcon, QHeaderView::Fixed);
    columns->resizeSection(kListIcon, 28);
    columns->resizeSection(kListPhone, kPhoneColumnWidth);
    columns->setSectionResizeMode(kListMessage, QHeaderView::Stretch);
    columns->resizeSection(kListTime, 140);
    columns->setSectionHidden(kListIdCell, true);
    columns->setSortIndicator(messageModel_->SortColumn(), messageModel_->SortOrder());
    messageView_->setSortingEnabled(true);
    connect(messageView_, &QTreeView::customContextMenuRequested, this, &TNbsmForm::MessageMenu);
    connect(messageView_, &QTreeView::doubleClicked, this, &TNbsmForm::Reply);
    connect(messageView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TNbsmForm::MessageSelected);
    connect(messageView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TNbsmForm::MessageSelected);
    connect(messageModel_, &MessageListModel::rowsAboutToBeInserted, this,
            [this] { rowsBeforeAddition_ = messageModel_->rowCount(); });
    connect(messageModel_, &MessageListModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { RowsAdded(first, last); });
    connect(messageModel_, &MessageListModel::modelReset, this, &TNbsmForm::ClearPreview);
    messageView_->installEventFilter(this);

    preview_ = new PreviewPane(this);
    connect(preview_, &PreviewPane::fromClicked, this, [this] { EditPreviewContact(true); });
    connect(preview_, &PreviewPane::toClicked, this, [this] { EditPreviewContact(false); });
    auto* listAndPreview = new QSplitter(Qt::Vertical, this);
    listAndPreview->setObjectName(QStringLiteral("splPreview"));
    listAndPreview->addWidget(messageView_);
    listAndPreview->addWidget(preview_);
    listAndPreview->setStretchFactor(0, 3);
    listAndPreview->setStretchFactor(1, 1);
    listAndPreview->setSizes({200, 130});

    messagesArea_ = new QWidget(this);
    auto* messagesLayout = new QVBoxLayout(messagesArea_);
    messagesLayout->setContentsMargins(0, 0, 0, 0);
    messagesLayout->setSpacing(2);
    messagesLayout->addWidget(header);
    messagesLayout->addWidget(listAndPreview, 1);

    logPane_ = new QPlainTextEdit(this);
    logPane_->setObjectName(QStringLiteral("memLog"));
    logPane_->setReadOnly(true);
    logPane_->setMaximumBlockCount(static_cast<int>(kScreenLogLines));
    logPane_->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* side = new QSplitter(Qt::Vertical, this);
    side->setObjectName(QStringLiteral("splLog"));
    side->addWidget(messagesArea_);
    side->addWidget(logPane_);
    side->setStretchFactor(0, 3);
    side->setStretchFactor(1, 1);
    side->setSizes({340, 110});
    return side;
}

void TNbsmForm::CreateStatusBar() {
    // No object name: the panels show the engine's state, not texts of the language files.
    const int widths[4] = {170, 60, 70, 0};
    for (int panel = 0; panel < 4; ++panel) {
        statusPanels_[panel] = new ElidedPanel(this);
        statusPanels_[panel]->setFrameShape(QFrame::StyledPanel);
        statusPanels_[panel]->setFrameShadow(QFrame::Sunken);
        statusPanels_[panel]->setContentsMargins(4, 0, 4, 0);
        if (widths[panel] > 0)
            statusPanels_[panel]->setFixedWidth(widths[panel]);
        else
            statusPanels_[panel]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->addWidget(statusPanels_[panel], widths[panel] > 0 ? 0 : 1);
    }
    progress_ = new QProgressBar(this);
    progress_->setMaximumWidth(160);
    progress_->setTextVisible(false);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
}

void TNbsmForm::CreateTray() {
    tray_ = new QSystemTrayIcon(NamedIcon(QStringLiteral("application")), this);
    tray_->setToolTip(QString::fromLatin1(kProductName));
    QMenu* menu = NewMenu(this, "pmTray", "Tray");
    menu->addAction(Twin(actNewMessage_, "TraySend1", "Send"));
    menu->addSeparator();
    menu->addAction(actStart_);
    menu->addAction(actStop_);
    menu->addSeparator();
    menu->addAction(actShow_);
    menu->addSeparator();
    menu->addAction(actExit_);
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                    ShowWindow();
            });
}

}  // namespace nimbra::ui
