#include "unPreferences.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controlstate.h"
#include "unModerator.h"

namespace nimbra {

TfrmPreferences::TfrmPreferences(const QString& engineDir, QWidget* parent)
    : QDialog(parent), eHTML_(new QLineEdit(QString::fromLatin1(kDefaultTemplate), this)) {
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    eHTML_->setObjectName(QStringLiteral("eHTML"));

    auto* group = new QGroupBox(QStringLiteral(" Billboard Background "), this);
    auto* explanation =
        new QLabel(QStringLiteral("The Billboard uses an  HTML template to display the incoming \n"
                                  "SMS messages. This HTML template can be modified to have \n"
                                  "a custom background or any appropriate design. Please specify \n"
                                  "the name of the template that should be used:"),
                   group);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), group);
    browse->setObjectName(QStringLiteral("bBrowse"));
    connect(browse, &QPushButton::clicked, this, &TfrmPreferences::Browse);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(new QLabel(QStringLiteral("HTML template:"), group));
    templateRow->addWidget(eHTML_, 1);
    templateRow->addWidget(browse);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(explanation);
    groupLayout->addLayout(templateRow);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("bOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("bCancel"));
    connect(ok, &QPushButton::clicked, this, &TfrmPreferences::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmPreferences::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    LoadWindow(kBillboardSection, this);
    if (eHTML_->text() == QString::fromLatin1(kDefaultTemplate))
        eHTML_->setText(engineDir + QString::fromLatin1(kDefaultTemplate));
    shownTemplate_ = eHTML_->text();
}

QString TfrmPreferences::TemplatePath() const {
    return eHTML_->text();
}

void TfrmPreferences::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    shownTemplate_ = eHTML_->text();
}

void TfrmPreferences::accept() {
    SaveWindow(kBillboardSection, this);
    shownTemplate_ = eHTML_->text();
    QDialog::accept();
}

void TfrmPreferences::reject() {
    eHTML_->setText(shownTemplate_);
    QDialog::reject();
}

void TfrmPreferences::Browse() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("HTML template"), eHTML_->text(),
                                     QStringLiteral("HTML files (*.html *.htm);;All files (*)"));
    if (!file.isEmpty())
        eHTML_->setText(file);
}

}  // namespace nimbra
