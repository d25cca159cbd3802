#include "controlport.h"

#include <memory>

#include <QTcpServer>
#include <QTcpSocket>

#include "commandset.h"
#include "controllines.h"

namespace simkit {

ControlPort::ControlPort(CommandSet& commands, QObject* parent)
    : QObject(parent), commands_(commands), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &ControlPort::Accept);
}

bool ControlPort::Listen(quint16 port, QString& error) {
    if (server_->listen(QHostAddress::LocalHost, port))
        return true;
    error = QStringLiteral("cannot listen for control on port %1: %2")
                .arg(port)
                .arg(server_->errorString());
    return false;
}

quint16 ControlPort::port() const {
    return server_->serverPort();
}

void ControlPort::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        auto lines = std::make_shared<ControlLines>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, lines] {
            bool quit = false;
            socket->write(commands_.ExecuteAll(lines->Append(socket->readAll()), quit));
            if (quit) {
                socket->flush();
                emit quitRequested();
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace simkit
