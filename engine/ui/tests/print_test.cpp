// Print and About from the main window: the selected message printed through Qt's print
// dialog (answered as an operator would, choosing the PDF file printer), and the About box.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>

#include "file_text.h"
#include "pdf_text.h"
#include "previewpane.h"
#include "window_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

// Answers the next print dialog: the file printer, that file, then OK (or Cancel).
void AnswerPrintDialog(const fs::path& file, bool ok) {
    OnNextModal([file, ok](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << "the print dialog was expected";
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        ASSERT_NE(printers, nullptr);
        int pdf = -1;
        for (int i = 0; i < printers->count(); ++i) {
            if (printers->itemText(i).contains(QStringLiteral("PDF")))
                pdf = i;
        }
        ASSERT_GE(pdf, 0) << "no file printer offered";
        printers->setCurrentIndex(pdf);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(file.string()));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        QPushButton* button = buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        ASSERT_NE(button, nullptr);
        button->click();
    });
}

class PrintTest : public WindowTest {
protected:
    void OpenOnAMessage(const std::string& text) {
        StartEngine();
        AddMessage(SystemFolder::Inbox, "+3620111", "+3699000", "another one");
        AddMessage(SystemFolder::Inbox, "+3620222", "+3699000", text);
        Open();
        ClickRow(1);
        ASSERT_EQ(window->Preview()->Text().toStdString(), text);
    }
};

TEST_F(PrintTest, PrintsTheSelectedMessageThroughThePrintDialog) {
    OpenOnAMessage("Meet at the north gate at seven");
    const fs::path file = home / "printed.pdf";
    AnswerPrintDialog(file, true);
    window->FindAction("Print1")->trigger();
    ASSERT_TRUE(fs::exists(file));
    const std::string pdf = ReadFileText(file);
    EXPECT_TRUE(LooksLikePdf(pdf)) << pdf.substr(0, 200);
    // The document is called "SMS" (UTF-16 in the file's information).
    EXPECT_NE(pdf.find(std::string("\0S\0M\0S", 6)), std::string::npos);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Meet at the north gate at seven"), std::string::npos) << text;
    EXPECT_EQ(text.find("another one"), std::string::npos) << text;
}

TEST_F(PrintTest, ACancelledPrintWritesNothing) {
    OpenOnAMessage("Not to be printed");
    const fs::path file = home / "cancelled.pdf";
    AnswerPrintDialog(file, false);
    window->FindAction("Print1")->trigger();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PrintTest, AboutShowsTheProductAndItsVersion) {
    Open();
    QString product;
    QString texts;
    OnNextModal([&](QWidget* modal) {
        EXPECT_EQ(modal->objectName(), QStringLiteral("AboutForm"));
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("About"));
        for (const QLabel* label : modal->findChildren<QLabel*>())
            texts += label->text() + QLatin1Char('|');
        if (const auto* name = modal->findChild<QLabel*>(QStringLiteral("lblProduct")))
            product = name->text();
        modal->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    window->FindAction("About1")->trigger();
    EXPECT_EQ(product, QStringLiteral("Nimbra SMS Server"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version "))) << texts.toStdString();
}

}  // namespace
}  // namespace nimbra::testing_support
