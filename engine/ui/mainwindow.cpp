#include "mainwindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeView>

#include "aboutform.h"
#include "addressbookform.h"
#include "composer.h"
#include "exitform.h"
#include "folderdialogs.h"
#include "folderloader.h"
#include "foldertreemodel.h"
#include "icons.h"
#include "messagelistmodel.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "windownotifier.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

// The system's short date in the pictures of the "Time" column, with the time to the second.
std::string SystemPicture() {
    QString date = QLocale::system().dateFormat(QLocale::ShortFormat);
    date.replace(QLatin1Char('M'), QLatin1Char('m'));
    return QToAnsi(date) + " hh:nn:ss";
}

}  // namespace

TNbsmForm::TNbsmForm(Engine& engine, WindowHooks hooks)
    : engine_(engine), hooks_(std::move(hooks)), givenHooks_(hooks_) {
    setObjectName(QStringLiteral("MainForm"));
    if (!hooks_.ask) {
        hooks_.ask = [this](const QString& question) {
            return QMessageBox::question(this, QString::fromLatin1(kProductName), question,
                                         QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
        };
    }
    if (!hooks_.openUrl)
        hooks_.openUrl = [](const QUrl& page) { QDesktopServices::openUrl(page); };
    if (!hooks_.trayAvailable)
        hooks_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    if (!hooks_.saveFileName) {
        hooks_.saveFileName = [this](const QString& title, const QString& filters,
                                     QString& filter) {
            return QFileDialog::getSaveFileName(this, title, QString(), filters, &filter);
        };
    }
    notifier_ = std::make_unique<WindowNotifier>(hooks_.ask);
    trayMode_ = ReadPluginSetting(settings::kServerSection, kTrayModeValue, "0") == "1";

    loader_ = new FolderLoader(this);
    folderModel_ = new FolderTreeModel(engine_.Folders().Tree(), this);
    messageModel_ = new MessageListModel(
        engine_.Queues().MessageList(), [&engine] { return engine.Now(); }, this);
    messageModel_->SetDateFormat(engine_.Options().dateFormat, SystemPicture());

    setWindowIcon(NamedIcon(QStringLiteral("application")));
    CreateActions();
    CreateMenus();
    CreateToolbars();
    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->setObjectName(QStringLiteral("splMain"));
    sides->addWidget(CreateFolderSide());
    sides->addWidget(CreateMessageSide());
    sides->setStretchFactor(1, 1);
    sides->setSizes({190, 590});
    setCentralWidget(sides);
    CreateStatusBar();
    CreateTray();
    exitForm_ = new ExitForm(this);
    aboutForm_ = new AboutForm(this);
    folderForm_ = new FolderForm(this);
    renameForm_ = new RenameForm(this);
    AddressbookHooks bookHooks;
    bookHooks.ask = givenHooks_.ask;
    bookHooks.openFileName = givenHooks_.openFileName;
    if (givenHooks_.saveFileName) {
        bookHooks.saveFileName = [this](const QString& title, const QString& filter) {
            QString chosen = filter;
            return givenHooks_.saveFileName(title, filter, chosen);
        };
    }
    addressbook_ = new TfrmAddressbook(
        engine_.AddressBook(), [this] { return NewComposer(); }, bookHooks, this);
    LoadSortOrder();
    ConnectEngine();
    resize(780, 560);
    TranslateAll();
    UpdateControls();

    // The engine shows the Inbox from its start.
    const int shown = engine_.Queues().ShownIndex();
    const TFolderNode* node = engine_.Folders().Tree().NodeAt(shown < 0 ? kTreeInbox : shown);
    folderView_->setCurrentIndex(folderModel_->IndexOf(node));
}

TNbsmForm::~TNbsmForm() {
    SaveSortOrder();
    // Composers and the address book go before the engine they show.
    for (TfrmComposer* composer : findChildren<TfrmComposer*>())
        delete composer;
    delete addressbook_;
    addressbook_ = nullptr;
    loader_->Cancel();
    DisconnectEngine();
}

void TNbsmForm::ConnectEngine() {
    engine_.SetWindowNotifier(notifier_.get());
    engine_.onWindowRequest = [this](WindowMessage message) { WindowRequest(message); };
    engine_.onProgress = [this] { ShowEngineProgress(); };
    engine_.Status().onPanel = [this](int panel, const std::string& text) {
        if (panel >= 0 && panel < 4)
            statusPanels_[panel]->setText(QFromAnsi(text));
    };
    engine_.Logs().onPaneLine = [this](const PaneLine& line) { AddPaneLine(line); };
    engine_.Panel().onChange = [this] { ShowDevicePanel(); };
    engine_.Controls().onChange = [this] {
        // Read the state once the change is over.
        if (controlsUpdatePending_)
            return;
        controlsUpdatePending_ = true;
        QMetaObject::invokeMethod(
            this, [this] { UpdateControls(); }, Qt::QueuedConnection);
    };
    engine_.Menu().onChange = [this] { ShowServerMenu(); };
    engine_.PluginMenu().onChange = [this] { ShowPluginMenu(); };

    for (int panel = 0; panel < 4; ++panel)
        statusPanels_[panel]->setText(QFromAnsi(engine_.Status().Panel(panel)));
    for (const PaneLine& line : engine_.Logs().Pane())
        AddPaneLine(line);
    ShowDevicePanel();
    ShowServerMenu();
    ShowPluginMenu();
}

void TNbsmForm::DisconnectEngine() {
    engine_.SetWindowNotifier(nullptr);
    engine_.onWindowRequest = {};
    engine_.onProgress = {};
    engine_.Status().onPanel = {};
    engine_.Logs().onPaneLine = {};
    engine_.Panel().onChange = {};
    engine_.Controls().onChange = {};
    engine_.Menu().onChange = {};
    engine_.PluginMenu().onChange = {};
}

void TNbsmForm::ShowAtStart() {
    UpdateTitle();
    if (trayMode_ && hooks_.trayAvailable()) {
        tray_->show();
        hide();
        return;
    }
    // Without a tray to come back from, tray mode shows the window.
    if (engine_.Options().showMonitor || trayMode_)
        show();
}

void TNbsmForm::UpdateTitle() {
    QString title = QString::fromLatin1(kProductName);
    if (!trayMode_) {
        title += QStringLiteral(" - ") +
                 QFromAnsi(ReadSetting(settings::kRootKey, settings::kCaptionValue,
                                       settings::kCaptionDefault));
    }
    setWindowTitle(title);
}

void TNbsmForm::UpdateControls() {
    controlsUpdatePending_ = false;
    actStart_->setEnabled(engine_.StartAvailable());
    actStop_->setEnabled(engine_.StopAvailable());
}

void TNbsmForm::AddPaneLine(const PaneLine& line) {
    QTextCursor cursor(logPane_->document());
    cursor.movePosition(QTextCursor::End);
    if (!logPane_->document()->isEmpty())
        cursor.insertBlock();
    QTextCharFormat format;
    if (line.style != PaneStyle::Plain)
        format.setForeground(QColor(0xc6, 0x28, 0x28));
    if (line.style == PaneStyle::BoldRed)
        format.setFontWeight(QFont::Bold);
    cursor.insertText(QFromAnsi(line.text), format);
    logPane_->verticalScrollBar()->setValue(logPane_->verticalScrollBar()->maximum());
}

void TNbsmForm::ShowDevicePanel() {
    devicePane_->clear();
    for (const DevicePanel::Entry& entry : engine_.Panel().Entries()) {
        auto* header = new QListWidgetItem(DevicePicture(entry.picture),
                                           QFromAnsi("[" + entry.realName + "]"), devicePane_);
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        auto* status = new QListWidgetItem(QFromAnsi(entry.status), devicePane_);
        status->setForeground(devicePane_->palette().color(QPalette::PlaceholderText));
    }
}

void TNbsmForm::ShowEngineProgress() {
    const Engine::Progress& progress = engine_.WorkProgress();
    SetProgress(progress.visible, progress.maximum, progress.position);
}

void TNbsmForm::WindowRequest(WindowMessage message) {
    switch (message) {
        case WindowMessage::ShowMonitor:
        case WindowMessage::RestoreFromTray:
            ShowWindow();
            break;
        case WindowMessage::MinimiseToTray:
        case WindowMessage::TrayOnShow:
            MinimiseToTray();
            break;
        case WindowMessage::Exit:
            // Not inside the engine's work: the question waits for the operator.
            QMetaObject::invokeMethod(
                this, [this] { AskToExit(); }, Qt::QueuedConnection);
            break;
        case WindowMessage::RepaintMessageList:
            messageModel_->RefreshAll();
            break;
        case WindowMessage::RestartListSort:
            messageModel_->Resort();
            break;
        case WindowMessage::OpenComposer:
            CreateMessage();
            break;
        default:
            // The server options come with their window.
            break;
    }
}

void TNbsmForm::ShowWindow() {
    // Outside tray mode the icon is there only while the window is hidden in the tray.
    if (!trayMode_)
        tray_->hide();
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TNbsmForm::MinimiseToTray() {
    if (!hooks_.trayAvailable()) {
        showMinimized();
        return;
    }
    tray_->show();
    hide();
}

void TNbsmForm::AskToExit() {
    if (exitForm_->isVisible() || engine_.HasShutDown())
        return;
    engine_.Log("error", "WM_MyCANCLOSE");
    const bool close = exitForm_->exec() == QDialog::Accepted;
    engine_.Log("error", close ? "CLOSE=1" : "CLOSE=0");
    if (close)
        engine_.Exit();
}

void TNbsmForm::closeEvent(QCloseEvent* event) {
    if (engine_.HasShutDown()) {
        event->accept();
        return;
    }
    event->ignore();
    AskToExit();
}

void TNbsmForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && trayMode_ && isMinimized())
        QMetaObject::invokeMethod(
            this, [this] { MinimiseToTray(); }, Qt::QueuedConnection);
}

bool TNbsmForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == messageView_ && event->type() == QEvent::Resize) {
        // The number column takes a quarter of the list, within bounds.
        const int width = static_cast<QResizeEvent*>(event)->size().width();
        messageView_->header()->resizeSection(
            kListPhone, std::clamp(width / 4, kPhoneColumnWidth, 2 * kPhoneColumnWidth));
    }
    if (watched == messageView_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            DeleteSelected();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TNbsmForm::TranslateAll() {
    // The title carries the Caption setting; it is not the language's.
    setWindowTitle({});
    TranslateWindow(this, "MainForm");
    TranslateWindow(exitForm_, "ExitForm");
    TranslateWindow(renameForm_, "RenameForm");
    TranslateWindow(folderForm_, "FolderForm");
    TranslateWindow(aboutForm_, "AboutForm");
    addressbook_->Translate();
    messageModel_->RetranslateHeaders();
    folderModel_->RetranslateHeader();
    UpdateTitle();
}

bool TNbsmForm::ReadingFolder() const {
    return loader_->Busy() || snapshot_;
}

QMenu* TNbsmForm::FindMenu(const QString& objectName) const {
    return findChild<QMenu*>(objectName);
}

QAction* TNbsmForm::FindAction(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

}  // namespace nimbra::ui
