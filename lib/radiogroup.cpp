#include "radiogroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace nimbra {

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : RadioGroup(parent) {
    setTitle(title);
    setItems(items);
}

void RadioGroup::setItems(const QStringList& items) {
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        layout_->removeWidget(button);
        button->hide();
        // The button may be the sender of the signal that led here.
        button->deleteLater();
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        layout_->addWidget(button);
    }
}

QStringList RadioGroup::items() const {
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << buttons_->button(i)->text();
    return texts;
}

int RadioGroup::count() const {
    return static_cast<int>(buttons_->buttons().size());
}

int RadioGroup::itemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // A button group never unchecks its last checked button by itself.
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
        emit itemIndexChanged(-1);
    }
}

}  // namespace nimbra
