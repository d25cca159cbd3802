#pragma once
// The preview of the selected message: "From:", "To:", "Note:", "Date:" with their values,
// on the right the operator, the reference, the message id and the "Unicode" marker when they
// apply, the text, and the picture of a picture message, 128 pixels wide.
#include <QPixmap>
#include <QWidget>

#include "previewcontent.h"

class QLabel;
class QPlainTextEdit;

namespace nimbra::ui {

class PreviewPane final : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    void Show(const PreviewContent& content);
    void Clear();
    // What is shown: the text (also for printing) and the fields.
    QString Text() const;
    QString From() const;
    QString To() const;
    QString Note() const;
    QString Date() const;
    // The picture of a picture message, null when none is shown.
    QPixmap Picture() const;
    QString PictureText() const;
    // After the contact editor: the name shown for an address, and the note.
    void SetFrom(const QString& text);
    void SetTo(const QString& text);
    void SetNote(const QString& text);
    QLabel* FromLabel() const { return fromValue_; }
    QLabel* ToLabel() const { return toValue_; }

signals:
    // "From:" or "To:" (caption or value) was clicked.
    void fromClicked();
    void toClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPicture(const std::string& path);

    QLabel* fromCaption_ = nullptr;
    QLabel* toCaption_ = nullptr;
    QLabel* fromValue_;
    QLabel* toValue_;
    QLabel* noteValue_;
    QLabel* dateValue_;
    QLabel* operatorLabel_;
    QLabel* referenceLabel_;
    QLabel* idLabel_;
    QLabel* unicodeLabel_;
    QPlainTextEdit* text_;
    QLabel* picture_;
};

}  // namespace nimbra::ui
