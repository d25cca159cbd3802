#include "simulator.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace mcsim {

Simulator::Simulator(SessionContext context, SessionFactory factory, QObject* parent)
    : QObject(parent),
      context_(context),
      factory_(std::move(factory)),
      server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &Simulator::Accept);
}

bool Simulator::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (server_->listen(address, port))
        return true;
    error = QStringLiteral("cannot listen on %1 port %2: %3")
                .arg(address.toString())
                .arg(port)
                .arg(server_->errorString());
    return false;
}

quint16 Simulator::port() const {
    return server_->serverPort();
}

int Simulator::Deliver(const std::string& from, const std::string& to, const std::string& text) {
    int reached = 0;
    for (Session* session : sessions_) {
        if (session->loggedIn() && session->Deliver(from, to, text))
            ++reached;
    }
    return reached;
}

int Simulator::SendRaw(std::string_view bytes) {
    int reached = 0;
    for (Session* session : sessions_) {
        if (session->SendRaw(bytes))
            ++reached;
    }
    return reached;
}

int Simulator::DropAll() {
    // Closing may finish a session at once, which takes it out of the list.
    const QList<Session*> sessions = sessions_;
    for (Session* session : sessions)
        session->Close();
    return static_cast<int>(sessions.size());
}

void Simulator::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        const int number = ++lastNumber_;
        context_.log.Note(number, QStringLiteral("connected from %1 port %2")
                                      .arg(socket->peerAddress().toString())
                                      .arg(socket->peerPort()));
        Session* session = factory_(socket, number, context_);
        session->setParent(this);
        sessions_.append(session);
        connect(session, &Session::finished, this, [this, session] {
            sessions_.removeOne(session);
            session->deleteLater();
        });
    }
}

}  // namespace mcsim
