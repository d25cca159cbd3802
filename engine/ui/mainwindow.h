#pragma once
// TNbsmForm, the engine's main window: the folder tree, the message list of the folder shown
// and the preview of the selected message, the log pane, the device pane, the status bar, the
// menus of the engine's commands and the tray icon. It shows the engine's state and carries
// out the operator's commands through the engine; it owns nothing but the list's sort order.
//
// A folder not read yet is read on a worker thread (FolderLoader) with the progress bar shown;
// its queue and the list are filled on the window's thread from what was read.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QUrl>

#include "engine.h"
#include "foldertree.h"

class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QSystemTrayIcon;
class QToolButton;
class QTreeView;

namespace nimbra::ui {

class AboutForm;
class TfrmAddressbook;
class TfrmComposer;
class ExitForm;
class FolderForm;
class FolderLoader;
class FolderTreeModel;
class MessageListModel;
class PreviewPane;
class RenameForm;
class WindowNotifier;

// What the window asks of the desktop; tests give their own.
struct WindowHooks {
    // A Yes/No question; true for Yes. Default: a modal message box.
    std::function<bool(const QString& question)> ask;
    // Opens a documentation page. Default: the desktop's browser.
    std::function<void(const QUrl& page)> openUrl;
    // Whether the desktop shows tray icons. Default: what Qt finds.
    std::function<bool()> trayAvailable;
    // The file to save to, asked with a title and filters ("name (*.ext)" separated by
    // ";;"); filter gets the one chosen. Empty when the operator cancelled. Default: the
    // desktop's file dialog.
    std::function<QString(const QString& title, const QString& filters, QString& filter)>
        saveFileName;
    // A message for the operator from a composer. Default: the composer's message box.
    std::function<void(const QString& message)> tell;
    // The file a composer or the address book opens, asked with a title and a filter; empty
    // when cancelled. Default: their file dialog.
    std::function<QString(const QString& title, const QString& filter)> openFileName;
};

// The narrowest the number column of the message list gets by itself.
inline constexpr int kPhoneColumnWidth = 110;

// The engine's settings the window adds: tray mode ("1"/"0") in the "Server" section.
inline constexpr const char* kTrayModeValue = "cbTrayMode";

class TNbsmForm final : public QMainWindow {
    Q_OBJECT
public:
    // The engine must have run its start-up.
    explicit TNbsmForm(Engine& engine, WindowHooks hooks = {});
    // Saves the sort order and lets go of the engine.
    ~TNbsmForm() override;

    // As the settings say: in tray mode hidden with the tray icon, otherwise shown when "Show
    // monitor at startup" is set.
    void ShowAtStart();
    // Applies the language files to every window of the engine (and completes them).
    void TranslateAll();

    // Commands.
    void DeleteSelected();
    void SelectAll();
    void UnselectAll();
    // Writes the list to path; false (the operator told) when it cannot be written.
    bool ExportTo(const QString& path);
    void ExportMessages();
    void PrintMessage();
    void RefreshFolder();
    void NewFolder(const std::string& underPath);
    // A new composer window, not shown yet; it frees itself when closed.
    TfrmComposer* NewComposer();
    // "Create SMS": a new composer, shown.
    void CreateMessage();
    // Open a composer to the originator (Reply) or with the destination (Forward) and the
    // text of the selected message, and mark the message replied or forwarded.
    void Reply();
    void Forward();
    // "Numbers": the address book window.
    void ShowNumbers();
    // A click on "From:" (from) or "To:" of the preview: the contact editor for that number.
    void EditPreviewContact(bool from);
    void RenameFolder(TFolderNode* node);
    void DeleteFolder(TFolderNode* node);
    void ShowWindow();
    void MinimiseToTray();
    // The exit question; OK closes the engine.
    void AskToExit();
    // Moves messages (list ids of the folder shown) to the folder at a tree index, with the
    // progress bar; gives how many moved.
    int MoveMessages(const std::vector<int>& listIds, int target);

    // The parts, for the tests.
    QTreeView* FolderView() const { return folderView_; }
    QTreeView* MessageView() const { return messageView_; }
    FolderTreeModel* FolderModel() const { return folderModel_; }
    MessageListModel* MessageModel() const { return messageModel_; }
    PreviewPane* Preview() const { return preview_; }
    QPlainTextEdit* LogPane() const { return logPane_; }
    QListWidget* DevicePane() const { return devicePane_; }
    QLabel* StatusPanel(int index) const { return statusPanels_[index]; }
    QProgressBar* ProgressBar() const { return progress_; }
    TfrmAddressbook* AddressbookWindow() const { return addressbook_; }
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    QWidget* MessagesArea() const { return messagesArea_; }
    QMenu* FindMenu(const QString& objectName) const;
    QAction* FindAction(const QString& objectName) const;
    bool ReadingFolder() const;
    bool TrayMode() const { return trayMode_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The Delete key in the message list, and its width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building (mainwindowparts.cpp).
    void CreateActions();
    void CreateMenus();
    void CreateToolbars();
    QWidget* CreateFolderSide();
    QWidget* CreateMessageSide();
    void CreateStatusBar();
    void CreateTray();
    void ConnectEngine();
    void DisconnectEngine();
    void UpdateTitle();
    void UpdateControls();
    void AddPaneLine(const PaneLine& line);
    void ShowDevicePanel();
    void ShowEngineProgress();
    void WindowRequest(WindowMessage message);

    // Folders (mainwindowfolders.cpp).
    void FolderSelected(const QModelIndex& current);
    void FolderRead(FolderSnapshot snapshot);
    // Reads the next part of the messages read from disk, a part per turn of the event loop,
    // and shows the folder when all are read.
    void ReadReadMessages();
    // The queue of the folder selected, when its directory is directory and it is not read.
    TSmsQueue* QueueWaitingFor(const std::string& directory) const;
    void AfterFolderShown();
    void ReselectFolder();
    TFolderNode* CurrentNode() const;
    TFolderNode* NodeByPath(const std::string& path) const;
    void FolderMenu(const QPoint& position);
    void FolderHovered(const QModelIndex& index);
    void MessagesDropped(const std::vector<int>& listIds, TFolderNode* target);
    void FolderDropped(TFolderNode* folder, TFolderNode* target);

    // Messages (mainwindowmessages.cpp).
    void MessageSelected();
    void RowsAdded(int first, int last);
    void MessageMenu(const QPoint& position);
    std::vector<int> SelectedListIds() const;
    void SelectRow(int row);
    void ClearPreview();
    // Reply and Forward: the message gets the icon, the composer its address and text.
    void Respond(int icon, bool toOriginator);
    // paintNow: drawn at once, for work that keeps the event loop waiting.
    void SetProgress(bool visible, int maximum, int position, bool paintNow = false);

    // Menus (mainwindowmenus.cpp).
    void FillCommandMenu(QMenu* menu, std::vector<QAction*>& added, const ServerMenu& source,
                         const std::function<void(std::size_t)>& click);
    void ShowServerMenu();
    void ShowPluginMenu();
    void CreateLanguageMenu();
    void CreateHelpMenu();
    void CloseAfterNotice();
    void LoadSortOrder();
    void SaveSortOrder() const;

    Engine& engine_;
    WindowHooks hooks_;
    // The hooks as the caller gave them: the composers and the address book ask and tell
    // through their own message boxes where the caller gave none.
    WindowHooks givenHooks_;
    std::unique_ptr<WindowNotifier> notifier_;
    FolderLoader* loader_;
    // The files of the folder selected, being read into messages.
    std::unique_ptr<FolderSnapshot> snapshot_;
    FolderTreeModel* folderModel_;
    MessageListModel* messageModel_;
    bool trayMode_ = false;
    int previewedListId_ = -1;
    // The previous last row, for following new messages.
    int rowsBeforeAddition_ = 0;
    std::string hoveredPath_;

    QTreeView* folderView_ = nullptr;
    QTreeView* messageView_ = nullptr;
    QLabel* folderIcon_ = nullptr;
    QLabel* folderName_ = nullptr;
    QWidget* messagesArea_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QPlainTextEdit* logPane_ = nullptr;
    QListWidget* devicePane_ = nullptr;
    QLabel* statusPanels_[4] = {};
    QProgressBar* progress_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* serverMenu_ = nullptr;
    QMenu* pluginMenu_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QMenu* folderMenu_ = nullptr;
    QMenu* listMenu_ = nullptr;
    std::vector<QAction*> serverItems_;
    std::vector<QAction*> pluginItems_;
    QAction* actNewMessage_ = nullptr;
    QAction* actReply_ = nullptr;
    QAction* actForward_ = nullptr;
    QAction* actNumbers_ = nullptr;
    TfrmAddressbook* addressbook_ = nullptr;
    QAction* actStart_ = nullptr;
    QAction* actStop_ = nullptr;
    QAction* actResend_ = nullptr;
    QAction* actNewFolder_ = nullptr;
    QAction* actExit_ = nullptr;
    QAction* actDelete_ = nullptr;
    QAction* actSelectAll_ = nullptr;
    QAction* actUnselectAll_ = nullptr;
    QAction* actPrint_ = nullptr;
    QAction* actExport_ = nullptr;
    QAction* actAbout_ = nullptr;
    QAction* actShow_ = nullptr;
    ExitForm* exitForm_ = nullptr;
    AboutForm* aboutForm_ = nullptr;
    FolderForm* folderForm_ = nullptr;
    RenameForm* renameForm_ = nullptr;
    bool controlsUpdatePending_ = false;
};

}  // namespace nimbra::ui
