// The address book window driven as an operator would, over the engine's one address book:
// contacts and groups edited through the real dialogs, import and export of contact files,
// the choice handed to a composer, and contacts the engine adds while the window is open.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "addressbookform.h"
#include "composer.h"
#include "contactforms.h"
#include "contactsmodel.h"
#include "event_wait.h"
#include "file_text.h"
#include "messagelistmodel.h"
#include "previewpane.h"
#include "qansi.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

using ui::TfrmAddressbook;
using ui::TfrmContact;
using ui::TfrmGroupName;

// Fills the next contact editor and confirms it.
void FillNextContact(const QString& name, const QString& mobile, const QString& note,
                     const QString& group) {
    OnNextModal([=](QWidget* modal) {
        auto* editor = qobject_cast<TfrmContact*>(modal);
        ASSERT_NE(editor, nullptr) << "the contact editor was expected";
        editor->NameField()->setFocus();
        editor->NameField()->setText(name);
        // Leaving the name field.
        editor->MobileField()->setFocus();
        editor->MobileField()->setText(mobile);
        editor->NoteField()->setPlainText(note);
        editor->GroupField()->setCurrentText(group);
        editor->accept();
    });
}

void NameNextGroup(const QString& name) {
    OnNextModal([=](QWidget* modal) {
        auto* dialog = qobject_cast<TfrmGroupName*>(modal);
        ASSERT_NE(dialog, nullptr) << "the group name dialog was expected";
        dialog->NameField()->setText(name);
        QTest::keyClick(dialog->NameField(), Qt::Key_Return);
    });
}

class AddressbookTest : public WindowTest {
protected:
    void OpenBook() {
        ui::WindowHooks hooks;
        hooks.ask = [this](const QString& question) {
            questions.push_back(question);
            return true;
        };
        hooks.tell = [](const QString&) {};
        hooks.openFileName = [this](const QString&, const QString&) { return chosenFile; };
        hooks.saveFileName = [this](const QString&, const QString&, QString&) {
            return chosenFile;
        };
        Open(hooks);
        book = window->AddressbookWindow();
        window->FindAction("Numbers1")->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(book));
    }

    std::vector<std::string> Cells(ContactColumn column) const {
        std::vector<std::string> cells;
        for (const Contact& contact : engine->AddressBook().Contacts())
            cells.push_back(contact[column]);
        return cells;
    }

    void SelectGroup(std::size_t index) {
        QTreeWidgetItem* item = book->GroupItem(index);
        ASSERT_NE(item, nullptr);
        book->GroupTree()->setFocus();
        book->GroupTree()->setCurrentItem(item);
        book->SetListFocused(false);
    }

    void SelectContactRow(int row) {
        book->ContactList()->setFocus();
        book->ContactList()->selectRow(row);
        book->SetListFocused(true);
    }

    TfrmAddressbook* book = nullptr;
    std::vector<QString> questions;
    QString chosenFile;
};

TEST_F(AddressbookTest, AFreshInstallationShowsItsGroupsAndTheSampleContact) {
    OpenBook();
    QTreeWidget* tree = book->GroupTree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "All contacts");
    ASSERT_EQ(root->childCount(), 3);
    EXPECT_EQ(root->child(0)->text(0), "Friends");
    EXPECT_EQ(root->child(2)->text(0), "Distributors");
    ASSERT_EQ(book->Contacts()->rowCount(), 1);
    EXPECT_EQ(book->Contacts()->index(0, kNameColumn).data().toString(), "NIMBRA");
    EXPECT_EQ(book->Contacts()->headerData(kPhoneColumn, Qt::Horizontal, Qt::DisplayRole), "Phone");
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 0");
    // The windows' texts fill their language files.
    EXPECT_NE(ReadHomeFile("Languages/English/AddressbookForm.txt").find("Caption=&Continue"),
              std::string::npos);
    EXPECT_NE(ReadHomeFile("Languages/English/ContactForm.txt").find("Caption=&Ok"),
              std::string::npos);
    EXPECT_NE(ReadHomeFile("Languages/English/GroupNameForm.txt").find("Caption=Group name:"),
              std::string::npos);
}

TEST_F(AddressbookTest, TheContactEditorTurnsParenthesesIntoBrackets) {
    OpenBook();
    QString shownName;
    OnNextModal([&shownName](QWidget* modal) {
        auto* editor = qobject_cast<TfrmContact*>(modal);
        ASSERT_NE(editor, nullptr);
        // An empty group field gets the whole book's name.
        EXPECT_EQ(editor->GroupField()->currentText(), "All contacts");
        EXPECT_EQ(editor->GroupField()->count(), 4);
        editor->MobileField()->setText("+3620111");
        editor->NoteField()->setPlainText("met (twice)");
        editor->GroupField()->setCurrentText("Friends");
        // Finishing the name (Enter, which also presses the default "&Ok").
        QTest::keyClicks(editor->NameField(), "Jo (work)");
        QTest::keyClick(editor->NameField(), Qt::Key_Return);
        shownName = editor->NameField()->text();
        EXPECT_EQ(editor->result(), QDialog::Accepted);
    });
    book->FindAction("tbNewContact")->trigger();
    EXPECT_EQ(shownName, "Jo [work]");
    ASSERT_EQ(book->Contacts()->rowCount(), 2);
    EXPECT_EQ(Cells(kNameColumn).back(), "Jo [work]");
    EXPECT_EQ(Cells(kNoteColumn).back(), "met (twice)");
    EXPECT_EQ(Cells(kGroupColumn).back(), "Friends");
    engine->AddressBook().WaitUntilSaved();
    EXPECT_NE(ReadHomeFile("Addressbook.csv").find(";Jo [work];+3620111;met (twice);Friends\r\n"),
              std::string::npos);

    // Editing the contact from the list writes the fields back.
    SelectContactRow(1);
    FillNextContact("Jo (home)", "+3620112", "", "Customers");
    book->FindAction("tbEdit")->trigger();
    EXPECT_EQ(Cells(kNameColumn).back(), "Jo [home]");
    EXPECT_EQ(Cells(kPhoneColumn).back(), "+3620112");
}

TEST_F(AddressbookTest, RenamingAGroupMovesItsContactsAndDeletingItMovesThemToTheRoot) {
    StartEngine();
    TAddressBook& data = engine->AddressBook();
    data.AddContact(MakeContact("Anna", "+3620111", "", "Friends"));
    data.AddContact(MakeContact("Bela", "+3620222", "", "Customers"));
    data.AddContact(MakeContact("Cili", "+3620333", "", "Friends"));
    OpenBook();
    SelectGroup(1);
    NameNextGroup("Family");
    book->FindAction("tbEdit")->trigger();
    EXPECT_EQ(Cells(kGroupColumn),
              (std::vector<std::string>{"All contacts", "Family", "Customers", "Family"}));
    EXPECT_EQ(book->GroupItem(1)->text(0), "Family");
    EXPECT_EQ(ReadHomeFile("Groups"),
              "<img src=\"idx:2\"><b>All contacts</b>\r\n\tFamily\r\n\tCustomers\r\n"
              "\tDistributors\r\n");
    engine->AddressBook().WaitUntilSaved();
    EXPECT_NE(ReadHomeFile("Addressbook.csv").find(";Cili;+3620333;;Family\r\n"),
              std::string::npos);

    SelectGroup(1);
    book->FindAction("tbDelete")->trigger();
    EXPECT_EQ(questions.back(), "Are you sure you want to delete the selected group?");
    EXPECT_EQ(Cells(kGroupColumn), (std::vector<std::string>{"All contacts", "All contacts",
                                                             "Customers", "All contacts"}));
    EXPECT_EQ(book->GroupTree()->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(ReadHomeFile("Groups").find("Family"), std::string::npos);

    // The root is neither renamed nor deleted.
    SelectGroup(0);
    book->FindAction("tbEdit")->trigger();
    book->FindAction("tbDelete")->trigger();
    EXPECT_EQ(book->GroupTree()->topLevelItem(0)->childCount(), 2);

    // A new group.
    NameNextGroup("Suppliers");
    book->FindAction("tbNewGroup")->trigger();
    EXPECT_NE(ReadHomeFile("Groups").find("\tSuppliers\r\n"), std::string::npos);
}

TEST_F(AddressbookTest, ImportReadsAFileAsSpreadsheetProgramsWriteIt) {
    OpenBook();
    // Semicolons, quoted cells with doubled quotes, CR LF, Windows-1252 letters.
    WriteFileText(home / "export.csv",
                  "\"\";\"Name\";\"Phone\";\"Note\";\"Group\"\r\n"
                  ";\"Kov\xE1"
                  "cs, J\xE1nos\";+3620111;\"said \"\"hi\"\"; twice\";Friends\r\n"
                  ";M\xFCller;+4930222;;\"Customers\"\r\n"
                  "true;\xC9va;+3630333;caf\xE9;\r\n");
    chosenFile = QString::fromStdString(Home("export.csv"));
    book->FindAction("Importcsv1")->trigger();
    ASSERT_EQ(book->Contacts()->rowCount(), 4);
    EXPECT_EQ(book->Contacts()->index(1, kNameColumn).data().toString(),
              QString::fromUtf8("Kovács, János"));
    EXPECT_EQ(book->Contacts()->index(1, kNoteColumn).data().toString(), "said \"hi\"; twice");
    EXPECT_EQ(book->Contacts()->index(1, kGroupColumn).data().toString(), "Friends");
    EXPECT_EQ(book->Contacts()->index(2, kNameColumn).data().toString(),
              QString::fromUtf8("Müller"));
    EXPECT_EQ(book->Contacts()->index(3, kNameColumn).data().toString(), QString::fromUtf8("Éva"));
    EXPECT_EQ(book->Contacts()->index(3, kMarkColumn).data(Qt::CheckStateRole).toInt(),
              Qt::Checked);
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 1");
}

TEST_F(AddressbookTest, ExportWritesTheContactsFileFormatByteForByte) {
    StartEngine();
    TAddressBook& data = engine->AddressBook();
    data.DeleteContacts({0});
    data.AddContact(
        MakeContact("Kov\xE1"
                    "cs, J\xE1nos",
                    "+3620111", "said \"hi\"; twice", "Friends"));
    data.AddContact(MakeContact("Plain", "+3620222", "two\r\nlines", "All contacts", true));
    data.AddContact(MakeContact("", "+3620333", "", ""));
    OpenBook();
    chosenFile = QString::fromStdString(Home("out"));
    book->FindAction("Exportcsv1")->trigger();
    const std::string expected =
        ";Name;Phone;Note;Group\r\n"
        ";\"Kov\xE1"
        "cs, J\xE1nos\";+3620111;\"said \"\"hi\"\"; twice\";Friends\r\n"
        ";Plain;+3620222;two  lines;All contacts\r\n"
        ";;+3620333;;\r\n";
    EXPECT_EQ(ReadHomeFile("out.csv"), expected);
}

TEST_F(AddressbookTest, AContactAddedByAnIncomingMessageAppearsInTheOpenWindow) {
    StartEngine();
    engine->Options().saveSenders = true;
    OpenBook();
    SelectContactRow(0);
    TGsmSms record;
    record.type = "GSMSMS";
    record.sender = "+36 20 999 8888";
    record.receiver = "+3699000";
    record.text = "hello";
    engine->ReceiveMessage(record);
    ASSERT_EQ(book->Contacts()->rowCount(), 2);
    EXPECT_EQ(book->Contacts()->index(1, kPhoneColumn).data().toString(), "+36209998888");
    // The selection stays where the operator left it.
    EXPECT_TRUE(book->ContactList()->selectionModel()->isRowSelected(0, {}));
}

TEST_F(AddressbookTest, ContinueWritesTheCheckedContactsIntoTheTiedComposer) {
    StartEngine();
    TAddressBook& data = engine->AddressBook();
    data.AddContact(MakeContact("Anna", "+3620111", "", "Friends"));
    data.AddContact(MakeContact("Bela", "+3620222", "", "Customers"));
    data.AddContact(MakeContact("Cili", "+3620333", "", "Friends"));
    OpenBook();
    ui::TfrmComposer* composer = window->NewComposer();
    composer->show();
    composer->SetRecipients("x", "old");
    composer->FindAction("tbNumbers")->trigger();
    EXPECT_EQ(book->TiedComposer(), composer);
    // Friends checked in the tree, then Bela in the list.
    book->GroupItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 2");
    book->Contacts()->setData(book->Contacts()->index(2, kMarkColumn), Qt::Checked,
                              Qt::CheckStateRole);
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 3");
    book->findChild<QPushButton*>("btnContinue")->click();
    EXPECT_EQ(composer->To(), "Anna (+3620111)");
    EXPECT_EQ(composer->Cc(), "Bela (+3620222);Cili (+3620333)");
    EXPECT_FALSE(book->isVisible());
    EXPECT_EQ(book->TiedComposer(), nullptr);

    // Shown again for the composer: its numbers are checked.
    composer->SetRecipients("Bela (+3620222)", "");
    composer->FindAction("tbNumbers")->trigger();
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 1");
    // The tie ends with the composer.
    delete composer;
    EXPECT_EQ(book->TiedComposer(), nullptr);
    book->hide();
    window->FindAction("Numbers1")->trigger();
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 0");
}

TEST_F(AddressbookTest, ClickingATitleSortsTheBookAndClickingItAgainReversesIt) {
    StartEngine();
    engine->AddressBook().AddContact(MakeContact("anna", "+3620111", "", ""));
    engine->AddressBook().AddContact(MakeContact("Bela", "+3620222", "", ""));
    OpenBook();
    // Opening the window leaves the order as loaded.
    EXPECT_EQ(Cells(kNameColumn), (std::vector<std::string>{"NIMBRA", "anna", "Bela"}));
    QHeaderView* titles = book->ContactList()->horizontalHeader();
    const auto clickTitle = [titles](int column) {
        QTest::mouseClick(
            titles->viewport(), Qt::LeftButton, {},
            QPoint(titles->sectionViewportPosition(column) + 10, titles->height() / 2));
    };
    clickTitle(kNameColumn);
    EXPECT_EQ(Cells(kNameColumn), (std::vector<std::string>{"anna", "Bela", "NIMBRA"}));
    clickTitle(kNameColumn);
    EXPECT_EQ(Cells(kNameColumn), (std::vector<std::string>{"NIMBRA", "Bela", "anna"}));
    EXPECT_EQ(book->Contacts()->index(0, kNameColumn).data().toString(), "NIMBRA");
    clickTitle(kPhoneColumn);
    EXPECT_EQ(Cells(kNameColumn), (std::vector<std::string>{"anna", "Bela", "NIMBRA"}));
}

TEST_F(AddressbookTest, SelectAllMarksEveryContactAndDeleteAsksFirst) {
    StartEngine();
    engine->AddressBook().AddContact(MakeContact("Anna", "+3620111", "", ""));
    OpenBook();
    book->SelectAllBox()->click();
    EXPECT_EQ(book->CountPanel()->text(), "Selected: 2");
    EXPECT_EQ(book->GroupItem(1)->checkState(0), Qt::Checked);
    SelectContactRow(0);
    QTest::keyClick(book->ContactList(), Qt::Key_Delete);
    EXPECT_EQ(questions.back(), "Are you sure you want to delete the selected items?");
    EXPECT_EQ(Cells(kNameColumn), (std::vector<std::string>{"Anna"}));
}

TEST_F(AddressbookTest, ClickingFromInThePreviewAddsTheSenderAsAContact) {
    StartEngine();
    AddMessage(SystemFolder::Inbox, "+3620999", "+3699000", "first");
    AddMessage(SystemFolder::Inbox, "+3620999", "+3699000", "second");
    OpenBook();
    book->hide();
    ClickRow(0);
    OnNextModal([](QWidget* modal) {
        auto* editor = qobject_cast<TfrmContact*>(modal);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->MobileField()->text(), "+3620999");
        editor->NameField()->setText("Zed");
        editor->NoteField()->setPlainText("from the fair");
        editor->accept();
    });
    QLabel* from = window->Preview()->FromLabel();
    QTest::mouseClick(from, Qt::LeftButton, {}, from->rect().center());
    EXPECT_EQ(window->Preview()->From(), "Zed (+3620999)");
    EXPECT_EQ(window->Preview()->Note(), "from the fair");
    EXPECT_EQ(window->MessageModel()->index(1, ui::kListPhone).data().toString(), "Zed (+3620999)");
    ASSERT_TRUE(engine->AddressBook().FindContact("+3620999"));

    // Cancelling the editor of a known contact gives its entry as it is.
    OnNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(book->EditContactFor("+3620999"), "Zed (+3620999)");
    // A new number cancelled: the text comes back unchanged and nothing is added.
    OnNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(book->EditContactFor("Kim (+3620777)"), "Kim (+3620777)");
    EXPECT_FALSE(engine->AddressBook().FindContact("+3620777"));
}

}  // namespace
}  // namespace nimbra::testing_support
