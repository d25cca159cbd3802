// The main window driven as an operator would: folders and rows clicked, commands chosen,
// questions answered, on the real engine in a temporary home.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "event_wait.h"
#include "file_text.h"
#include "folderdialogs.h"
#include "foldertreemodel.h"
#include "messagelistmodel.h"
#include "previewpane.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using ui::kListMessage;
using ui::kListPhone;
using ui::kListTime;

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, OpensOnTheInboxWithItsMessages) {
    WriteSetting(settings::kRootKey, settings::kCaptionValue, "Office");
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "first");
    AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", "second");
    Open();
    EXPECT_EQ(window->windowTitle(), "Nimbra SMS Server - Office");
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(window->MessageModel()->index(0, kListPhone).data().toString(), "+3620111");
    EXPECT_EQ(window->StatusPanel(2)->text(), "2");
    EXPECT_EQ(window->StatusPanel(0)->text(), "The Server is Stoped");
    EXPECT_EQ(window->FolderView()->currentIndex(), TreeIndex(kTreeInbox));
    // The window's texts fill the language files.
    const std::string mainForm = ReadHomeFile("Languages/English/MainForm.txt");
    EXPECT_NE(mainForm.find("[Delete1]\r\nCaption=&Delete"), std::string::npos) << mainForm;
    EXPECT_NE(mainForm.find("[lblDeviceInformation]\r\nCaption=Device information"),
              std::string::npos);
    EXPECT_NE(ReadHomeFile("Languages/English/ExitForm.txt").find("Caption=OK"), std::string::npos);
}

TEST_F(MainWindowTest, ARowShowsItsMessageInThePreviewOnlyWhenItIsAnotherRow) {
    StartEngine();
    engine->AddressBook().AddContact(MakeContact("Anna", "+3620111", "met at the fair", ""));
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "first");
    AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", "_UCS2_04220435043A0441044200200032");
    Open();
    ClickRow(0);
    EXPECT_EQ(window->Preview()->Text(), "first");
    EXPECT_EQ(window->Preview()->From(), "+3620111");
    EXPECT_EQ(window->Preview()->Note(), "met at the fair");
    EXPECT_EQ(window->Preview()->Date(), "2004-03-17 10:00:00");
    EXPECT_TRUE(window->FindAction("Print1")->isEnabled());

    // The same row again does not read the message again.
    window->MessageModel()->MessageAt(0)->text = "changed";
    ClickRow(0);
    EXPECT_EQ(window->Preview()->Text(), "first");
    ClickRow(1);
    EXPECT_EQ(window->Preview()->Text(), QString::fromUtf8("Текст 2"));
    ClickRow(0);
    EXPECT_EQ(window->Preview()->Text(), "changed");
}

TEST_F(MainWindowTest, OutgoingFoldersShowTheDestinationAndTheOriginatorThroughTheBook) {
    StartEngine();
    engine->AddressBook().AddContact(MakeContact("Desk", "+3699000", "", ""));
    AddMessage(SystemFolder::Outbox, "+3699000", "+3620111", "to Anna");
    Open();
    SelectFolder(kTreeOutbox);
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(window->MessageModel()->index(0, kListPhone).data().toString(), "+3620111");
    ClickRow(0);
    EXPECT_EQ(window->Preview()->From(), "Desk (+3699000)");
    EXPECT_EQ(window->Preview()->To(), "+3620111");
}

TEST_F(MainWindowTest, APictureMessageShowsItsPictureOrOnlyItsCaption) {
    StartEngine();
    QImage image(256, 128, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(Home("cat.png"))));
    WriteFileText(home / "broken.png", "not a picture");
    for (const char* picture : {"cat.png", "missing.png", "broken.png"}) {
        auto message = std::make_unique<TSms>(engine->Sms());
        message->from = "+3620111";
        message->operatorName = "mms";
        message->text = Home(picture) + ";A cat";
        engine->Queue(SystemFolder::Inbox).Add(std::move(message));
    }
    Open();
    ClickRow(0);
    EXPECT_EQ(window->Preview()->Text(), "A cat");
    EXPECT_EQ(window->Preview()->Picture().width(), 128);
    EXPECT_EQ(window->Preview()->Picture().height(), 64);
    ClickRow(1);
    EXPECT_EQ(window->Preview()->Text(), "A cat");
    EXPECT_TRUE(window->Preview()->Picture().isNull());
    EXPECT_TRUE(window->Preview()->PictureText().isEmpty());
    ClickRow(2);
    EXPECT_EQ(window->Preview()->PictureText(), "Cannot open image file!");
}

TEST_F(MainWindowTest, AFolderNotReadYetIsReadAwayFromTheWindowThread) {
    StartEngine();
    for (int i = 0; i < 300; ++i)
        AddMessage(SystemFolder::SentItems, "+3699000", "+3620111", "sent " + std::to_string(i));
    Open();
    ASSERT_FALSE(engine->Queue(SystemFolder::SentItems).loaded);
    QTreeView* tree = window->FolderView();
    const QModelIndex sent = TreeIndex(kTreeSentItems);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(sent).center());
    // The click returns before the files are read; the list is empty until then.
    EXPECT_TRUE(window->ReadingFolder());
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(window->ProgressBar()->isHidden());
    ASSERT_TRUE(ProcessEventsUntil([this] { return Rows() == 300; }, 20000));
    EXPECT_TRUE(engine->Queue(SystemFolder::SentItems).loaded);
    EXPECT_TRUE(window->ProgressBar()->isHidden());
    EXPECT_EQ(window->StatusPanel(2)->text(), "300");
}

TEST_F(MainWindowTest, LeavingAFolderBeingReadDropsWhatWasRead) {
    StartEngine();
    for (int i = 0; i < 300; ++i)
        AddMessage(SystemFolder::SentItems, "+3699000", "+3620111", "sent");
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "inbox");
    Open();
    QTreeView* tree = window->FolderView();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualRect(TreeIndex(kTreeSentItems)).center());
    SelectFolder(kTreeInbox);
    ProcessEventsFor(100);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"inbox"});
    EXPECT_FALSE(engine->Queue(SystemFolder::SentItems).loaded);
}

// A folder is found by its place in the tree, not by its name.
TEST_F(MainWindowTest, AUserFolderNamedLikeASystemFolderShowsItsOwnMessages) {
    fs::create_directories(home / "Folders" / "Inbox");
    StartEngine();
    WriteMessage("Folders/Inbox", "+3620333", "kept by the operator");
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "arrived");
    Open();
    SelectFolder(kFirstUserFolderIndex);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"kept by the operator"});
    SelectFolder(kTreeInbox);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"arrived"});
}

TEST_F(MainWindowTest, RefreshReadsTheFolderShownAgain) {
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "known");
    Open();
    WriteMessage("SysFolders/Inbox", "+3620222", "put there by hand");
    ASSERT_EQ(Rows(), 1);
    window->RefreshFolder();
    ASSERT_TRUE(ProcessEventsUntil([this] { return Rows() == 2; }, 20000));
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"known", "put there by hand"}));
    EXPECT_EQ(window->StatusPanel(2)->text(), "2");
}

TEST_F(MainWindowTest, ServerEventsShowsTheLogAlone) {
    Open();
    SelectFolder(kTreeServerEvents);
    EXPECT_TRUE(window->MessagesArea()->isHidden());
    EXPECT_TRUE(window->LogPane()->isVisible());
    SelectFolder(kTreeInbox);
    EXPECT_FALSE(window->MessagesArea()->isHidden());
}

TEST_F(MainWindowTest, DeletingOutsideDeletedItemsMovesThereWithoutAsking) {
    StartEngine();
    for (const char* text : {"one", "two", "three"})
        AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", text);
    std::vector<QString> asked;
    ui::WindowHooks hooks;
    hooks.ask = [&asked](const QString& question) {
        asked.push_back(question);
        return true;
    };
    Open(hooks);
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);
    window->FindAction("Delete1")->trigger();
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"three"});
    EXPECT_EQ(Files("SysFolders/Inbox"), 1u);
    EXPECT_EQ(Files("SysFolders/Deleted Items"), 2u);
    // The row at the former place is selected and shown.
    EXPECT_EQ(window->Preview()->Text(), "three");
    EXPECT_EQ(window->StatusPanel(2)->text(), "1");
}

TEST_F(MainWindowTest, DeletingInDeletedItemsAsksAndThenRemovesForGood) {
    StartEngine();
    for (const char* text : {"one", "two"})
        AddMessage(SystemFolder::DeletedItems, "+3620111", "+3699000", text);
    Open();
    SelectFolder(kTreeDeletedItems);
    ClickRow(0);
    AnswerNextBox(QMessageBox::No);
    QTest::keyClick(window->MessageView(), Qt::Key_Delete);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Files("SysFolders/Deleted Items"), 2u);

    AnswerNextBox(QMessageBox::Yes);
    QTest::keyClick(window->MessageView(), Qt::Key_Delete);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"two"});
    EXPECT_EQ(Files("SysFolders/Deleted Items"), 1u);
}

TEST_F(MainWindowTest, SelectAllAndUnselectAll) {
    StartEngine();
    for (const char* text : {"one", "two", "three"})
        AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", text);
    Open();
    window->FindAction("Selectall1")->trigger();
    EXPECT_EQ(window->MessageView()->selectionModel()->selectedRows().size(), 3);
    window->FindAction("Unselectall1")->trigger();
    EXPECT_FALSE(window->MessageView()->selectionModel()->hasSelection());
    EXPECT_FALSE(window->FindAction("Delete1")->isEnabled());
}

TEST_F(MainWindowTest, MessagesDraggedOntoAFolderMoveThere) {
    fs::create_directories(home / "Folders" / "Archive");
    StartEngine();
    for (const char* text : {"one", "two", "three"})
        AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", text);
    Open();
    ClickRow(0);
    ClickRow(2, Qt::ControlModifier);
    const std::unique_ptr<QMimeData> dragged(window->MessageModel()->mimeData(
        window->MessageView()->selectionModel()->selectedIndexes()));
    EXPECT_TRUE(window->FolderModel()->dropMimeData(dragged.get(), Qt::MoveAction, -1, -1,
                                                    TreeIndex(kFirstUserFolderIndex)));
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"two"});
    EXPECT_EQ(Files("Folders/Archive"), 2u);
    EXPECT_FALSE(window->MessageView()->selectionModel()->hasSelection());
    EXPECT_TRUE(window->Preview()->Text().isEmpty());
    SelectFolder(kFirstUserFolderIndex);
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"one", "three"}));
}

TEST_F(MainWindowTest, FoldersDraggedOntoFoldersMoveWithTheirMessages) {
    fs::create_directories(home / "Folders" / "Archive");
    fs::create_directories(home / "Folders" / "Customers");
    StartEngine();
    WriteMessage("Folders/Archive", "+3620111", "archived");
    Open();
    const TFolderTree& tree = engine->Folders().Tree();
    std::unique_ptr<QMimeData> dragged(
        window->FolderModel()->mimeData({TreeIndex(kFirstUserFolderIndex)}));
    EXPECT_TRUE(window->FolderModel()->dropMimeData(dragged.get(), Qt::MoveAction, -1, -1,
                                                    TreeIndex(kFirstUserFolderIndex + 1)));
    EXPECT_EQ(Files("Folders/Customers/Archive"), 1u);
    EXPECT_EQ(FolderPath(*tree.NodeAt(kFirstUserFolderIndex + 1)), "Customers/Archive");

    // Onto empty space: back to the top level.
    dragged.reset(window->FolderModel()->mimeData({TreeIndex(kFirstUserFolderIndex + 1)}));
    EXPECT_TRUE(window->FolderModel()->dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, {}));
    EXPECT_EQ(Files("Folders/Archive"), 1u);
    EXPECT_EQ(FolderPath(*tree.NodeAt(kFirstUserFolderIndex + 1)), "Archive");
    SelectFolder(kFirstUserFolderIndex + 1);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{"archived"});
}

TEST_F(MainWindowTest, TheSortOrderIsKeptInTheServerSettings) {
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", "b", "2004-03-17 08:00:00");
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "a", "2004-03-17 09:00:00");
    AddMessage(SystemFolder::Inbox, "+3620333", "+3699000", "c", "2004-03-16 23:00:00");
    Open();
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"c", "b", "a"}));  // "Time" ascending
    QHeaderView* header = window->MessageView()->header();
    const QPoint phone(header->sectionViewportPosition(kListPhone) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, phone);
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"a", "b", "c"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, phone);
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"c", "b", "a"}));
    window.reset();
    EXPECT_EQ(ReadPluginSetting(settings::kServerSection, "SortCol", ""), "1");
    EXPECT_EQ(ReadPluginSetting(settings::kServerSection, "SortDirection", ""), "Descending");

    Open();
    EXPECT_EQ(window->MessageModel()->SortColumn(), kListPhone);
    EXPECT_EQ(window->MessageView()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(MainWindowTest, AnArrivingMessageIsSortedInTwoSecondsAfterTheLastOne) {
    WriteOption("SortCol", "3");
    WriteOption("SortDirection", "Descending");
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "older", "2004-03-17 08:00:00");
    AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", "old", "2004-03-17 09:00:00");
    Open();
    ClickRow(0);
    ASSERT_EQ(ShownTexts(), (std::vector<std::string>{"old", "older"}));
    AddMessage(SystemFolder::Inbox, "+3620333", "+3699000", "new", "2004-03-17 11:00:00");
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"old", "older", "new"}));
    // The selection was on the first row: it follows the new message.
    EXPECT_EQ(window->Preview()->Text(), "new");
    host.RunPosted();
    ManualTimer* sort = ListSortTimer();
    ASSERT_NE(sort, nullptr);
    sort->Fire();
    EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"new", "old", "older"}));
    EXPECT_EQ(window->MessageView()->currentIndex().row(), 0);
}

TEST_F(MainWindowTest, ExportWritesTheRowsAsSemicolonSeparatedLines) {
    WriteOption("eDateFormat", "dd/mm/yyyy hh:nn");
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "Plain", "2004-03-17 08:00:00");
    AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", "Yes; \"really\"",
               "2004-03-17 09:00:00");
    Open();
    const std::string path = Home("export.csv");
    ASSERT_TRUE(window->ExportTo(QString::fromStdString(path)));
    const int first = window->MessageModel()->ListIdAt(0);
    const int second = window->MessageModel()->ListIdAt(1);
    EXPECT_EQ(ReadFileText(path),
              ";Phone number;Message;Time;\r\n"
              "<idx:0>;+3620111;Plain;17/03/2004 08:00;" +
                  std::to_string(first) + "\r\n" +
                  "<idx:0>;+3620222;\"Yes; \"\"really\"\"\";17/03/2004 09:00;" +
                  std::to_string(second) + "\r\n");

    EXPECT_FALSE(window->ExportTo(QString::fromStdString(Home("no/such/folder/x.csv"))));
    EXPECT_NE(ReadHomeFile("logs/error-log.txt").find("Can't write to file:"), std::string::npos);
}

TEST_F(MainWindowTest, ExportAsksForTheFileAndGivesItTheChosenExtension) {
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "Plain");
    QString asked;
    QString chosenFilter;
    ui::WindowHooks hooks;
    hooks.saveFileName = [&](const QString& title, const QString& filters, QString& filter) {
        asked = title + "|" + filters;
        filter = chosenFilter;
        return QString::fromStdString(Home(chosenFilter.startsWith("text") ? "notes" : "list"));
    };
    Open(hooks);
    chosenFilter = "csv file (*.csv)";
    window->FindAction("Exportmessages1")->trigger();
    EXPECT_EQ(asked, "Export folder|csv file (*.csv);;text file (*.text)");
    EXPECT_NE(ReadFileText(home / "list.csv").find(";Plain;"), std::string::npos);
    chosenFilter = "text file (*.text)";
    window->FindAction("Exportmessages1")->trigger();
    EXPECT_NE(ReadFileText(home / "notes.text").find(";Plain;"), std::string::npos);
}

TEST_F(MainWindowTest, PanesFollowTheEngine) {
    Open();
    engine->Log("screen", "Hello from the engine");
    EXPECT_TRUE(window->LogPane()->toPlainText().endsWith("Hello from the engine"));
    engine->SetStatus("status3", "[smpp1] SMS Received");
    EXPECT_EQ(window->StatusPanel(3)->text(), "[smpp1] SMS Received");

    Device& device = AddDevice("smpp");
    engine->StartbtnClick(true);
    host.RunPosted();
    device.phone->deviceInfo("Connected");
    ASSERT_EQ(window->DevicePane()->count(), 2);
    EXPECT_EQ(window->DevicePane()->item(0)->text(), "[smpp1]");
    EXPECT_FALSE(window->DevicePane()->item(0)->icon().isNull());
    EXPECT_EQ(window->DevicePane()->item(1)->text(), "Connected");
}

TEST_F(MainWindowTest, StartAndStopFollowTheServer) {
    Open();
    QAction* start = window->FindAction("Start1");
    QAction* stop = window->FindAction("Stop1");
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
    start->trigger();
    ProcessEventsFor(20);
    EXPECT_TRUE(engine->IsRunning());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_EQ(window->StatusPanel(0)->text(), "The Server is Started");
    stop->trigger();
    ProcessEventsFor(20);
    EXPECT_FALSE(engine->IsRunning());
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
}

TEST_F(MainWindowTest, TheDevicesCommandsAreInTheServerMenu) {
    Open();
    Device& device = AddDevice("smpp");
    device.phone->registerMenuItem("smpp1 Configuration");
    device.phone->registerMenuItem("smpp1 Communication");
    QMenu* server = window->FindMenu("Server1");
    std::vector<QAction*> commands;
    for (QAction* action : server->actions()) {
        if (action->text().startsWith("smpp1"))
            commands.push_back(action);
    }
    ASSERT_EQ(commands.size(), 2u);
    commands[1]->trigger();
    EXPECT_EQ(device.sink->events.back(), "MenuItemClick:smpp1 Communication");
    device.phone->disableMenuItem("smpp1 Configuration");
    for (QAction* action : server->actions()) {
        if (action->text() == "smpp1 Configuration") {
            EXPECT_FALSE(action->isEnabled());
        }
    }
    device.phone->unRegisterMenuItem("smpp1 Communication");
    int left = 0;
    for (QAction* action : server->actions())
        left += action->text().startsWith("smpp1") ? 1 : 0;
    EXPECT_EQ(left, 1);
}

TEST_F(MainWindowTest, TrayModeStartsHiddenWithTheTrayIcon) {
    WriteOption("cbTrayMode", "1");
    trayAvailable = true;
    Open();
    window->ShowAtStart();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->TrayIcon()->isVisible());
    EXPECT_EQ(window->windowTitle(), "Nimbra SMS Server");
    QMenu* trayMenu = window->TrayIcon()->contextMenu();
    QAction* start = nullptr;
    QAction* show = nullptr;
    for (QAction* action : trayMenu->actions()) {
        if (action->objectName() == "Start1")
            start = action;
        if (action->objectName() == "TrayShow1")
            show = action;
    }
    ASSERT_NE(start, nullptr);
    ASSERT_NE(show, nullptr);
    start->trigger();
    EXPECT_TRUE(engine->IsRunning());
    show->trigger();
    EXPECT_TRUE(window->isVisible());
    // Minimising goes back to the tray.
    window->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(ProcessEventsUntil([this] { return !window->isVisible(); }, 5000));
}

TEST_F(MainWindowTest, WithoutATrayTrayModeStillShowsTheWindow) {
    WriteOption("cbTrayMode", "1");
    Open();
    window->hide();
    window->ShowAtStart();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, WithoutShowMonitorAtStartupTheWindowStaysHidden) {
    WriteOption("cbShmon", "0");
    Open();
    window->hide();
    window->ShowAtStart();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->TrayIcon()->isVisible());
}

TEST_F(MainWindowTest, ASecondStartBringsTheWindowBack) {
    Open();
    window->hide();
    engine->Activate();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowAsksTheExitQuestion) {
    Open();
    OnNextModal([](QWidget* modal) {
        EXPECT_EQ(modal->objectName(), "ExitForm");
        qobject_cast<QDialog*>(modal)->reject();
    });
    window->close();
    host.RunPosted();
    EXPECT_FALSE(engine->HasShutDown());
    std::string errors = ReadHomeFile("logs/error-log.txt");
    EXPECT_NE(errors.find("WM_MyCANCLOSE"), std::string::npos);
    EXPECT_NE(errors.find("CLOSE=0"), std::string::npos);

    OnNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    window->FindAction("Exit1")->trigger();
    host.RunPosted();
    EXPECT_TRUE(engine->HasShutDown());
    EXPECT_TRUE(host.quit);
    EXPECT_NE(ReadHomeFile("logs/error-log.txt").find("CLOSE=1"), std::string::npos);
    // Once the engine has shut down the window closes without asking.
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindowTest, TheFolderDialogsCreateRenameAndDeleteFolders) {
    Open();
    OnNextModal([](QWidget* modal) {
        auto* form = qobject_cast<ui::FolderForm*>(modal);
        ASSERT_NE(form, nullptr);
        QTest::keyClicks(form->NameField(), "Customers");
        QTest::keyClick(form->NameField(), Qt::Key_Return);
    });
    window->FindAction("NewFolder1")->trigger();
    EXPECT_TRUE(fs::is_directory(home / "Folders" / "Customers"));

    OnNextModal([](QWidget* modal) {
        auto* form = qobject_cast<ui::FolderForm*>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Folders()->currentItem()->text(0), "Customers");
        form->NameField()->setText("VIP");
        form->accept();
    });
    window->NewFolder("Customers");
    EXPECT_TRUE(fs::is_directory(home / "Folders" / "Customers" / "VIP"));

    TFolderNode* vip = engine->Folders().Tree().NodeAt(kFirstUserFolderIndex + 1);
    OnNextModal([](QWidget* modal) {
        auto* form = qobject_cast<ui::RenameForm*>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->NameField()->text(), "VIP");
        form->NameField()->setText("Gold");
        form->accept();
    });
    window->RenameFolder(vip);
    EXPECT_TRUE(fs::is_directory(home / "Folders" / "Customers" / "Gold"));

    // Two questions, both answered Yes.
    OnNextModal([](QWidget* modal) {
        AnswerNextBox(QMessageBox::Yes);
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    window->DeleteFolder(engine->Folders().Tree().NodeAt(kFirstUserFolderIndex));
    EXPECT_FALSE(fs::exists(home / "Folders" / "Customers"));
    EXPECT_EQ(engine->Folders().Tree().NodeCount(), kFirstUserFolderIndex);
}

TEST_F(MainWindowTest, HelpItemsOpenTheDocumentationPagesOfTheHome) {
    Open();
    for (const char* name :
         {"HelpContents1", "HelpStart1", "HelpMessages1", "HelpDevices1", "HelpAutomation1"})
        window->FindAction(name)->trigger();
    ASSERT_EQ(opened.size(), 5u);
    const fs::path help = fs::absolute(home.path()) / "Help";
    EXPECT_EQ(opened[0],
              QUrl::fromLocalFile(QString::fromStdString((help / "index.html").string())));
    EXPECT_EQ(opened[4],
              QUrl::fromLocalFile(QString::fromStdString((help / "automation.html").string())));
}

TEST_F(MainWindowTest, TheLanguageMenuOffersTheLanguagesOfTheList) {
    Open();
    QMenu* languages = window->FindMenu("Language1");
    QStringList names;
    for (QAction* action : languages->actions())
        names << action->text();
    EXPECT_EQ(names, (QStringList{"English", "German"}));
}

}  // namespace
}  // namespace nimbra::testing_support
