#include "frmtestphone.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "qansi.h"
#include "testphone.h"

namespace nimbra::handset {

namespace {

// How often the window shows what the phone sent meanwhile.
constexpr int kRefreshMs = 200;

}  // namespace

TfrmTestPhone::TfrmTestPhone(std::function<TdmPhone*()> phone, QWidget* parent)
    : QWidget(parent, Qt::Window), phone_(std::move(phone)) {
    setObjectName(QStringLiteral("frmTestPhone"));
    setWindowTitle(QStringLiteral("Test phone"));
    eTel_ = new QLineEdit(QStringLiteral("+36301234567"), this);
    eTel_->setObjectName(QStringLiteral("eTel"));
    mSMS_ = new QPlainTextEdit(this);
    mSMS_->setObjectName(QStringLiteral("mSMS"));
    mSMS_->setFixedHeight(70);
    auto* receive = new QPushButton(QStringLiteral(" Receive "), this);
    receive->setObjectName(QStringLiteral("bReceive"));
    cbDontsend_ = new QCheckBox(QStringLiteral("Don't send"), this);
    cbDontsend_->setObjectName(QStringLiteral("cbDontsend"));
    lbSent_ = new QListWidget(this);
    lbSent_->setObjectName(QStringLiteral("lbSent"));
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    panel1_ = new QLabel(QStringLiteral("Test phone"), status);
    panel2_ = new QLabel(status);
    status->addWidget(panel1_);
    status->addWidget(panel2_, 1);

    auto* fields = new QFormLayout;
    auto* telLabel = new QLabel(QStringLiteral("Phone number:"), this);
    telLabel->setObjectName(QStringLiteral("lTel"));
    auto* smsLabel = new QLabel(QStringLiteral("Message:"), this);
    smsLabel->setObjectName(QStringLiteral("lSMS"));
    auto* sentLabel = new QLabel(QStringLiteral("Sent messages:"), this);
    sentLabel->setObjectName(QStringLiteral("lSent"));
    fields->addRow(telLabel, eTel_);
    fields->addRow(smsLabel, mSMS_);
    auto* row = new QHBoxLayout;
    row->addWidget(receive);
    row->addWidget(cbDontsend_);
    row->addStretch();
    auto* column = new QVBoxLayout(this);
    column->addLayout(fields);
    column->addLayout(row);
    column->addWidget(sentLabel);
    column->addWidget(lbSent_, 1);
    column->addWidget(status);
    resize(420, 360);

    connect(receive, &QPushButton::clicked, this, &TfrmTestPhone::bReceiveClick);
    connect(cbDontsend_, &QCheckBox::toggled, this, [this](bool on) {
        if (TdmPhone* connected = phone_())
            connected->SetDontSend(on);
    });
    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, this, &TfrmTestPhone::Refresh);
    refresh_->start();
}

void TfrmTestPhone::bReceiveClick() {
    TdmPhone* phone = phone_();
    if (!phone)
        return;
    phone->Receive(QToAnsi(eTel_->text()), QToAnsi(mSMS_->toPlainText()));
    Refresh();
}

void TfrmTestPhone::PhoneConnected() {
    if (TdmPhone* phone = phone_())
        phone->SetDontSend(cbDontsend_->isChecked());
    Refresh();
}

void TfrmTestPhone::Refresh() {
    TdmPhone* phone = phone_();
    if (!phone)
        return;
    // Each connection has a phone of its own; the list keeps what earlier ones sent.
    if (phone != shownPhone_) {
        shownPhone_ = phone;
        shown_ = 0;
    }
    const std::vector<std::string> sent = phone->SentList();
    for (; shown_ < sent.size(); ++shown_)
        lbSent_->addItem(QFromAnsi(sent[shown_]));
    panel2_->setText(QFromAnsi(phone->MemoryStatus()));
}

QStringList TfrmTestPhone::SentList() const {
    QStringList lines;
    for (int i = 0; i < lbSent_->count(); ++i)
        lines << lbSent_->item(i)->text();
    return lines;
}

QString TfrmTestPhone::MemoryStatus() const {
    return panel2_->text();
}

}  // namespace nimbra::handset
