#include "windowtranslation.h"

#include <filesystem>
#include <string>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

#include <gtest/gtest.h>

#include "file_text.h"
#include "recording_notifier.h"
#include "temp_dir.h"
#include "translation.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileText;
using testing_support::ScopedProcessNotifier;
using testing_support::TempDir;
using testing_support::WriteFileText;

template <typename T>
T* Named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

// A main window with one component of every kind that has a caption.
struct MainWindow {
    MainWindow() {
        window.setObjectName(QStringLiteral("MainForm"));
        window.setWindowTitle(QStringLiteral("Server"));
        auto* central = new QWidget(&window);
        window.setCentralWidget(central);
        label = Named(new QLabel(QStringLiteral("Two\r\nlines \\ here"), central), "lblInfo");
        button = Named(new QPushButton(QStringLiteral("&Send"), central), "btnSend");
        new QPushButton(QStringLiteral("Nameless"), central);
        Named(new QPushButton(QString(), central), "btnEmpty");
        auto* group = Named(new QGroupBox(QStringLiteral("Options"), central), "gbOptions");
        check = Named(new QCheckBox(QStringLiteral("Log"), group), "cbLog");
        tabs = Named(new QTabWidget(central), "pcMain");
        tabs->addTab(Named(new QWidget, "tsGeneral"), QStringLiteral("General"));
        menu = Named(window.menuBar()->addMenu(QStringLiteral("&File")), "mnFile");
        exit = Named(new QAction(QStringLiteral("E&xit"), &window), "miExit");
        menu->addAction(exit);
        auto* toolbar = Named(window.addToolBar(QStringLiteral("Tools")), "tbMain");
        start = Named(new QAction(QStringLiteral("Start"), &window), "tbStart");
        start->setToolTip(QStringLiteral("Start the server"));
        toolbar->addAction(start);
        auto* bar = Named(window.statusBar(), "sbMain");
        bar->addWidget(new QLabel(QStringLiteral("Stopped")));
        bar->addWidget(new QLabel(QStringLiteral("0 messages")));
    }

    QMainWindow window;
    QLabel* label;
    QPushButton* button;
    QCheckBox* check;
    QTabWidget* tabs;
    QMenu* menu;
    QAction* exit;
    QAction* start;
};

class WindowTranslationTest : public testing::Test {
protected:
    fs::path WindowFile() const { return home_.path() / "Languages/English/MainForm.txt"; }

    TempDir home_;
    LanguageFiles files_{home_.path(), "English"};
    ScopedProcessNotifier notifier_;
};

TEST_F(WindowTranslationTest, FirstRunWritesEveryCaptionOfTheWindow) {
    MainWindow main;
    ASSERT_TRUE(TranslateWindow(&main.window, "MainForm", files_));
    EXPECT_EQ(ReadFileText(WindowFile()),
              "[MainForm]\r\nCaption=Server\r\n"
              "[lblInfo]\r\nCaption=Two\\r\\nlines \\\\ here\r\n"
              "[btnSend]\r\nCaption=&Send\r\n"
              "[gbOptions]\r\nCaption=Options\r\n"
              "[cbLog]\r\nCaption=Log\r\n"
              "[tsGeneral]\r\nCaption=General\r\n"
              "[mnFile]\r\nCaption=&File\r\n"
              "[miExit]\r\nCaption=E&xit\r\n"
              "[tbStart]\r\nCaption=Start\r\nHint=Start the server\r\n"
              "[sbMain]\r\nPanel0=Stopped\r\nPanel1=0 messages\r\n");
    // The captions stay as designed, and a second run changes nothing.
    EXPECT_EQ(main.label->text(), QStringLiteral("Two\r\nlines \\ here"));
    const std::string first = ReadFileText(WindowFile());
    MainWindow again;
    ASSERT_TRUE(TranslateWindow(&again.window, "MainForm", files_));
    EXPECT_EQ(ReadFileText(WindowFile()), first);
    EXPECT_EQ(again.label->text(), QStringLiteral("Two\r\nlines \\ here"));
    EXPECT_TRUE(notifier_.messages().empty());
}

TEST_F(WindowTranslationTest, CaptionsFromTheFileAreApplied) {
    WriteFileText(WindowFile(),
                  "[MainForm]\r\nCaption=Palvelin\r\n"
                  "[lblInfo]\r\nCaption=Kaksi\\r\\nrivi\\x\r\n"
                  "[btnSend]\r\nCaption=&L\xE4het\xE4\r\n"
                  "[cbLog]\r\nCaption=\r\n"
                  "[tsGeneral]\r\nCaption=Yleinen\r\n"
                  "[mnFile]\r\nCaption=&Tiedosto\r\n"
                  "[miExit]\r\nCaption=&Lopeta\r\n"
                  "[tbStart]\r\nCaption=K\xE4ynnist\xE4\r\nHint=K\xE4ynnist\xE4\xE4 palvelimen\r\n"
                  "[sbMain]\r\nPanel1=0 viesti\xE4\r\n");
    MainWindow main;
    ASSERT_TRUE(TranslateWindow(&main.window, "MainForm", files_));
    EXPECT_EQ(main.window.windowTitle(), QStringLiteral("Palvelin"));
    // An unknown escape drops the backslash with its character.
    EXPECT_EQ(main.label->text(), QStringLiteral("Kaksi\r\nrivi"));
    EXPECT_EQ(main.button->text(), QStringLiteral("&L\u00e4het\u00e4"));
    EXPECT_EQ(main.tabs->tabText(0), QStringLiteral("Yleinen"));
    EXPECT_EQ(main.menu->title(), QStringLiteral("&Tiedosto"));
    EXPECT_EQ(main.exit->text(), QStringLiteral("&Lopeta"));
    EXPECT_EQ(main.start->text(), QStringLiteral("K\u00e4ynnist\u00e4"));
    EXPECT_EQ(main.start->toolTip(), QStringLiteral("K\u00e4ynnist\u00e4\u00e4 palvelimen"));
    // An empty value counts as missing: the design caption stays and is written back.
    EXPECT_EQ(main.check->text(), QStringLiteral("Log"));
    const std::string file = ReadFileText(WindowFile());
    EXPECT_NE(file.find("[cbLog]\r\nCaption=Log\r\n"), std::string::npos);
    EXPECT_NE(file.find("[sbMain]\r\nPanel1=0 viesti\xE4\r\nPanel0=Stopped\r\n"),
              std::string::npos);
    EXPECT_NE(file.find("[gbOptions]\r\nCaption=Options\r\n"), std::string::npos);
}

TEST_F(WindowTranslationTest, TheMessageTableIsReadAgainAfterAWindow) {
    EXPECT_EQ(files_.Translate("Send"), "Send");
    WriteFileText(home_.path() / "Languages/English/translation.txt", "Send=Post\r\n");
    MainWindow main;
    ASSERT_TRUE(TranslateWindow(&main.window, "MainForm", files_));
    EXPECT_EQ(files_.Translate("Send"), "Post");
}

TEST_F(WindowTranslationTest, ALanguageFolderThatCannotBeCreatedIsTold) {
    WriteFileText(home_.path() / "Languages", "not a folder");
    MainWindow main;
    EXPECT_FALSE(TranslateWindow(&main.window, "MainForm", files_));
    EXPECT_EQ(main.window.windowTitle(), QStringLiteral("Server"));
    ASSERT_FALSE(notifier_.messages().empty());
    EXPECT_EQ(notifier_.messages().back(),
              "Cannot create directory: " + (home_.path() / "Languages").string());
}

TEST_F(WindowTranslationTest, AWindowFileThatCannotBeReadIsToldAndLeftAlone) {
    fs::create_directories(WindowFile());  // a folder where the file belongs
    MainWindow main;
    EXPECT_FALSE(TranslateWindow(&main.window, "MainForm", files_));
    ASSERT_EQ(notifier_.messages().size(), 1u);
    EXPECT_EQ(notifier_.messages()[0], "Cannot open language file: " + WindowFile().string());
    EXPECT_EQ(main.button->text(), QStringLiteral("&Send"));
}

TEST_F(WindowTranslationTest, DialogsOfTheWindowAndMultiLineButtonsAreLeftAlone) {
    MainWindow main;
    auto* dialog = Named(new QDialog(&main.window), "ExitForm");
    dialog->setWindowTitle(QStringLiteral("Exit"));
    Named(new QPushButton(QStringLiteral("OK"), dialog), "btnOK");
    main.button->setText(QStringLiteral("Two\nlines"));
    ASSERT_TRUE(TranslateWindow(&main.window, "MainForm", files_));
    const std::string file = ReadFileText(WindowFile());
    EXPECT_EQ(file.find("btnOK"), std::string::npos);
    EXPECT_EQ(file.find("ExitForm"), std::string::npos);
    EXPECT_EQ(file.find("btnSend"), std::string::npos);
    ASSERT_TRUE(TranslateWindow(&main.window, "MainForm", files_));
    EXPECT_EQ(main.button->text(), QStringLiteral("Two\nlines"));
}

TEST_F(WindowTranslationTest, AWindowWithoutObjectNameUsesTheWindowName) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("About"));
    ASSERT_TRUE(TranslateWindow(&window, "AboutForm", files_));
    EXPECT_EQ(ReadFileText(home_.path() / "Languages/English/AboutForm.txt"),
              "[AboutForm]\r\nCaption=About\r\n");
}

}  // namespace
}  // namespace nimbra
