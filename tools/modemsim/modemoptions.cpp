#include "modemoptions.h"

#include <QCommandLineParser>

#include "atline.h"
#include "codepage.h"
#include "options.h"

namespace modemsim {
namespace {

using simkit::Flag;
using simkit::Valued;

const char kDescription[] =
    "A GSM modem on a pseudo-terminal, for tests and demos. It answers the AT commands of the\n"
    "GSM driver in PDU or text mode, takes messages with AT+CMGS (\"+CMGS: n\", and a status\n"
    "report a moment later when the message asks for one), and keeps incoming messages and\n"
    "status reports in its memories SM, ME and MT for AT+CMGR, AT+CMGL and AT+CMGD. The first\n"
    "lines on stdout are \"modem on DEVICE\" (the terminal device to open as the serial port)\n"
    "and \"control on PORT\"; then every byte both ways. Control commands, one a line, on\n"
    "stdin or on the control port, each answered by one line \"ok ...\" or \"error ...\":\n"
    "  deliver FROM TEXT...      store an incoming message (a long text as concatenated\n"
    "                            parts); FROM is a number or a name of letters\n"
    "  report [REF [STATUS]]     a status report (default status 0) for the message sent with\n"
    "                            reference REF (default: the last one sent)\n"
    "  store [LINE...]           a slot whose AT+CMGR shows LINE as it is in place of a PDU;\n"
    "                            without LINE a slot whose answer has no line after its header\n"
    "  raw HEX                   send these bytes to the driver as they are\n"
    "  noise N                   send N bytes of printable junk without a line end\n"
    "  fault KIND [PREFIX [N]]   from now on: KIND none, silent, error, cms:CODE or garbage,\n"
    "                            for command lines that begin with PREFIX (\"*\": all), for the\n"
    "                            next N of them (default: all)\n"
    "  delay MS                  answer every command MS milliseconds late\n"
    "  signal N, registration N  what AT+CSQ and AT+CREG? answer\n"
    "  unplug                    close the terminal (the driver's port hangs up)\n"
    "  plug                      a new terminal (printed as \"modem on DEVICE\", the link moved)\n"
    "  sent [N]                  the Nth message sent (default: the last): reference, recipient,\n"
    "                            status report asked, part, coding, length, milliseconds since\n"
    "                            start, text\n"
    "  stats                     port=open|closed|unplugged opens commands submits delivers\n"
    "                            reports reads deletes stored\n"
    "  quit                      end the program";

bool ReadCount(const QCommandLineParser& parser, const QCommandLineOption& option, int min, int max,
               int& value, QString& error) {
    if (!parser.isSet(option))
        return true;
    if (ParseNumber(parser.value(option).toStdString(), min, max, value))
        return true;
    error = QStringLiteral("--%1 wants a number %2 to %3")
                .arg(option.names().constFirst())
                .arg(min)
                .arg(max);
    return false;
}

std::string Ansi(const QString& text) {
    return nimbra::Utf8ToAnsi(text.toStdString());
}

bool ReadCnmi(const QString& text, std::array<int, 5>& cnmi) {
    static constexpr std::array<int, 5> kMax = {3, 3, 3, 2, 1};
    const QStringList values = text.split(QLatin1Char(','));
    if (values.size() != 5)
        return false;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!ParseNumber(values[i].toStdString(), 0, kMax[at], cnmi[at]))
            return false;
    }
    return true;
}

}  // namespace

ParsedModemOptions ParseModemOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption link =
        Valued("link", "Also make PATH a symbolic link to the terminal device.", "path");
    const QCommandLineOption controlPort = Valued(
        "control-port", "Loopback port for control commands (default 0: a free port).", "n", "0");
    const QCommandLineOption log =
        Valued("log", "Also write every byte in and out to this file.", "file");
    const QCommandLineOption noEcho = Flag("no-echo", "Start without echo (as after ATE0).");
    const QCommandLineOption textMode =
        Flag("text-mode", "Start in text mode (as after AT+CMGF=1).");
    const QCommandLineOption formats =
        Valued("formats",
               "Message formats offered by AT+CMGF: pdu, text, both (default) or none (a "
               "device without short messages).",
               "which", "both");
    const QCommandLineOption smsc =
        Valued("smsc", "Service centre number (default +36209000000).", "number");
    const QCommandLineOption simSlots =
        Valued("sim-slots", "Slots of the SIM memory SM (default 20).", "n");
    const QCommandLineOption phoneSlots =
        Valued("phone-slots", "Slots of the phone memory ME (default 30).", "n");
    const QCommandLineOption firstIndex = Valued(
        "first-index", "Index of the first slot of each memory (default 1; 900 for some).", "n");
    const QCommandLineOption store =
        Valued("store",
               "Memory for incoming messages and reports: SM, ME or MT (default: the one AT+CPMS "
               "chose for reading).",
               "memory");
    const QCommandLineOption emptySlot = Valued(
        "empty-slot",
        "AT+CMGR of an empty slot answers: error (+CMS ERROR: 321, default), ok (OK alone) or "
        "zero (+CMGR: 0,,0 and OK).",
        "answer", "error");
    const QCommandLineOption manufacturer =
        Valued("manufacturer", "What AT+GMI and AT+CGMI answer.", "text");
    const QCommandLineOption model =
        Valued("model", "What AT+GMM, AT+CGMM and ATI answer.", "text");
    const QCommandLineOption revision = Valued("revision", "What AT+GMR answers.", "text");
    const QCommandLineOption signal =
        Valued("signal", "Signal quality AT+CSQ answers, 0-31 or 99 (default 24).", "n");
    const QCommandLineOption registration =
        Valued("registration", "Registration status AT+CREG? answers, 0-5 (default 1).", "n");
    const QCommandLineOption cnmi = Valued(
        "cnmi",
        "AT+CNMI at start and after ATZ (default 0,0,0,0,0); e.g. 1,1,0,2,0 announces stored "
        "messages with +CMTI and stored status reports with +CDSI.",
        "m,mt,bm,ds,bfr");
    const QCommandLineOption reportDelay = Valued(
        "report-delay", "Milliseconds from a submit to its status report (default 300).", "ms");
    const QCommandLineOption noReport =
        Flag("no-report", "Make no status reports by themselves (the report command still does).");
    const QCommandLineOption reply =
        Valued("reply",
               "Answer every sent message (its last part) with a message of this text from its "
               "recipient, a report delay after its status report.",
               "text");
    const QCommandLineOption firstReference =
        Valued("first-reference", "Reference of the first message sent, 1-255 (default 1).", "n");
    const QCommandLineOption fault =
        Valued("fault", "Fault at start: none, silent, error, cms:CODE or garbage (default none).",
               "kind", "none");
    const QCommandLineOption faultOn =
        Valued("fault-on", "Only command lines beginning with this (e.g. AT+CMGS) get the fault.",
               "prefix");
    const QCommandLineOption faultCount =
        Valued("fault-count", "Only the next N such command lines get the fault.", "n");
    const QCommandLineOption speed =
        Valued("speed",
               "Hear the driver only while its end of the terminal is set to this speed in baud "
               "(default: any speed).",
               "baud");
    const QCommandLineOption delay =
        Valued("delay", "Answer every command this many milliseconds late.", "ms");
    parser.addOptions(
        {link,           controlPort, log,          noEcho,     textMode,    formats,      smsc,
         simSlots,       phoneSlots,  firstIndex,   store,      emptySlot,   manufacturer, model,
         revision,       signal,      registration, cnmi,       reportDelay, noReport,     reply,
         firstReference, fault,       faultOn,      faultCount, delay,       speed});

    ParsedModemOptions parsed;
    ModemOptions& options = parsed.options;
    ModemSettings& modem = options.modem;
    QString& error = parsed.error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help))
        parser.showHelp();
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument \"%1\"")
                    .arg(parser.positionalArguments().constFirst());
        return parsed;
    }
    const std::optional<quint16> port = simkit::PortNumber(parser.value(controlPort));
    if (!port) {
        error = QStringLiteral("--control-port wants a number 0 to 65535");
        return parsed;
    }
    options.controlPort = *port;
    options.link = parser.value(link);
    options.logFile = parser.value(log);

    modem.echo = !parser.isSet(noEcho);
    modem.pduMode = !parser.isSet(textMode);
    const QString offered = parser.value(formats);
    if (offered != QLatin1String("both") && offered != QLatin1String("pdu") &&
        offered != QLatin1String("text") && offered != QLatin1String("none")) {
        error = QStringLiteral("--formats wants pdu, text, both or none");
        return parsed;
    }
    modem.offersPdu = offered == QLatin1String("both") || offered == QLatin1String("pdu");
    modem.offersText = offered == QLatin1String("both") || offered == QLatin1String("text");
    if (parser.isSet(smsc))
        modem.serviceCentre = Ansi(parser.value(smsc));
    if (!ReadCount(parser, simSlots, 0, 1000, modem.simSlots, error) ||
        !ReadCount(parser, phoneSlots, 0, 1000, modem.phoneSlots, error) ||
        !ReadCount(parser, firstIndex, 0, 9000, modem.firstIndex, error) ||
        !ReadCount(parser, signal, 0, 99, modem.signal, error) ||
        !ReadCount(parser, registration, 0, 5, modem.registration, error) ||
        !ReadCount(parser, reportDelay, 0, 3600000, modem.reportDelayMs, error) ||
        !ReadCount(parser, firstReference, 1, 255, modem.firstReference, error) ||
        !ReadCount(parser, faultCount, 1, 1000000, modem.fault.remaining, error) ||
        !ReadCount(parser, delay, 0, 3600000, modem.delayMs, error) ||
        !ReadCount(parser, speed, 0, 4000000, modem.lineSpeed, error)) {
        return parsed;
    }
    if (parser.isSet(store)) {
        modem.storeIn = ParseMemory(parser.value(store).toStdString());
        if (!modem.storeIn) {
            error = QStringLiteral("--store wants SM, ME or MT");
            return parsed;
        }
    }
    const QString empty = parser.value(emptySlot);
    if (empty == QLatin1String("ok")) {
        modem.emptySlot = EmptySlot::kOk;
    } else if (empty == QLatin1String("zero")) {
        modem.emptySlot = EmptySlot::kZero;
    } else if (empty != QLatin1String("error")) {
        error = QStringLiteral("--empty-slot wants error, ok or zero");
        return parsed;
    }
    if (parser.isSet(manufacturer))
        modem.manufacturer = Ansi(parser.value(manufacturer));
    if (parser.isSet(model))
        modem.model = Ansi(parser.value(model));
    if (parser.isSet(revision))
        modem.revision = Ansi(parser.value(revision));
    if (parser.isSet(cnmi) && !ReadCnmi(parser.value(cnmi), modem.cnmi)) {
        error = QStringLiteral("--cnmi wants five numbers such as 1,1,0,2,0");
        return parsed;
    }
    modem.reports = !parser.isSet(noReport);
    modem.reply = Ansi(parser.value(reply));
    const std::optional<Fault::Kind> kind =
        ParseFaultKind(parser.value(fault).toStdString(), modem.fault.code);
    if (!kind) {
        error = QStringLiteral("--fault wants none, silent, error, cms:CODE or garbage");
        return parsed;
    }
    modem.fault.kind = *kind;
    modem.fault.prefix = parser.value(faultOn).toStdString();
    return parsed;
}

}  // namespace modemsim
