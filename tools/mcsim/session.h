#pragma once
// One driver connection of the simulator. The protocol half (CIMD2, ...) derives from it: it
// reads what comes in, answers it and builds the messages the control commands send; this
// base owns the socket, numbers the connection and logs what goes out.

#include <string>
#include <string_view>

#include <QObject>
#include <QString>

#include "packetlog.h"

class QTcpSocket;

namespace mcsim {

struct SimOptions;
class UniqueTimestamps;

struct SimStats {
    int logins = 0;
    int submits = 0;
    int reports = 0;
    int delivers = 0;
    int acks = 0;  // the driver's answers to incoming messages and status reports
};

// What every connection of a run shares.
struct SessionContext {
    const SimOptions& options;
    simkit::PacketLog& log;
    SimStats& stats;
    UniqueTimestamps& timestamps;
};

class Session : public QObject {
    Q_OBJECT
public:
    // Takes over `socket`, which is connected.
    Session(QTcpSocket* socket, int number, SessionContext& context, QObject* parent = nullptr);

    int number() const { return number_; }
    virtual bool loggedIn() const = 0;
    // Sends an incoming message; `text` is single-byte code-page text. False when the
    // connection is closing.
    virtual bool Deliver(const std::string& from, const std::string& to,
                         const std::string& text) = 0;
    // Sends the bytes as they are; false when the connection is closing.
    bool SendRaw(std::string_view bytes);
    // Closes the connection once what was sent is written.
    void Close();

signals:
    // The connection is closed; the session may be deleted.
    void finished();

protected:
    // Bytes as they came in, in the order they came.
    virtual void Received(std::string_view bytes) = 0;
    // A packet in readable form for the log.
    virtual QString Readable(std::string_view bytes) const = 0;

    // False (nothing sent) when the connection is closing.
    bool Send(std::string_view bytes);
    void LogReceived(std::string_view bytes);
    void Note(const QString& text);

    SessionContext& context_;

private:
    void ReadAvailable();

    QTcpSocket* socket_;
    int number_;
};

}  // namespace mcsim
