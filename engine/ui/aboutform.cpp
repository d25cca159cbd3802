#include "aboutform.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dialogbuttons.h"
#include "icons.h"

namespace nimbra::ui {

AboutForm::AboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    auto* picture = new QLabel(this);
    picture->setPixmap(NamedIcon(QStringLiteral("application")).pixmap(48, 48));
    auto* product = new QLabel(QString::fromLatin1(kProductName), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    QFont font = product->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    product->setFont(font);
    auto* version = new QLabel(QStringLiteral("Version " NIMBRA_VERSION), this);
    auto* description =
        new QLabel(QStringLiteral("Sends, receives, stores and tracks short messages\n"
                                  "through GSM modems and message centres."),
                   this);
    description->setObjectName(QStringLiteral("lblDescription"));
    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(description);
    auto* body = new QHBoxLayout;
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addSpacing(12);
    body->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(OkCancelButtons(this, false));
}

}  // namespace nimbra::ui
