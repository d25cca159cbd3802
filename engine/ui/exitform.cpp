#include "exitform.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dialogbuttons.h"
#include "icons.h"

namespace nimbra::ui {

ExitForm::ExitForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExitForm"));
    setWindowTitle(QStringLiteral("Exit"));
    auto* picture = new QLabel(this);
    picture->setPixmap(NamedIcon(QStringLiteral("stop")).pixmap(32, 32));
    auto* question =
        new QLabel(QStringLiteral("Do you want to close the SMS server?\n"
                                  "Messages are not sent or received until it runs again."),
                   this);
    question->setObjectName(QStringLiteral("lblQuestion"));
    auto* body = new QHBoxLayout;
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addWidget(question, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(OkCancelButtons(this));
}

}  // namespace nimbra::ui
