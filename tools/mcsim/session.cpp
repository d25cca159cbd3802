#include "session.h"

#include <QTcpSocket>

namespace mcsim {

Session::Session(QTcpSocket* socket, int number, SessionContext& context, QObject* parent)
    : QObject(parent), context_(context), socket_(socket), number_(number) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, &Session::ReadAvailable);
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        Note(QStringLiteral("connection closed"));
        emit finished();
    });
}

bool Session::SendRaw(std::string_view bytes) {
    return Send(bytes);
}

void Session::Close() {
    if (socket_->state() != QAbstractSocket::UnconnectedState)
        socket_->disconnectFromHost();
}

bool Session::Send(std::string_view bytes) {
    if (socket_->state() != QAbstractSocket::ConnectedState)
        return false;
    context_.log.Packet(number_, simkit::PacketLog::Direction::Sent, Readable(bytes));
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    return true;
}

void Session::LogReceived(std::string_view bytes) {
    context_.log.Packet(number_, simkit::PacketLog::Direction::Received, Readable(bytes));
}

void Session::Note(const QString& text) {
    context_.log.Note(number_, text);
}

void Session::ReadAvailable() {
    const QByteArray bytes = socket_->readAll();
    Received(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace mcsim
