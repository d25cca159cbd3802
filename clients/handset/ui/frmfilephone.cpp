#include "frmfilephone.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controlstate.h"
#include "handsetsettings.h"

namespace nimbra::handset {

TfrmFilePhone::TfrmFilePhone(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFilePhone"));
    setWindowTitle(QStringLiteral("File phone"));
    eOut_ = new QLineEdit(QString::fromLatin1(kFilePhoneOutDefault), this);
    eOut_->setObjectName(QString::fromLatin1(kFilePhoneOut));
    eIn_ = new QLineEdit(QString::fromLatin1(kFilePhoneInDefault), this);
    eIn_->setObjectName(QString::fromLatin1(kFilePhoneIn));
    auto* outLabel = new QLabel(QStringLiteral("Outgoing directory: "), this);
    outLabel->setObjectName(QStringLiteral("lOut"));
    auto* inLabel = new QLabel(QStringLiteral("Incoming directory:"), this);
    inLabel->setObjectName(QStringLiteral("lIn"));
    auto* fields = new QFormLayout;
    fields->addRow(outLabel, eOut_);
    fields->addRow(inLabel, eIn_);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("bOK"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("bCancel"));
    connect(ok, &QPushButton::clicked, this, &TfrmFilePhone::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmFilePhone::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(fields);
    column->addLayout(buttons);
    setMinimumWidth(420);
}

void TfrmFilePhone::Load() {
    LoadWindow(kFilePhoneSection, this);
}

void TfrmFilePhone::accept() {
    SaveWindow(kFilePhoneSection, this);
    QDialog::accept();
}

void TfrmFilePhone::reject() {
    Load();
    QDialog::reject();
}

}  // namespace nimbra::handset
