// The message composer driven as an operator would, on the real engine in a temporary home:
// typing, the Unicode question, completion, message files, sending into the Outbox, and the
// main window's Reply and Forward.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTreeView>

#include "composer.h"
#include "event_wait.h"
#include "file_text.h"
#include "messagelistmodel.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

using ui::TfrmComposer;

// Types text that QTest's key table does not hold (letters outside Latin-1) into a widget.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

class ComposerTest : public WindowTest {
protected:
    void OpenWindow() {
        ui::WindowHooks hooks;
        hooks.ask = [this](const QString& question) {
            questions.push_back(question);
            return answer;
        };
        hooks.tell = [this](const QString& message) { told.push_back(message); };
        hooks.openFileName = [this](const QString&, const QString&) { return chosenFile; };
        hooks.saveFileName = [this](const QString&, const QString&, QString&) {
            return chosenFile;
        };
        Open(hooks);
    }

    TfrmComposer* Composer() {
        TfrmComposer* composer = window->NewComposer();
        composer->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(composer));
        return composer;
    }

    static QString Panels(TfrmComposer* composer) {
        return composer->Panel(0)->text() + " | " + composer->Panel(1)->text() + " | " +
               composer->Panel(2)->text();
    }

    std::vector<TSms*> Outbox() const {
        std::vector<TSms*> messages;
        TSmsQueue& outbox = Folder(SystemFolder::Outbox);
        for (int i = 0; i < outbox.Count(); ++i)
            messages.push_back(&outbox.At(i));
        return messages;
    }

    // Runs the posted deletion of closed windows.
    static bool Closed(const QPointer<TfrmComposer>& composer) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return composer.isNull();
    }

    std::vector<QString> questions;
    std::vector<QString> told;
    bool answer = false;
    QString chosenFile;
};

TEST_F(ComposerTest, CountersFollowTheTextAtThePartBoundaries) {
    OpenWindow();
    TfrmComposer* composer = Composer();
    EXPECT_EQ(Panels(composer), "Character: 0 | SMS: 1 | Characters left: 160");
    EXPECT_EQ(composer->Panel(3)->text(), "Creating SMS message");
    QTest::keyClicks(composer->TextField(), "Hello {}");
    EXPECT_EQ(Panels(composer), "Character: 10 | SMS: 1 | Characters left: 150");
    composer->SetText(QString(161, 'a'));
    EXPECT_EQ(Panels(composer), "Character: 161 | SMS: 2 | Characters left: 145");
    composer->SetText(QString(153, '[') + "\r\n");
    EXPECT_EQ(Panels(composer), "Character: 306 | SMS: 2 | Characters left: 0");
    QTest::keyClick(composer->TextField(), Qt::Key_A);
    EXPECT_EQ(Panels(composer), "Character: 307 | SMS: 3 | Characters left: 152");
}

TEST_F(ComposerTest, TheUnicodeQuestionIsAskedOncePerWindow) {
    OpenWindow();
    TfrmComposer* composer = Composer();
    Type(composer->TextField(), QString::fromUtf8("Привет"));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], QString::fromLatin1(ui::kUnicodeQuestion));
    EXPECT_FALSE(composer->Unicode());
    Type(composer->TextField(), QString::fromUtf8("ж ж"));
    EXPECT_EQ(questions.size(), 1u);

    // Another window asks again; yes counts in Unicode positions.
    answer = true;
    TfrmComposer* second = Composer();
    second->SetText(QString(70, QChar(0x0436)));
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_TRUE(second->Unicode());
    EXPECT_EQ(Panels(second), "Character: 70 | SMS: 1 | Characters left: 0");
    QTest::keyClick(second->TextField(), Qt::Key_B);
    EXPECT_EQ(Panels(second), "Character: 71 | SMS: 2 | Characters left: 57");
    second->SetText(QString(129, QChar(0x0436)));
    EXPECT_EQ(Panels(second), "Character: 129 | SMS: 3 | Characters left: 63");
    // Without a character above 255 Unicode goes off by itself.
    second->SetText("plain");
    EXPECT_FALSE(second->Unicode());
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(ComposerTest, TypingInToOffersTheMatchingContacts) {
    StartEngine();
    TAddressBook& book = engine->AddressBook();
    book.AddContact(MakeContact("Joe", "+3620111", "", ""));
    book.AddContact(MakeContact("mary", "+3620222", "", ""));
    book.AddContact(MakeContact("JOHN", "+3620333", "", ""));
    book.AddContact(MakeContact("", "+3630444", "", ""));
    OpenWindow();
    TfrmComposer* composer = Composer();
    QLineEdit* field = composer->ToField()->lineEdit();
    field->setFocus();
    const auto items = [composer] {
        QStringList list;
        for (int i = 0; i < composer->ToField()->count(); ++i)
            list << composer->ToField()->itemText(i);
        return list;
    };
    QTest::keyClicks(field, "jo");
    EXPECT_EQ(items(), (QStringList{"Joe (+3620111)", "JOHN (+3620333)"}));
    EXPECT_EQ(field->text(), "jo");
    EXPECT_EQ(field->cursorPosition(), 2);
    field->clear();
    QTest::keyClicks(field, "+363");
    EXPECT_EQ(items(), (QStringList{"+3630444"}));
    // Backspace keeps the list as it was.
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(items(), (QStringList{"+3630444"}));
    EXPECT_EQ(field->text(), "+36");
}

TEST_F(ComposerTest, AMessageFileKeepsLineBreaksAndBackslashes) {
    OpenWindow();
    TfrmComposer* composer = Composer();
    composer->SetRecipients("Anna (+3620111)", "+3620222;\n+3620333");
    composer->SetText("first line\nC:\\temp\\new\\\nlast");
    chosenFile = QString::fromStdString(Home("draft"));
    composer->SaveMessage();
    EXPECT_EQ(ReadHomeFile("draft.msg"),
              "Anna (+3620111)\r\n+3620222;\\n+3620333\r\n"
              "first line\\nC:\\\\temp\\\\new\\\\\\nlast\r\n");

    TfrmComposer* reopened = Composer();
    chosenFile = QString::fromStdString(Home("draft.msg"));
    reopened->OpenMessage();
    EXPECT_EQ(reopened->To(), "Anna (+3620111)");
    EXPECT_EQ(reopened->Cc(), "+3620222;\n+3620333");
    EXPECT_EQ(reopened->Text(), "first line\nC:\\temp\\new\\\nlast");
    EXPECT_TRUE(told.empty());

    // A file of two lines changes nothing; a missing file is told.
    WriteFileText(home / "short.msg", "+1\r\ntwo\r\n");
    EXPECT_TRUE(reopened->OpenFrom(QString::fromStdString(Home("short.msg"))));
    EXPECT_EQ(reopened->To(), "Anna (+3620111)");
    EXPECT_FALSE(reopened->OpenFrom(QString::fromStdString(Home("missing.msg"))));
    EXPECT_EQ(told, (std::vector<QString>{"Could not open file"}));
}

TEST_F(ComposerTest, SendingQueuesAMessagePerValidRecipientAndReportsTheInvalidOne) {
    StartEngine();
    engine->AddressBook().AddContact(MakeContact("Anna", "+3620111", "", ""));
    OpenWindow();
    QPointer<TfrmComposer> composer = Composer();
    composer->SetRecipients("Anna (+3620111), nonsense", "+3620222");
    composer->SetText("Hello\r\nthere");
    composer->FindAction("tbSend")->trigger();
    EXPECT_EQ(
        told,
        (std::vector<QString>{"The phone number must be in international format: \"nonsense\""}));
    const std::vector<TSms*> outbox = Outbox();
    ASSERT_EQ(outbox.size(), 2u);
    EXPECT_EQ(outbox[0]->to, "Anna (+3620111)");
    EXPECT_EQ(outbox[1]->to, "+3620222");
    EXPECT_EQ(outbox[0]->text, "Hellothere");
    EXPECT_TRUE(outbox[0]->operatorName.empty());
    EXPECT_EQ(Files("SysFolders/Outbox"), 2u);
    EXPECT_TRUE(Closed(composer));
}

TEST_F(ComposerTest, ALongTextGoesAsPiecesOf760Characters) {
    OpenWindow();
    QPointer<TfrmComposer> composer = Composer();
    composer->SetRecipients("+3620111", "");
    composer->SetText(QString(2000, 'x'));
    composer->Send();
    const std::vector<TSms*> outbox = Outbox();
    ASSERT_EQ(outbox.size(), 3u);
    EXPECT_EQ(outbox[0]->text.size(), 760u);
    EXPECT_EQ(outbox[1]->text.size(), 760u);
    EXPECT_EQ(outbox[2]->text.size(), 480u);
    EXPECT_TRUE(Closed(composer));
}

TEST_F(ComposerTest, AUnicodeTextIsOneMessagePerRecipient) {
    answer = true;
    OpenWindow();
    TfrmComposer* composer = Composer();
    composer->SetRecipients("+3620111;+3620222", "");
    composer->SetText(QString(900, QChar(0x0436)) + "\nA");
    composer->Send();
    const std::vector<TSms*> outbox = Outbox();
    ASSERT_EQ(outbox.size(), 2u);
    for (const TSms* message : outbox) {
        EXPECT_EQ(message->text.substr(0, 10), "_UCS2_0436");
        EXPECT_EQ(message->text.size(), 6u + 4u * 902u);
        EXPECT_EQ(message->text.substr(message->text.size() - 8), "000A0041");
    }
}

TEST_F(ComposerTest, WithoutARecipientTheWindowStaysOpen) {
    OpenWindow();
    QPointer<TfrmComposer> composer = Composer();
    composer->SetRecipients("abc", "");
    composer->SetText("text");
    composer->Send();
    EXPECT_EQ(told.back(), QString::fromLatin1(ui::kNoRecipientText));
    EXPECT_TRUE(Outbox().empty());
    ProcessEventsFor(20);
    ASSERT_FALSE(composer.isNull());
    EXPECT_TRUE(composer->isVisible());
}

TEST_F(ComposerTest, TheFromRowOffersTheOperatorsOfTheLoggedInDevices) {
    StartEngine();
    AddDevice("smpp", "Vodafone");
    AddDevice("cimd", "Telenor");
    OpenWindow();
    TfrmComposer* composer = Composer();
    EXPECT_FALSE(composer->FromRow()->isVisible());
    ASSERT_EQ(composer->FromField()->count(), 2);
    EXPECT_EQ(composer->FromField()->currentText(), "Vodafone");
    composer->FindAction("tbOperator")->trigger();
    EXPECT_TRUE(composer->FromRow()->isVisible());
    EXPECT_EQ(ReadPluginSetting(settings::kComposerSection, settings::kComposerOperatorValue, ""),
              "1");
    composer->FromField()->setCurrentIndex(1);
    composer->SetRecipients("+3620111", "");
    composer->Send();
    ASSERT_EQ(Outbox().size(), 1u);
    EXPECT_EQ(Outbox()[0]->operatorName, "Telenor");

    // The switch is remembered by the next composer.
    TfrmComposer* next = Composer();
    EXPECT_TRUE(next->FromRow()->isVisible());
}

TEST_F(ComposerTest, ReplyAndForwardFillAComposerAndMarkTheMessage) {
    StartEngine();
    engine->AddressBook().AddContact(MakeContact("Desk", "+3699000", "", ""));
    AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "Are you there?");
    AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", "_UCS2_04220435043A0441044200200032");
    OpenWindow();
    ClickRow(0);
    ASSERT_TRUE(window->FindAction("Reply1")->isEnabled());
    window->FindAction("Reply1")->trigger();
    QList<TfrmComposer*> composers = window->findChildren<TfrmComposer*>();
    ASSERT_EQ(composers.size(), 1);
    EXPECT_EQ(composers[0]->To(), "+3620111");
    EXPECT_EQ(composers[0]->Text(), "Are you there?");
    EXPECT_FALSE(composers[0]->Unicode());
    const TSms* replied = window->MessageModel()->MessageAt(0);
    EXPECT_EQ(replied->iconIndex, kIconRepliedTo);
    TSms stored(engine->Sms());
    ASSERT_TRUE(stored.Load(replied->path));
    EXPECT_EQ(stored.iconIndex, kIconRepliedTo);

    ClickRow(1);
    window->FindAction("Forward1")->trigger();
    composers = window->findChildren<TfrmComposer*>();
    ASSERT_EQ(composers.size(), 2);
    TfrmComposer* forward = composers[0]->To() == "+3620111" ? composers[1] : composers[0];
    EXPECT_EQ(forward->To(), "Desk (+3699000)");
    EXPECT_EQ(forward->Text(), QString::fromUtf8("Текст 2"));
    EXPECT_TRUE(forward->Unicode());
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(window->MessageModel()->MessageAt(1)->iconIndex, kIconForwarded);
}

TEST_F(ComposerTest, CreateSmsAndTheComposerRequestOpenComposers) {
    OpenWindow();
    window->FindAction("tbCreateSMS")->trigger();
    engine->HandleMessage(WindowMessage::OpenComposer, 0, 0);
    EXPECT_EQ(window->findChildren<TfrmComposer*>().size(), 2);
    // The window's texts fill its language file.
    const std::string form = ReadHomeFile("Languages/English/ComposerForm.txt");
    EXPECT_NE(form.find("Caption=&Unicode"), std::string::npos) << form;
}

}  // namespace
}  // namespace nimbra::testing_support
