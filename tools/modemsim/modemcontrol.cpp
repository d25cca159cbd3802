#include "modemcontrol.h"

#include <QRegularExpression>

#include "atline.h"
#include "codepage.h"
#include "commandargs.h"
#include "modem.h"
#include "modemhost.h"
#include "ptyport.h"
#include "visible.h"

namespace modemsim {
namespace {

using simkit::MessageBytes;

const QString kUsage = QStringLiteral(
    "commands: deliver FROM TEXT..., report [REF [STATUS]], store [LINE...], raw HEX, noise N, "
    "fault KIND [PREFIX [N]], delay MS, signal N, registration N, unplug, plug, sent [N], "
    "stats, quit");

// Printable junk for the noise command: no CR, no LF.
constexpr char kNoise[] = "noise#~*";

QString Utf8(std::string_view text) {
    return QString::fromStdString(nimbra::AnsiToUtf8(text));
}

// A whole number in min..max, or nullopt.
std::optional<int> Number(const QString& text, int min, int max) {
    int value = 0;
    if (!ParseNumber(text.toStdString(), min, max, value))
        return std::nullopt;
    return value;
}

QString Where(const Placement& placement) {
    if (placement.routed)
        return QStringLiteral("shown at once");
    QStringList indexes;
    for (const int index : placement.indexes)
        indexes << QString::number(index);
    return QStringLiteral("stored in %1 at %2")
        .arg(QString::fromLatin1(MemoryName(placement.memory)), indexes.join(QLatin1Char(',')));
}

}  // namespace

ModemControl::Answer ModemControl::Execute(const QByteArray& line) {
    const auto [command, rest] = Split(line);
    if (command.isEmpty())
        return {};
    Answer answer = Run(command, rest);
    host_.Flush();
    return answer;
}

ModemControl::Answer ModemControl::Run(const QString& command, const QString& rest) {
    const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (command == QLatin1String("deliver")) {
        static const QRegularExpression kDeliver(QStringLiteral("^(\\S+)(?:\\s(.*))?$"));
        const QRegularExpressionMatch parts = kDeliver.match(rest);
        if (!parts.hasMatch())
            return Error(QStringLiteral("usage: deliver FROM TEXT..."));
        const Placement placement =
            modem_.Deliver(MessageBytes(parts.captured(1)), MessageBytes(parts.captured(2)));
        if (!placement.error.empty())
            return Error(Utf8(placement.error));
        return Ok(QStringLiteral("%1 %2 %3")
                      .arg(placement.parts)
                      .arg(placement.parts == 1 ? QStringLiteral("part") : QStringLiteral("parts"))
                      .arg(Where(placement)));
    }
    if (command == QLatin1String("report")) {
        const std::optional<int> reference =
            words.size() > 0 ? Number(words[0], 0, 255) : std::optional<int>();
        const std::optional<int> status = words.size() > 1 ? Number(words[1], 0, 255) : 0;
        if (words.size() > 2 || (words.size() > 0 && !reference) || !status)
            return Error(QStringLiteral("usage: report [REF [STATUS]], both 0 to 255"));
        const Placement placement = modem_.Report(reference, *status);
        if (!placement.error.empty())
            return Error(Utf8(placement.error));
        return Ok(QStringLiteral("report %1").arg(Where(placement)));
    }
    if (command == QLatin1String("store")) {
        const Placement placement = modem_.StoreLine(
            rest.isEmpty() ? std::nullopt : std::optional<std::string>(MessageBytes(rest)));
        if (!placement.error.empty())
            return Error(Utf8(placement.error));
        return Ok(QStringLiteral("line %1").arg(Where(placement)));
    }
    if (command == QLatin1String("raw")) {
        const std::optional<QByteArray> bytes = simkit::HexBytes(rest);
        if (!bytes)
            return Error(QStringLiteral("usage: raw HEX (pairs of hex digits)"));
        modem_.SendRaw(std::string_view(bytes->constData(), bytes->size()));
        return Ok(QStringLiteral("%1 bytes").arg(bytes->size()));
    }
    if (command == QLatin1String("noise")) {
        const std::optional<int> count =
            words.size() == 1 ? Number(words[0], 1, 1000000) : std::nullopt;
        if (!count)
            return Error(QStringLiteral("usage: noise N (1 to 1000000 bytes)"));
        std::string noise;
        noise.reserve(static_cast<std::size_t>(*count));
        for (int i = 0; i < *count; ++i)
            noise.push_back(kNoise[static_cast<std::size_t>(i) % (sizeof kNoise - 1)]);
        modem_.SendRaw(noise);
        return Ok(QStringLiteral("%1 bytes").arg(*count));
    }
    if (command == QLatin1String("fault"))
        return SetFault(rest);
    if (command == QLatin1String("sent"))
        return Sent(rest);
    if (command == QLatin1String("delay") || command == QLatin1String("signal") ||
        command == QLatin1String("registration")) {
        const int max = command == QLatin1String("delay")    ? 3600000
                        : command == QLatin1String("signal") ? 99
                                                             : 5;
        const std::optional<int> value =
            words.size() == 1 ? Number(words[0], 0, max) : std::nullopt;
        if (!value)
            return Error(QStringLiteral("usage: %1 N (0 to %2)").arg(command).arg(max));
        if (command == QLatin1String("delay"))
            modem_.SetDelay(*value);
        else if (command == QLatin1String("signal"))
            modem_.SetSignal(*value);
        else
            modem_.SetRegistration(*value);
        return Ok(QStringLiteral("%1 %2").arg(command).arg(*value));
    }
    if (!rest.isEmpty())
        return Error(QStringLiteral("%1 takes no arguments").arg(command));
    if (command == QLatin1String("unplug")) {
        if (!port_.isOpen())
            return Error(QStringLiteral("unplugged already"));
        port_.Close();
        return Ok(QStringLiteral("unplugged"));
    }
    if (command == QLatin1String("plug")) {
        if (port_.isOpen())
            return Error(QStringLiteral("plugged in already"));
        const QString error = plug_();
        if (!error.isEmpty())
            return Error(error);
        return Ok(QStringLiteral("modem on %1").arg(port_.devicePath()));
    }
    if (command == QLatin1String("stats"))
        return Stats();
    if (command == QLatin1String("quit"))
        return {QStringLiteral("ok quitting"), true};
    return Error(QStringLiteral("unknown command \"%1\"; %2").arg(command, kUsage));
}

ModemControl::Answer ModemControl::SetFault(const QString& rest) {
    const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Fault fault;
    const std::optional<Fault::Kind> kind =
        words.isEmpty() ? std::nullopt : ParseFaultKind(words[0].toStdString(), fault.code);
    const std::optional<int> count = words.size() > 2 ? Number(words[2], 1, 1000000) : -1;
    if (!kind || words.size() > 3 || !count)
        return Error(
            QStringLiteral("usage: fault none|silent|error|cms:CODE|garbage [PREFIX [N]]"));
    fault.kind = *kind;
    if (words.size() > 1 && words[1] != QLatin1String("*"))
        fault.prefix = words[1].toStdString();
    fault.remaining = *count;
    modem_.SetFault(fault);
    return Ok(QStringLiteral("fault %1 on %2 for %3")
                  .arg(QString::fromStdString(FaultText(fault)),
                       fault.prefix.empty() ? QStringLiteral("every line")
                                            : QString::fromStdString(fault.prefix),
                       fault.remaining < 0 ? QStringLiteral("ever")
                                           : QStringLiteral("%1 lines").arg(fault.remaining)));
}

ModemControl::Answer ModemControl::Sent(const QString& rest) {
    const std::vector<SentMessage>& sent = modem_.sent();
    const auto count = static_cast<int>(sent.size());
    if (count == 0)
        return Error(QStringLiteral("nothing sent yet"));
    const std::optional<int> number = rest.isEmpty() ? count : Number(rest, 1, count);
    if (!number)
        return Error(QStringLiteral("usage: sent [N], N from 1 to %1").arg(count));
    const SentMessage& message = sent[static_cast<std::size_t>(*number - 1)];
    const Submit& submit = message.submit;
    const auto field = [](const char* name, long long value) {
        return " " + std::string(name) + "=" + std::to_string(value);
    };
    const std::string line =
        std::to_string(*number) + field("ref", message.reference) + " to=" + submit.destination +
        field("report", submit.statusReport ? 1 : 0) + field("part", submit.partIndex) + "/" +
        std::to_string(submit.partCount) + field("dcs", submit.dcs) +
        field("length", submit.tpduLength) + field("ms", message.atMs) +
        " text=" + ControlsEscaped(submit.text);
    return Ok(Utf8(line));
}

ModemControl::Answer ModemControl::Stats() {
    const ModemStats& stats = modem_.stats();
    const QString port = !port_.isOpen()    ? QStringLiteral("unplugged")
                         : port_.peerOpen() ? QStringLiteral("open")
                                            : QStringLiteral("closed");
    return Ok(QStringLiteral("port=%1 opens=%2 commands=%3 submits=%4 delivers=%5 reports=%6 "
                             "reads=%7 deletes=%8 stored=%9")
                  .arg(port)
                  .arg(stats.opens)
                  .arg(stats.commands)
                  .arg(stats.submits)
                  .arg(stats.delivers)
                  .arg(stats.reports)
                  .arg(stats.reads)
                  .arg(stats.deletes)
                  .arg(modem_.storedCount()));
}

}  // namespace modemsim
