#pragma once
// The real main window on an engine in a temporary home, on the offscreen platform: the
// engine's timers fire when the test says so, the window's questions are real message boxes
// the test answers, and the pages it opens are recorded.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QListWidget>
#include <QModelIndex>
#include <QUrl>

#include "engine_fixture.h"
#include "mainwindow.h"

namespace nimbra::testing_support {

// Calls act with the next modal window once it is open; gives up after a few seconds.
void OnNextModal(std::function<void(QWidget*)> act);
// Forgets the waits for modal windows that have not come (a window that may or may not ask).
void DropModalWaits();
// Answers the next message box with button (QMessageBox::Yes, No, ...).
void AnswerNextBox(int button);

// The texts of a list's entries, in order.
std::vector<std::string> ListEntries(const QListWidget* list);
// Makes the entry of that text the list's current and selected one.
void SelectEntry(QListWidget* list, const std::string& entry);

class WindowTest : public EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the engine when it has not been started, and opens and shows the window.
    void Open(ui::WindowHooks hooks = {});
    // A message filed into a system folder (only written when the folder is not read).
    void AddMessage(SystemFolder folder, const std::string& from, const std::string& to,
                    const std::string& text, const std::string& received = "2004-03-17 10:00:00");
    // A message file written into a folder of the home ("Folders/Archive", ...).
    void WriteMessage(const std::string& folder, const std::string& from, const std::string& text);

    // Clicks a node of the tree and waits until its folder shows.
    void SelectFolder(const TFolderNode* node);
    void SelectFolder(int treeIndex);
    // Clicks a row of the list (with modifiers, e.g. Ctrl).
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {});
    // The message column of every row, in the order shown.
    std::vector<std::string> ShownTexts() const;
    int Rows() const;
    QModelIndex TreeIndex(int treeIndex) const;
    // The ".sms" files under a folder of the home.
    std::size_t Files(const std::string& folder) const { return FilesIn(folder); }
    // The engine's 2-second list sort timer, when it runs.
    ManualTimer* ListSortTimer() const;

    std::unique_ptr<ui::TNbsmForm> window;
    std::vector<QUrl> opened;
    bool trayAvailable = false;
};

}  // namespace nimbra::testing_support
