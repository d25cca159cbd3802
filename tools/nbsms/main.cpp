// nbsms: sends messages through the running engine, watches its events, reads, deletes and
// resends stored messages, starts and stops the server, and administers the engine (folders,
// devices, plugins, options, language) from the command line. It never starts the engine
// itself.

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include "commandline.h"
#include "commands.h"
#include "output.h"
#include "transmitengine.h"
#include "transmiterror.h"

namespace {

// Runs the command on the engine of the session bus; gives the exit code.
int RunOnSessionBus(const nbsms::Invocation& invocation) {
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
                                       invocation.request);
    } catch (const nimbra::com::TransmitError& e) {
        nbsms::PrintProblem(e.text());
        return nbsms::kExitFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nbsms"));
    const nbsms::Invocation invocation = nbsms::ParseCommandLine(QCoreApplication::arguments());
    if (invocation.help) {
        const QString help =
            invocation.command ? nbsms::CommandHelpText(*invocation.command) : nbsms::HelpText();
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return nbsms::kExitOk;
    }
    if (!invocation.error.isEmpty()) {
        nbsms::PrintProblem(invocation.error +
                            QStringLiteral(" (nbsms --help lists the commands)"));
        return nbsms::kExitUsage;
    }
    const int exitCode = RunOnSessionBus(invocation);
    // Qt's D-Bus thread would still take apart what comes in (the bus's own notices) while
    // the program's statics are destroyed, and warn about types it no longer knows. Nothing
    // is left to do: the output is written out and the program ends here.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(exitCode);
}
