#pragma once
// The listening side of the simulator: accepts driver connections, gives each one a session
// of the protocol spoken, and carries out the control commands on all of them.

#include <functional>
#include <string>
#include <string_view>

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include "session.h"

class QTcpServer;
class QTcpSocket;

namespace mcsim {

using SessionFactory =
    std::function<Session*(QTcpSocket* socket, int number, SessionContext& context)>;

class Simulator : public QObject {
    Q_OBJECT
public:
    Simulator(SessionContext context, SessionFactory factory, QObject* parent = nullptr);

    // False with `error` set when the port cannot be had.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 port() const;

    // Each returns the number of connections reached.
    int Deliver(const std::string& from, const std::string& to, const std::string& text);
    int SendRaw(std::string_view bytes);
    int DropAll();

    int connectionCount() const { return static_cast<int>(sessions_.size()); }
    const SimStats& stats() const { return context_.stats; }
    const SimOptions& options() const { return context_.options; }

private:
    void Accept();

    SessionContext context_;
    SessionFactory factory_;
    QTcpServer* server_;
    QList<Session*> sessions_;
    int lastNumber_ = 0;
};

}  // namespace mcsim
