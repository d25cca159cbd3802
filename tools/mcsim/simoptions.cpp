#include "simoptions.h"

#include <QCommandLineParser>

#include "codepage.h"
#include "options.h"
#include "smpppdu.h"

namespace mcsim {
namespace {

using simkit::Flag;
using simkit::PortNumber;
using simkit::Valued;

constexpr quint16 kCimdPort = 6000;
constexpr quint16 kSmppPort = 9876;

bool IsSmpp(const QString& protocol) {
    return protocol == QLatin1String("smpp");
}

// An error code as it goes into a packet. CIMD2: one or more decimal digits. SMPP: a
// command_status other than 0, decimal or 0x hexadecimal.
bool IsCode(const QString& protocol, const QString& text) {
    if (IsSmpp(protocol)) {
        const std::optional<std::uint32_t> status = smpp::ParseStatus(text.toStdString());
        return status && *status != smpp::kStatusOk;
    }
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

}  // namespace

ParsedOptions ParseSimOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A message centre for tests and demos, in CIMD2 or SMPP 3.4. It accepts driver\n"
        "connections, answers logins (binds), submits and keepalives, and sends status reports\n"
        "(delivery receipts). Control commands, one a line, on stdin or on the control port,\n"
        "each answered by one line \"ok ...\" or \"error ...\":\n"
        "  deliver FROM TO TEXT...  an incoming message to every logged-in connection\n"
        "                           (SMPP: bound as receiver or transceiver)\n"
        "  drop                     close every connection\n"
        "  raw HEX                  send these bytes as they are to every connection\n"
        "  stats                    connections=N logins=N submits=N reports=N delivers=N acks=N\n"
        "  quit                     end the program"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption protocol =
        Valued("protocol", "The protocol spoken: cimd (default) or smpp.", "name", "cimd");
    const QCommandLineOption listen =
        Valued("listen", "Address to listen on (default 127.0.0.1).", "addr", "127.0.0.1");
    const QCommandLineOption port =
        Valued("port", "Port to listen on (default 6000, for smpp 9876; 0: a free port).", "n");
    const QCommandLineOption controlPort = Valued(
        "control-port", "Loopback port for control commands (default 0: a free port).", "n", "0");
    const QCommandLineOption stx =
        Flag("stx",
             "CIMD2: speak standard CIMD2 (STX, packet, hex checksum, ETX; no prompts) and log "
             "the text of every submitted message.");
    const QCommandLineOption user = Valued("user", "Accept only this user (default: any).", "u");
    const QCommandLineOption password =
        Valued("password", "Accept only this password (default: any).", "p");
    const QCommandLineOption loginError = Valued(
        "login-error", "Refuse every login with this error code (smpp: also 0x hex).", "code");
    const QCommandLineOption loginNack = Flag("login-nack", "Answer logins with a nack.");
    const QCommandLineOption noLoginAnswer = Flag("no-login-answer", "Leave logins unanswered.");
    const QCommandLineOption noGreeting =
        Flag("no-greeting", "CIMD2: send no greeting on connect.");
    const QCommandLineOption submitError = Valued(
        "submit-error", "Refuse every submit with this error code (smpp: also 0x hex).", "code");
    const QCommandLineOption noSubmitAnswer = Flag("no-submit-answer", "Leave submits unanswered.");
    const QCommandLineOption submitNack = Flag("submit-nack", "Answer submits with a nack.");
    const QCommandLineOption generalError =
        Flag("general-error", "Answer submits with a general error.");
    const QCommandLineOption noReport =
        Flag("no-report", "Send no status reports (delivery receipts).");
    const QCommandLineOption reportDelay =
        Valued("report-delay", "Milliseconds from a submit to its status report (default 300).",
               "ms", "300");
    const QCommandLineOption reportStatus =
        Valued("report-status", "CIMD2: the status code of status reports (default 4, delivered).",
               "code", "4");
    const QCommandLineOption silentAlive = Flag("silent-alive", "Leave keepalives unanswered.");
    const QCommandLineOption reply =
        Valued("reply",
               "smpp: answer every accepted submit with a message of this text from its "
               "recipient, a moment after its status report.",
               "text");
    const QCommandLineOption log =
        Valued("log", "Also write every packet in and out to this file.", "file");
    parser.addOptions({protocol,   listen,      port,           controlPort, stx,
                       user,       password,    loginError,     loginNack,   noLoginAnswer,
                       noGreeting, submitError, noSubmitAnswer, submitNack,  generalError,
                       noReport,   reportDelay, reportStatus,   silentAlive, reply,
                       log});

    ParsedOptions parsed;
    SimOptions& options = parsed.options;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help))
        parser.showHelp();
    if (!parser.positionalArguments().isEmpty()) {
        parsed.error = QStringLiteral("unexpected argument \"%1\"")
                           .arg(parser.positionalArguments().constFirst());
        return parsed;
    }

    options.protocol = parser.value(protocol);
    if (!options.listen.setAddress(parser.value(listen))) {
        parsed.error =
            QStringLiteral("--listen wants an IP address, not \"%1\"").arg(parser.value(listen));
        return parsed;
    }
    const std::optional<quint16> portNumber =
        parser.isSet(port)
            ? PortNumber(parser.value(port))
            : std::optional<quint16>(IsSmpp(options.protocol) ? kSmppPort : kCimdPort);
    const std::optional<quint16> controlPortNumber = PortNumber(parser.value(controlPort));
    if (!portNumber || !controlPortNumber) {
        parsed.error = QStringLiteral("--port and --control-port want a number 0 to 65535");
        return parsed;
    }
    options.port = *portNumber;
    options.controlPort = *controlPortNumber;
    bool delayOk = false;
    options.reportDelayMs = parser.value(reportDelay).toInt(&delayOk);
    if (!delayOk || options.reportDelayMs < 0) {
        parsed.error = QStringLiteral("--report-delay wants a number of milliseconds");
        return parsed;
    }
    if (!IsCode(QStringLiteral("cimd"), parser.value(reportStatus))) {
        parsed.error = QStringLiteral("--report-status wants a numeric status code");
        return parsed;
    }
    options.reportStatus = parser.value(reportStatus).toStdString();
    for (const QCommandLineOption* code : {&loginError, &submitError}) {
        if (parser.isSet(*code) && !IsCode(options.protocol, parser.value(*code))) {
            parsed.error = QStringLiteral("--%1 wants a numeric error code%2")
                               .arg(code->names().constFirst(),
                                    IsSmpp(options.protocol)
                                        ? QStringLiteral(" other than 0 (decimal or 0x hex)")
                                        : QString());
            return parsed;
        }
    }

    options.framed = parser.isSet(stx);
    if (parser.isSet(user))
        options.user = nimbra::Utf8ToAnsi(parser.value(user).toStdString());
    if (parser.isSet(password))
        options.password = nimbra::Utf8ToAnsi(parser.value(password).toStdString());
    options.loginError = parser.value(loginError).toStdString();
    options.loginNack = parser.isSet(loginNack);
    options.noLoginAnswer = parser.isSet(noLoginAnswer);
    options.noGreeting = parser.isSet(noGreeting);
    options.submitError = parser.value(submitError).toStdString();
    options.noSubmitAnswer = parser.isSet(noSubmitAnswer);
    options.submitNack = parser.isSet(submitNack);
    options.generalError = parser.isSet(generalError);
    options.noReport = parser.isSet(noReport);
    options.silentAlive = parser.isSet(silentAlive);
    options.reply = nimbra::Utf8ToAnsi(parser.value(reply).toStdString());
    options.logFile = parser.value(log);
    return parsed;
}

}  // namespace mcsim
