#pragma once
// Control commands over TCP on the loopback address, for tests and scripts: any number of
// connections, each sending command lines and reading the answer lines.

#include <QObject>
#include <QString>

class QTcpServer;

namespace simkit {

class CommandSet;

class ControlPort : public QObject {
    Q_OBJECT
public:
    explicit ControlPort(CommandSet& commands, QObject* parent = nullptr);

    // False with `error` set when the port cannot be had; 0 takes a free port.
    bool Listen(quint16 port, QString& error);
    quint16 port() const;

signals:
    // A quit command was answered.
    void quitRequested();

private:
    void Accept();

    CommandSet& commands_;
    QTcpServer* server_;
};

}  // namespace simkit
