#include "controlcommands.h"

#include <optional>

#include <QRegularExpression>

#include "commandargs.h"
#include "enginetext.h"
#include "simoptions.h"
#include "simulator.h"

namespace mcsim {
namespace {

using simkit::HexBytes;
using simkit::MessageBytes;

const QString kUsage =
    QStringLiteral("commands: deliver FROM TO TEXT..., drop, raw HEX, stats, quit");

// A message text for standard CIMD2, which carries every character: the engine's text,
// "_UCS2_" text when the code page cannot hold it.
std::string EngineMessageText(const QString& text) {
    return nimbra::EngineText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                  static_cast<std::size_t>(text.size())));
}

}  // namespace

ControlCommands::Answer ControlCommands::Execute(const QByteArray& line) {
    const auto [command, rest] = Split(line);
    if (command.isEmpty())
        return {};

    if (command == QLatin1String("deliver")) {
        static const QRegularExpression kDeliver(QStringLiteral("^(\\S+)\\s+(\\S+)(?:\\s(.*))?$"));
        const QRegularExpressionMatch parts = kDeliver.match(rest);
        if (!parts.hasMatch())
            return Error(QStringLiteral("usage: deliver FROM TO TEXT..."));
        const bool standard =
            simulator_.options().framed && simulator_.options().protocol == QLatin1String("cimd");
        const QString text = parts.captured(3);
        const int reached =
            simulator_.Deliver(MessageBytes(parts.captured(1)), MessageBytes(parts.captured(2)),
                               standard ? EngineMessageText(text) : MessageBytes(text));
        if (reached == 0)
            return Error(QStringLiteral("no logged-in connection took the message"));
        return Ok(QStringLiteral("delivered to %1 connections").arg(reached));
    }
    if (command == QLatin1String("raw")) {
        const std::optional<QByteArray> bytes = HexBytes(rest);
        if (!bytes)
            return Error(QStringLiteral("usage: raw HEX (pairs of hex digits)"));
        const int reached = simulator_.SendRaw(std::string_view(bytes->constData(), bytes->size()));
        return Ok(
            QStringLiteral("sent %1 bytes to %2 connections").arg(bytes->size()).arg(reached));
    }
    if (!rest.isEmpty())
        return Error(QStringLiteral("%1 takes no arguments").arg(command));
    if (command == QLatin1String("drop"))
        return Ok(QStringLiteral("dropped %1 connections").arg(simulator_.DropAll()));
    if (command == QLatin1String("stats")) {
        const SimStats& stats = simulator_.stats();
        return Ok(
            QStringLiteral("connections=%1 logins=%2 submits=%3 reports=%4 delivers=%5 acks=%6")
                .arg(simulator_.connectionCount())
                .arg(stats.logins)
                .arg(stats.submits)
                .arg(stats.reports)
                .arg(stats.delivers)
                .arg(stats.acks));
    }
    if (command == QLatin1String("quit"))
        return {QStringLiteral("ok quitting"), true};
    return Error(QStringLiteral("unknown command \"%1\"; %2").arg(command, kUsage));
}

}  // namespace mcsim
