// modemsim: a GSM modem on a pseudo-terminal for tests, demos and people without a modem. The
// driver opens the terminal device as its serial port; the modem answers as its options say
// and takes control commands on stdin and on a loopback control port. The first lines on
// stdout are "modem on DEVICE" and "control on PORT"; "plug" prints a new "modem on" line.

#include <QCoreApplication>

#include "console.h"
#include "controlport.h"
#include "modem.h"
#include "modemcontrol.h"
#include "modemhost.h"
#include "modemoptions.h"
#include "packetlog.h"
#include "ptyport.h"
#include "stdincontrol.h"
#include "stopsignals.h"
#include "systemclock.h"

using simkit::Fail;
using simkit::kExitFailed;
using simkit::kExitUsage;
using simkit::PrintLine;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("modemsim"));
    const modemsim::ParsedModemOptions parsed =
        modemsim::ParseModemOptions(QCoreApplication::arguments());
    if (!parsed.error.isEmpty()) {
        return Fail(parsed.error + QStringLiteral(" (modemsim --help lists the options)"),
                    kExitUsage);
    }
    const modemsim::ModemOptions& options = parsed.options;

    QString error;
    simkit::PacketLog log;
    if (!options.logFile.isEmpty() && !log.OpenFile(options.logFile, error))
        return Fail(error, kExitFailed);
    modemsim::SystemClock clock;
    modemsim::Modem modem(options.modem, clock);
    modemsim::PtyPort port;
    const auto plug = [&port, &options]() {
        QString failure;
        if (!port.Open(options.link, failure))
            return failure;
        PrintLine(QStringLiteral("modem on %1").arg(port.devicePath()));
        return QString();
    };
    error = plug();
    if (!error.isEmpty())
        return Fail(error, kExitFailed);
    modemsim::ModemHost host(modem, port, clock, log);
    host.SetLineSpeed(options.modem.lineSpeed);
    modemsim::ModemControl commands(modem, host, port, plug);
    simkit::ControlPort controlPort(commands);
    if (!controlPort.Listen(options.controlPort, error))
        return Fail(error, kExitFailed);
    PrintLine(QStringLiteral("control on %1").arg(controlPort.port()));

    simkit::StdinControl stdinControl(commands);
    simkit::QuitOnRequest(controlPort, stdinControl);
    const nimbra::StopSignals stopSignals([] { QCoreApplication::quit(); });
    return app.exec();
}
