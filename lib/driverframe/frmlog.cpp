#include "frmlog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace nimbra::driver {

TfrmLog::TfrmLog(const QString& caption, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(caption);
    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("mLog"));
    view_->setReadOnly(true);
    // The view drops its first line while it holds more than 100.
    view_->setMaximumBlockCount(kLogViewLines);
    auto* status = new QStatusBar(this);
    statusPanel_ = new QLabel(QStringLiteral("Disconnected"), status);
    status->addWidget(statusPanel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    layout->addWidget(status);
    resize(560, 360);
}

void TfrmLog::AppendLine(const QString& line) {
    view_->appendPlainText(line);
}

void TfrmLog::SetStatus(const QString& text) {
    statusPanel_->setText(text);
}

QString TfrmLog::Lines() const {
    return view_->toPlainText();
}

int TfrmLog::LineCount() const {
    return view_->document()->isEmpty() ? 0 : view_->document()->blockCount();
}

QString TfrmLog::Status() const {
    return statusPanel_->text();
}

}  // namespace nimbra::driver
