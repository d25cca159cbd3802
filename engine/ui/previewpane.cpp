#include "previewpane.h"

#include <filesystem>

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "qansi.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

constexpr int kPictureWidth = 128;

QLabel* Caption(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* Value(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

void SetOptional(QLabel* label, const std::string& text) {
    label->setText(QFromAnsi(text));
    label->setVisible(!text.empty());
}

}  // namespace

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent),
      fromValue_(Value(this)),
      toValue_(Value(this)),
      noteValue_(Value(this)),
      dateValue_(Value(this)),
      operatorLabel_(Value(this)),
      referenceLabel_(Value(this)),
      idLabel_(Value(this)),
      unicodeLabel_(new QLabel(QStringLiteral("Unicode"), this)),
      text_(new QPlainTextEdit(this)),
      picture_(new QLabel(this)) {
    setObjectName(QStringLiteral("pnlPreview"));
    auto* fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(2);
    const std::pair<const char*, const char*> captions[] = {
        {"lblFrom", "From:"}, {"lblTo", "To:"}, {"lblNote", "Note:"}, {"lblDate", "Date:"}};
    QLabel* values[] = {fromValue_, toValue_, noteValue_, dateValue_};
    for (int row = 0; row < 4; ++row) {
        QLabel* caption = Caption(captions[row].first, captions[row].second, this);
        fields->addWidget(caption, row, 0);
        fields->addWidget(values[row], row, 1);
        if (row < 2) {
            // "From:" and "To:" open the contact editor for their number.
            (row == 0 ? fromCaption_ : toCaption_) = caption;
            for (QLabel* label : {caption, values[row]}) {
                label->setCursor(Qt::PointingHandCursor);
                label->installEventFilter(this);
            }
        }
    }
    fields->setColumnStretch(1, 1);
    unicodeLabel_->setObjectName(QStringLiteral("lblUnicode"));
    unicodeLabel_->setStyleSheet(QStringLiteral("color: #2a6fc9; font-weight: bold;"));
    auto* details = new QVBoxLayout;
    details->setSpacing(2);
    for (QLabel* label : {operatorLabel_, referenceLabel_, idLabel_, unicodeLabel_}) {
        label->setAlignment(Qt::AlignRight);
        details->addWidget(label);
    }
    details->addStretch();
    auto* header = new QHBoxLayout;
    header->addLayout(fields, 3);
    header->addLayout(details, 2);

    text_->setReadOnly(true);
    text_->setObjectName(QStringLiteral("memPreview"));
    picture_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    picture_->setFixedWidth(kPictureWidth);
    auto* body = new QHBoxLayout;
    body->addWidget(text_, 1);
    body->addWidget(picture_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(header);
    layout->addLayout(body, 1);
    Clear();
}

void PreviewPane::Clear() {
    Show(PreviewContent{});
}

void PreviewPane::Show(const PreviewContent& content) {
    fromValue_->setText(QFromAnsi(content.from));
    toValue_->setText(QFromAnsi(content.to));
    noteValue_->setText(QFromAnsi(content.note));
    dateValue_->setText(QFromAnsi(content.date));
    SetOptional(operatorLabel_, content.operatorName);
    SetOptional(referenceLabel_, content.reference);
    SetOptional(idLabel_, content.messageId);
    unicodeLabel_->setVisible(content.unicode);
    text_->setPlainText(QString::fromStdU16String(content.text));
    ShowPicture(content.picturePath);
}

void PreviewPane::ShowPicture(const std::string& path) {
    picture_->clear();
    std::error_code ec;
    // A picture whose file is gone leaves the caption alone.
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
        picture_->setVisible(false);
        return;
    }
    picture_->setVisible(true);
    QImageReader reader(QFile::decodeName(path.c_str()));
    const QImage image = reader.read();
    if (image.isNull()) {
        picture_->setText(Tr("Cannot open image file!"));
        return;
    }
    picture_->setPixmap(
        QPixmap::fromImage(image.scaledToWidth(kPictureWidth, Qt::SmoothTransformation)));
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == fromCaption_ || watched == fromValue_)
            emit fromClicked();
        else if (watched == toCaption_ || watched == toValue_)
            emit toClicked();
    }
    return QWidget::eventFilter(watched, event);
}

void PreviewPane::SetFrom(const QString& text) {
    fromValue_->setText(text);
}

void PreviewPane::SetTo(const QString& text) {
    toValue_->setText(text);
}

void PreviewPane::SetNote(const QString& text) {
    noteValue_->setText(text);
}

QString PreviewPane::Text() const {
    return text_->toPlainText();
}

QString PreviewPane::From() const {
    return fromValue_->text();
}

QString PreviewPane::To() const {
    return toValue_->text();
}

QString PreviewPane::Note() const {
    return noteValue_->text();
}

QString PreviewPane::Date() const {
    return dateValue_->text();
}

QPixmap PreviewPane::Picture() const {
    return picture_->pixmap();
}

QString PreviewPane::PictureText() const {
    return picture_->text();
}

}  // namespace nimbra::ui
