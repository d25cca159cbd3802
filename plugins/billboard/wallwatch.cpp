#include "wallwatch.h"

#include <QListWidget>
#include <QPointer>

#include "atomicfile.h"
#include "unBillboardDisplay.h"
#include "unModerator.h"

namespace nimbra {
namespace {

QString Section(const char* name, const std::vector<std::u16string>& entries) {
    QString text = QLatin1Char('[') + QLatin1String(name) + QStringLiteral("]\n");
    for (const std::u16string& entry : entries)
        text += QString::fromStdU16String(entry) + QLatin1Char('\n');
    return text;
}

QString Lines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

}  // namespace

TWallWatch::TWallWatch(TfrmModerate& moderate, TfrmDisplay& display, QString path, QObject* parent)
    : QObject(parent), moderate_(moderate), display_(display), path_(std::move(path)) {
    if (const auto* list = moderate_.findChild<QListWidget*>(QStringLiteral("qDisplay"))) {
        connect(list->model(), &QAbstractItemModel::rowsInserted, this,
                [this, list](const QModelIndex&, int first, int last) {
                    for (int row = first; row <= last; ++row)
                        displayed_ << list->item(row)->text();
                });
    }
    connect(&display_, &TfrmDisplay::messagePut, this,
            [this](const QString&, const QString& text) { put_ << text; });
    connect(&moderate_, &TfrmModerate::stepEnded, this, [this] {
        // One read of the page at a time; a step that ends meanwhile is seen by the next.
        if (reading_)
            return;
        reading_ = true;
        QPointer<TWallWatch> self(this);
        display_.ReadCurrentText([self](const QString& text) {
            if (!self)
                return;
            self->reading_ = false;
            self->Write(text);
        });
    });
}

void TWallWatch::Write(const QString& pageText) const {
    const QString text =
        Section("Inbox", moderate_.moderation().Entries(TModeration::List::Inbox)) +
        Section("Display", moderate_.moderation().Entries(TModeration::List::Display)) +
        QStringLiteral("[Displayed]\n") + Lines(displayed_) + QStringLiteral("[Page]\nmessage=") +
        pageText + QStringLiteral("\n[Put]\n") + Lines(put_);
    // A watch that cannot be written is not the wall's concern.
    WriteFileAtomically(path_.toStdString(), text.toStdString());
}

}  // namespace nimbra
