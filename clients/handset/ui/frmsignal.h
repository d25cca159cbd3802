#pragma once
// The signal window ("Signal strength"): whether the device is registered to a network and
// how strong its signal is (0 to 31). Shown after a connection when "Network monitoring" is
// on, hidden when the connection ends.

#include <QWidget>

class QLineEdit;
class QProgressBar;

namespace nimbra::handset {

class TfrmSignal final : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSignal(QWidget* parent = nullptr);

private:
    QLineEdit* eReg_;
    QProgressBar* pbCsq_;
};

}  // namespace nimbra::handset
