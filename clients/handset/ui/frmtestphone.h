#pragma once
// The test phone's window: a number and a text that " Receive " puts into the test phone as
// a message that has arrived, "Don't send" to make every send fail, the list of what the
// phone was given to send, and a status bar whose second panel shows the waiting message.
// The phone object belongs to the connection; the window asks for it each time.

#include <functional>

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTimer;

namespace nimbra::handset {

class TdmPhone;

class TfrmTestPhone final : public QWidget {
    Q_OBJECT
public:
    // phone: the connected test phone, or none.
    explicit TfrmTestPhone(std::function<TdmPhone*()> phone, QWidget* parent = nullptr);

    // " Receive ".
    void bReceiveClick();
    // The test phone connected: it takes the window's "Don't send".
    void PhoneConnected();
    // The sent list and the status bar from the phone.
    void Refresh();

    QStringList SentList() const;
    QString MemoryStatus() const;

private:
    std::function<TdmPhone*()> phone_;
    QLineEdit* eTel_;
    QPlainTextEdit* mSMS_;
    QCheckBox* cbDontsend_;
    QListWidget* lbSent_;
    QLabel* panel1_;
    QLabel* panel2_;
    QTimer* refresh_;
    // The phone whose sent messages the list shows last, and how many of them.
    const TdmPhone* shownPhone_ = nullptr;
    std::size_t shown_ = 0;
};

}  // namespace nimbra::handset
