// nbsms: sends messages through the running engine, watches its events, reads, deletes and
// resends stored messages, and starts and stops the server, from the command line. It never
// starts the engine itself.

#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include "commandline.h"
#include "commands.h"
#include "output.h"
#include "transmitengine.h"
#include "transmiterror.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nbsms"));
    const nbsms::Invocation invocation = nbsms::ParseCommandLine(QCoreApplication::arguments());
    if (invocation.help) {
        std::fputs(nbsms::HelpText().toLocal8Bit().constData(), stdout);
        return nbsms::kExitOk;
    }
    if (!invocation.error.isEmpty()) {
        nbsms::PrintProblem(invocation.error +
                            QStringLiteral(" (nbsms --help lists the commands)"));
        return nbsms::kExitUsage;
    }

    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        nbsms::PrintProblem(QStringLiteral("cannot reach the D-Bus session bus: %1")
                                .arg(bus.lastError().message()));
        return nbsms::kExitNoEngine;
    }
    if (!nimbra::com::TransmitEngine::IsRunning(bus)) {
        nbsms::PrintProblem(
            QStringLiteral("no engine is running on the session bus (start it with scripts/run)"));
        return nbsms::kExitNoEngine;
    }
    try {
        return invocation.command->run(nimbra::com::TransmitEngine::Attach(bus),
                                       invocation.arguments);
    } catch (const nimbra::com::TransmitError& e) {
        nbsms::PrintProblem(e.text());
        return nbsms::kExitFailed;
    }
}
