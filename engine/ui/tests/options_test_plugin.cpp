// A plugin program for the server options window's tests: attaches to the running engine,
// logs in with its file name, adds one command to the Plugins menu ("<name> Settings"), writes
// the caption of every command it is asked to carry out into "<name>.clicked" beside itself,
// and ends on ServerShutdown or when the engine leaves the bus.
#include <cstdio>
#include <exception>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QFileInfo>

#include "Transmit_TLB.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!nimbra::com::TransmitEngine::IsRunning())
        return 0;
    try {
        const nimbra::com::TransmitEngine engine = nimbra::com::TransmitEngine::Attach();
        nimbra::com::TnbMessageServerProxy server(engine);
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const QString clicked =
            QCoreApplication::applicationFilePath() + QStringLiteral(".clicked");
        QObject::connect(&server, &nimbra::com::TnbMessageServerProxy::MenuItemClick,
                         [clicked](const QVariant& caption) {
                             QFile file(clicked);
                             if (file.open(QIODevice::Append))
                                 file.write(caption.toString().toUtf8() + '\n');
                         });
        QObject::connect(&server, &nimbra::com::TnbMessageServerProxy::ServerShutdown, &app,
                         &QCoreApplication::quit, Qt::QueuedConnection);
        QDBusServiceWatcher watcher(QStringLiteral("org.nimbra.Transmit"),
                                    QDBusConnection::sessionBus(),
                                    QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &app,
                         &QCoreApplication::quit);
        server.login(name);
        server.registerMenuItem(name + QStringLiteral(" Settings"));
        return QCoreApplication::exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "options_test_plugin: %s\n", e.what());
        return 1;
    }
}
