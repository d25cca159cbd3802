#include "controlcommands.h"

#include <cctype>
#include <optional>

#include <QRegularExpression>

#include "codepage.h"
#include "simulator.h"
#include "smpppdu.h"

namespace mcsim {
namespace {

const QString kUsage = QStringLiteral(
    "commands: deliver FROM TO TEXT..., drop, raw HEX, throttle N [CODE], stats, quit");

QString Ok(const QString& text) {
    return QStringLiteral("ok ") + text;
}
QString Error(const QString& text) {
    return QStringLiteral("error ") + text;
}

// Hex digits in pairs, blanks between them allowed; nullopt for anything else.
std::optional<QByteArray> HexBytes(const QString& text) {
    QByteArray hex;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        const char digit = c.toLatin1();
        if (!std::isxdigit(static_cast<unsigned char>(digit)))
            return std::nullopt;
        hex += digit;
    }
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return std::nullopt;
    return QByteArray::fromHex(hex);
}

// A message text as the single-byte text drivers exchange: the code page's letters, and the
// Hungarian letters with double acute at their Central European code-page places, which the
// user-data encoding knows.
std::string MessageBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'\u0150':
                bytes += '\xD5';
                break;
            case u'\u0151':
                bytes += '\xF5';
                break;
            case u'\u0170':
                bytes += '\xDB';
                break;
            case u'\u0171':
                bytes += '\xFB';
                break;
            default:
                bytes += nimbra::WideCharToAnsi(c.unicode());
        }
    }
    return bytes;
}

}  // namespace

ControlCommands::Answer ControlCommands::Execute(const QByteArray& line) {
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty())
        return {};
    // The command word and the rest of the line, whose blanks may matter (a message text).
    static const QRegularExpression kWord(QStringLiteral("^(\\S+)\\s*(.*)$"));
    const QRegularExpressionMatch match = kWord.match(text);
    const QString command = match.captured(1);
    const QString rest = match.captured(2);

    if (command == QLatin1String("deliver")) {
        static const QRegularExpression kDeliver(QStringLiteral("^(\\S+)\\s+(\\S+)(?:\\s(.*))?$"));
        const QRegularExpressionMatch parts = kDeliver.match(rest);
        if (!parts.hasMatch())
            return {Error(QStringLiteral("usage: deliver FROM TO TEXT..."))};
        const int reached =
            simulator_.Deliver(MessageBytes(parts.captured(1)), MessageBytes(parts.captured(2)),
                               MessageBytes(parts.captured(3)));
        if (reached == 0)
            return {Error(QStringLiteral("no logged-in connection took the message"))};
        return {Ok(QStringLiteral("delivered to %1 connections").arg(reached))};
    }
    if (command == QLatin1String("raw")) {
        const std::optional<QByteArray> bytes = HexBytes(rest);
        if (!bytes)
            return {Error(QStringLiteral("usage: raw HEX (pairs of hex digits)"))};
        const int reached = simulator_.SendRaw(std::string_view(bytes->constData(), bytes->size()));
        return {
            Ok(QStringLiteral("sent %1 bytes to %2 connections").arg(bytes->size()).arg(reached))};
    }
    if (command == QLatin1String("throttle")) {
        static const QRegularExpression kThrottle(QStringLiteral("^(\\d{1,6})(?:\\s+(\\S+))?$"));
        const QRegularExpressionMatch parts = kThrottle.match(rest);
        const std::optional<std::uint32_t> status =
            parts.hasMatch() && parts.hasCaptured(2)
                ? smpp::ParseStatus(parts.captured(2).toStdString())
                : std::optional<std::uint32_t>(smpp::kStatusThrottled);
        if (!parts.hasMatch() || !status || *status == smpp::kStatusOk)
            return {Error(QStringLiteral("usage: throttle N [CODE] (a status other than 0)"))};
        SimControls& controls = simulator_.controls();
        controls.busySubmits = parts.captured(1).toInt();
        controls.busyStatus = *status;
        return {Ok(QStringLiteral("the next %1 submits get status %2")
                       .arg(controls.busySubmits)
                       .arg(QString::fromStdString(smpp::StatusText(*status))))};
    }
    if (!rest.isEmpty())
        return {Error(QStringLiteral("%1 takes no arguments").arg(command))};
    if (command == QLatin1String("drop"))
        return {Ok(QStringLiteral("dropped %1 connections").arg(simulator_.DropAll()))};
    if (command == QLatin1String("stats")) {
        const SimStats& stats = simulator_.stats();
        return {
            Ok(QStringLiteral("connections=%1 logins=%2 submits=%3 reports=%4 delivers=%5 acks=%6")
                   .arg(simulator_.connectionCount())
                   .arg(stats.logins)
                   .arg(stats.submits)
                   .arg(stats.reports)
                   .arg(stats.delivers)
                   .arg(stats.acks))};
    }
    if (command == QLatin1String("quit"))
        return {Ok(QStringLiteral("quitting")), true};
    return {Error(QStringLiteral("unknown command \"%1\"; %2").arg(command, kUsage))};
}

QByteArray ControlCommands::ExecuteAll(const std::vector<ControlLines::Line>& lines, bool& quit) {
    QByteArray answers;
    for (const ControlLines::Line& line : lines) {
        const Answer answer =
            line.overlong ? Answer{Error(QStringLiteral("line too long"))} : Execute(line.text);
        if (!answer.line.isEmpty())
            answers += answer.line.toUtf8() + '\n';
        if (answer.quit) {
            quit = true;
            break;
        }
    }
    return answers;
}

}  // namespace mcsim
