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

void MessageBoxNotifier::ShowMessage(const std::string& text) {
    // Boxes belong to the window thread; a message from elsewhere goes to the fallback.
    const bool onWindowThread =
        QCoreApplication::instance() && QThread::currentThread() == qApp->thread();
    if (!DisplayAvailable() || !onWindowThread) {
        (fallback_ ? *fallback_ : static_cast<Notifier&>(stderr_)).ShowMessage(text);
        return;
    }
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                             QFromAnsi(text));
}

}  // namespace nimbra
