#pragma once
// The engine's place on the session bus, which is also its single-instance guard: the engine
// that owns the bus name org.nimbra.Transmit is the running one. A second start finds the name
// owned, asks the running engine to come forward (Activate) and ends.

#include <functional>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QString>

#include "rootobject.h"

namespace nimbra {

inline constexpr char kTransmitBusName[] = "org.nimbra.Transmit";
inline constexpr char kTransmitRootPath[] = "/org/nimbra/Transmit";
inline constexpr char kTransmitServerInterface[] = "org.nimbra.Transmit.Server";

class EngineBus {
public:
    enum class Claim {
        Owned,       // this process is the engine now
        HandedOver,  // another engine runs; it was asked to come forward
        NoBus,       // the bus cannot be reached; see error
        Refused,     // the bus refused the object or the name; see error
    };

    // Uses the session bus (DBUS_SESSION_BUS_ADDRESS).
    EngineBus();
    // Uses the given connection; for a bus other than the session bus.
    explicit EngineBus(const QDBusConnection& connection);
    ~EngineBus();
    EngineBus(const EngineBus&) = delete;
    EngineBus& operator=(const EngineBus&) = delete;

    // Registers the root object and asks for the bus name without queueing. On HandedOver a
    // failed Activate call is described in error too (the other engine still runs).
    Claim ClaimName(QString& error);

    TransmitRootObject& Root() { return root_; }
    const QDBusConnection& Connection() const { return connection_; }
    // Broadcasts EngineClosing() from the root object.
    // Sends EngineClosing and gives up the name; the blocking call returns only after the
    // signal queued before it has left, so the signal is not lost when the process ends.
    void EmitEngineClosing() {
        emit root_.EngineClosing();
        connection_.interface()->unregisterService(QString::fromLatin1(kTransmitBusName));
    }

private:
    QString HandOver();

    QDBusConnection connection_;
    TransmitRootObject root_;
    bool registered_ = false;
};

}  // namespace nimbra
