#include "messageboxnotifier.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "qansi.h"

namespace nimbra {

MessageBoxNotifier::MessageBoxNotifier(Notifier* fallback) : fallback_(fallback) {}

bool MessageBoxNotifier::DisplayAvailable() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool MessageBoxNotifier::CanShowBox() const {
    // Boxes belong to the window thread; a message from elsewhere goes to the fallback.
    const bool onWindowThread =
        QCoreApplication::instance() && QThread::currentThread() == qApp->thread();
    return onWindowThread && DisplayAvailable();
}

Notifier* MessageBoxNotifier::Fallback() {
    return fallback_ ? fallback_ : &stderr_;
}

void MessageBoxNotifier::ShowMessage(const std::string& text) {
    if (!CanShowBox()) {
        Fallback()->ShowMessage(text);
        return;
    }
    // The box does not block: a modal loop here would let timers and calls run inside
    // whatever operation is reporting, in the middle of its work.
    auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(),
                                QFromAnsi(text), QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

bool MessageBoxNotifier::AskYesNo(const std::string& question) {
    if (!CanShowBox())
        return Fallback()->AskYesNo(question);
    return QMessageBox::question(QApplication::activeWindow(),
                                 QApplication::applicationDisplayName(), QFromAnsi(question),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace nimbra
