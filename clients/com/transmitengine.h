#pragma once
// The running engine as a client finds it on a bus: the owner of org.nimbra.Transmit. A
// client attaches to it, or starts the engine of its home and waits for it, and then creates
// its objects there. Calls and events go to and come from that one engine process (its
// unique connection name), never to an engine started later in its place.

#include <chrono>

#include <QDBusConnection>
#include <QString>

namespace nimbra::com {

inline constexpr char kEngineBusName[] = "org.nimbra.Transmit";
inline constexpr char kEngineRootPath[] = "/org/nimbra/Transmit";

// The object classes the engine creates.
inline constexpr char kMessageServerClass[] = "nbMessageServer";
inline constexpr char kSmsPhoneClass[] = "nbSMSPhone";
inline constexpr char kEasySmsClass[] = "nbEasySMS";
inline constexpr char kServiceControlClass[] = "nbServiceControl";

inline constexpr std::chrono::milliseconds kEngineStartTimeout = std::chrono::seconds(10);

class TransmitEngine {
public:
    // Whether an engine owns the bus name on connection now (false without a bus).
    static bool IsRunning(const QDBusConnection& connection = QDBusConnection::sessionBus());
    // The engine running on connection. Throws TransmitError when the bus cannot be reached
    // or no engine runs.
    static TransmitEngine Attach(const QDBusConnection& connection = QDBusConnection::sessionBus());
    // The running engine; when none runs, starts `transmit` of the engine home (home, else
    // $NIMBRA_HOME) on its own and waits up to timeout for it to take the bus name. The
    // started engine joins the session bus of this process's environment, so connection
    // should be that bus. Throws TransmitError when no engine could be reached.
    static TransmitEngine AttachOrStart(
        const QDBusConnection& connection = QDBusConnection::sessionBus(),
        const QString& home = QString(), std::chrono::milliseconds timeout = kEngineStartTimeout);

    const QDBusConnection& connection() const { return connection_; }
    // The engine's unique connection name.
    const QString& uniqueName() const { return uniqueName_; }

    // A new object of className (one of the class names above) owned by this client; gives
    // its path. Throws TransmitError.
    QString CreateObject(const QString& className) const;

private:
    TransmitEngine(const QDBusConnection& connection, const QString& uniqueName);

    QDBusConnection connection_;
    QString uniqueName_;
};

}  // namespace nimbra::com
