#include "contactforms.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "qansi.h"

namespace nimbra::ui {
namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// "&Ok" (the default) and "&Cancel".
QDialogButtonBox* OkAndCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

TfrmContact::TfrmContact(QWidget* parent)
    : QDialog(parent),
      name_(new QLineEdit(this)),
      mobile_(new QLineEdit(this)),
      note_(new QPlainTextEdit(this)),
      group_(new QComboBox(this)) {
    setObjectName(QStringLiteral("ContactForm"));
    setWindowTitle(QStringLiteral("Addressbook"));
    name_->setObjectName(QStringLiteral("eName"));
    mobile_->setObjectName(QStringLiteral("eMobile"));
    note_->setObjectName(QStringLiteral("mNote"));
    note_->setTabChangesFocus(true);
    note_->setFixedHeight(64);
    group_->setObjectName(QStringLiteral("cbGroup"));
    group_->setEditable(true);
    group_->setInsertPolicy(QComboBox::NoInsert);
    connect(name_, &QLineEdit::editingFinished, this, &TfrmContact::NameLeft);

    auto* box = new QGroupBox(QStringLiteral(" Contact Information "), this);
    box->setObjectName(QStringLiteral("gbContact"));
    auto* fields = new QFormLayout(box);
    fields->addRow(NamedLabel("lblName", QStringLiteral("Name:"), box), name_);
    fields->addRow(NamedLabel("lblMobile", QStringLiteral("Mobile:"), box), mobile_);
    fields->addRow(NamedLabel("lblNote", QStringLiteral("Note:"), box), note_);
    fields->addRow(NamedLabel("lblGroup", QStringLiteral("Group:"), box), group_);

    QLabel* hint = NamedLabel(
        "lblHint",
        QStringLiteral("Please edit the contact information. Make sure you specify the \n"
                       "phonenumber in International format"),
        this);
    QLabel* example = NamedLabel(
        "lblExample", QStringLiteral("Example: ") + QString::fromLatin1(kExampleNumber), this);
    example->setStyleSheet(QStringLiteral("color: #555;"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(example);
    layout->addWidget(box, 1);
    layout->addWidget(OkAndCancel(this));
    resize(380, 330);
}

void TfrmContact::Prepare(const Contact& contact, const std::vector<std::string>& groups) {
    name_->setText(QFromAnsi(contact[kNameColumn]));
    mobile_->setText(QFromAnsi(contact[kPhoneColumn]));
    note_->setPlainText(QFromAnsi(contact[kNoteColumn]));
    group_->clear();
    for (const std::string& group : groups)
        group_->addItem(QFromAnsi(group));
    const std::string group =
        contact[kGroupColumn].empty() && !groups.empty() ? groups.front() : contact[kGroupColumn];
    group_->setCurrentText(QFromAnsi(group));
    name_->setFocus();
}

void TfrmContact::NameLeft() {
    QString name = name_->text();
    name.replace(QLatin1Char('('), QLatin1Char('[')).replace(QLatin1Char(')'), QLatin1Char(']'));
    if (name != name_->text())
        name_->setText(name);
}

Contact TfrmContact::Fields() const {
    return MakeContact(NameWithoutParentheses(QToAnsi(name_->text())), QToAnsi(mobile_->text()),
                       QToAnsi(note_->toPlainText()), QToAnsi(group_->currentText()));
}

TfrmGroupName::TfrmGroupName(QWidget* parent) : QDialog(parent), name_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("GroupNameForm"));
    setWindowTitle(QStringLiteral("Addressbook"));
    name_->setObjectName(QStringLiteral("eGroupName"));
    auto* box = new QGroupBox(QStringLiteral(" Contact Group "), this);
    box->setObjectName(QStringLiteral("gbGroup"));
    auto* inner = new QVBoxLayout(box);
    inner->addWidget(NamedLabel(
        "lblSpecify", QStringLiteral("Please specify the name of the contact group"), box));
    auto* fields = new QFormLayout;
    fields->addRow(NamedLabel("lblGroupName", QStringLiteral("Group name:"), box), name_);
    inner->addLayout(fields);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(OkAndCancel(this));
    resize(340, 150);
}

void TfrmGroupName::Prepare(const std::string& name) {
    name_->setText(QFromAnsi(name));
    name_->selectAll();
    name_->setFocus();
}

std::string TfrmGroupName::GroupName() const {
    return QToAnsi(name_->text());
}

}  // namespace nimbra::ui
