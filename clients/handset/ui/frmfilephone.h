#pragma once
// The file phone's settings window ("File phone"): the folder outgoing messages are written
// to and the one incoming messages would come from, kept in the section "FilePhone".

#include <QDialog>

class QLineEdit;

namespace nimbra::handset {

class TfrmFilePhone final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFilePhone(QWidget* parent = nullptr);

    void Load();
    void accept() override;
    void reject() override;

private:
    QLineEdit* eOut_;
    QLineEdit* eIn_;
};

}  // namespace nimbra::handset
