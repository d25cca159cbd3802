#include "frmpref.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controlstate.h"
#include "fieldstore.h"
#include "qansi.h"

namespace nimbra::driver {

TfrmPref::TfrmPref(const FrameConfig& config, const std::string& realName, FieldStore& store,
                   QWidget* parent)
    : QDialog(parent), section_(realName), store_(store) {
    setObjectName(QStringLiteral("frmPref"));
    setWindowTitle(QFromAnsi(realName));
    auto* tabs = new QTabWidget(this);
    std::vector<QFormLayout*> forms;
    // The box of each radio group, by tab and caption; its buttons are exclusive.
    std::map<std::pair<int, QString>, QGroupBox*> groups;
    for (const QString& caption : config.tabs) {
        auto* page = new QWidget(tabs);
        forms.push_back(new QFormLayout(page));
        tabs->addTab(page, caption);
    }
    for (const PrefField& field : config.fields) {
        QFormLayout* form = forms.at(static_cast<size_t>(field.tab));
        QWidget* page = form->parentWidget();
        if (field.kind == PrefField::Kind::Check) {
            auto* box = new QCheckBox(field.label, page);
            box->setObjectName(QString::fromStdString(field.name));
            box->setChecked(field.value == "1");
            form->addRow(box);
            checks_[field.name] = box;
            connect(box, &QCheckBox::toggled, this, [this, name = field.name] { Publish(name); });
        } else if (field.kind == PrefField::Kind::Radio) {
            QGroupBox*& group = groups[{field.tab, field.group}];
            if (!group) {
                group = new QGroupBox(field.group, page);
                new QVBoxLayout(group);
                form->addRow(group);
            }
            auto* button = new QRadioButton(field.label, group);
            button->setObjectName(QString::fromStdString(field.name));
            button->setChecked(field.value == "1");
            group->layout()->addWidget(button);
            radios_[field.name] = button;
            // Choosing one button clears the one chosen before; both changes are published.
            connect(button, &QRadioButton::toggled, this,
                    [this, name = field.name] { Publish(name); });
        } else {
            auto* edit = new QLineEdit(QFromAnsi(field.value), page);
            edit->setObjectName(QString::fromStdString(field.name));
            if (field.kind == PrefField::Kind::Password) {
                edit->setEchoMode(QLineEdit::Password);
            }
            form->addRow(field.label, edit);
            edits_[field.name] = edit;
            connect(edit, &QLineEdit::textChanged, this,
                    [this, name = field.name] { Publish(name); });
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("bOK"));
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("bCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmPref::bOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmPref::bCancelClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    Load();
}

void TfrmPref::Load() {
    LoadWindow(section_, this);
    for (auto& [name, edit] : edits_) {
        Publish(name);
    }
    for (auto& [name, box] : checks_) {
        Publish(name);
    }
    for (auto& [name, button] : radios_) {
        Publish(name);
    }
}

void TfrmPref::Publish(const std::string& name) {
    store_.Set(name, FieldValue(name));
}

std::string TfrmPref::FieldValue(const std::string& name) const {
    if (auto it = edits_.find(name); it != edits_.end()) {
        return QToAnsi(it->second->text());
    }
    if (auto it = checks_.find(name); it != checks_.end()) {
        return it->second->isChecked() ? "1" : "0";
    }
    if (auto it = radios_.find(name); it != radios_.end()) {
        return it->second->isChecked() ? "1" : "0";
    }
    return {};
}

void TfrmPref::ShowField(const std::string& name) {
    // The store's current value, not the one that was posted: an echo of an older edit that
    // arrives late must not overwrite a newer one.
    const std::string value = store_.Get(name);
    if (auto it = edits_.find(name); it != edits_.end()) {
        if (QToAnsi(it->second->text()) != value) {
            it->second->setText(QFromAnsi(value));
        }
    } else if (auto box = checks_.find(name); box != checks_.end()) {
        box->second->setChecked(value == "1");
    } else if (auto button = radios_.find(name); button != radios_.end()) {
        // A chosen button is cleared only by choosing another one of its group.
        if (value == "1") {
            button->second->setChecked(true);
        }
    }
}

void TfrmPref::bOKClick() {
    SaveWindow(section_, this);
    emit applied();
    hide();
}

void TfrmPref::bCancelClick() {
    hide();
}

}  // namespace nimbra::driver
