#include "packetlog.h"

#include <cstdio>

#include <QDateTime>

namespace simkit {

bool PacketLog::OpenFile(const QString& path, QString& error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file->errorString());
        return false;
    }
    file_ = std::move(file);
    return true;
}

void PacketLog::Packet(int connection, Direction direction, const QString& readable) {
    Write(connection, direction == Direction::Received ? "->" : "<-", readable);
}

void PacketLog::Note(int connection, const QString& text) {
    Write(connection, "--", text);
}

void PacketLog::Write(int connection, const char* marker, const QString& text) {
    const QByteArray line =
        QStringLiteral("%1 #%2 %3 %4\n")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
            .arg(connection)
            .arg(QLatin1String(marker), text)
            .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
    if (file_) {
        file_->write(line);
        file_->flush();
    }
}

}  // namespace simkit
