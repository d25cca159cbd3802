// mcsim: a message centre for tests, demos and people without an operator account. It
// listens for driver connections, answers them as its options say, and takes control
// commands on stdin and on a loopback control port. The first lines on stdout are
// "listening on PORT" and "control on PORT".

#include <QCoreApplication>

#include "console.h"
#include "controlcommands.h"
#include "controlport.h"
#include "packetlog.h"
#include "protocols.h"
#include "simoptions.h"
#include "simulator.h"
#include "stdincontrol.h"
#include "stopsignals.h"
#include "uniquetimestamps.h"

using simkit::Fail;
using simkit::kExitFailed;
using simkit::kExitUsage;
using simkit::PrintLine;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mcsim"));
    const mcsim::ParsedOptions parsed = mcsim::ParseSimOptions(QCoreApplication::arguments());
    if (!parsed.error.isEmpty())
        return Fail(parsed.error + QStringLiteral(" (mcsim --help lists the options)"), kExitUsage);
    const mcsim::SimOptions& options = parsed.options;
    mcsim::SessionFactory sessions = mcsim::SessionsOf(options.protocol);
    if (!sessions)
        return Fail(QStringLiteral("unknown protocol \"%1\"").arg(options.protocol), kExitUsage);

    QString error;
    simkit::PacketLog log;
    if (!options.logFile.isEmpty() && !log.OpenFile(options.logFile, error))
        return Fail(error, kExitFailed);
    mcsim::SimStats stats;
    mcsim::UniqueTimestamps timestamps;
    mcsim::SessionContext context{options, log, stats, timestamps};
    mcsim::Simulator simulator(context, std::move(sessions));
    if (!simulator.Listen(options.listen, options.port, error))
        return Fail(error, kExitFailed);
    mcsim::ControlCommands commands(simulator);
    simkit::ControlPort controlPort(commands);
    if (!controlPort.Listen(options.controlPort, error))
        return Fail(error, kExitFailed);
    PrintLine(QStringLiteral("listening on %1").arg(simulator.port()));
    PrintLine(QStringLiteral("control on %1").arg(controlPort.port()));

    simkit::StdinControl stdinControl(commands);
    simkit::QuitOnRequest(controlPort, stdinControl);
    const nimbra::StopSignals stopSignals([] { QCoreApplication::quit(); });
    return app.exec();
}
