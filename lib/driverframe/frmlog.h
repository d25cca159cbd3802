#pragma once
// TfrmLog, the communication-log window: the last 100 log lines and a status bar whose first
// panel shows the link state.

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace nimbra::driver {

inline constexpr int kLogViewLines = 100;

class TfrmLog : public QWidget {
    Q_OBJECT
public:
    explicit TfrmLog(const QString& caption, QWidget* parent = nullptr);

    void AppendLine(const QString& line);
    void SetStatus(const QString& text);

    QString Lines() const;
    int LineCount() const;
    QString Status() const;

private:
    QPlainTextEdit* view_;
    QLabel* statusPanel_;
};

}  // namespace nimbra::driver
