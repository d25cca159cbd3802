#include "transmitengine.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include "pendingcall.h"
#include "server_proxy.h"
#include "transmiterror.h"

namespace nimbra::com {
namespace {

constexpr int kStartPollMs = 100;

TransmitError Failure(const QString& text) {
    return TransmitError(QString(), text);
}

// Lets the event loop run for a while (or sleeps without an application object).
void Pause(int milliseconds) {
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        QThread::msleep(milliseconds);
    }
}

QString EngineOwner(const QDBusConnection& connection) {
    QDBusConnectionInterface* bus = connection.interface();
    if (!bus)
        return QString();
    const QDBusReply<QString> owner = bus->serviceOwner(QString::fromLatin1(kEngineBusName));
    return owner.isValid() ? owner.value() : QString();
}

void RequireBus(const QDBusConnection& connection) {
    if (!connection.isConnected())
        throw Failure(
            QStringLiteral("cannot reach the D-Bus bus: %1").arg(connection.lastError().message()));
}

// Starts home/transmit on its own, not as a child of this process; gives its process id.
qint64 StartEngine(const QString& home) {
    if (home.isEmpty())
        throw Failure(QStringLiteral(
            "no engine is running and no engine home is known to start one (set NIMBRA_HOME)"));
    const QString program = QDir(home).absoluteFilePath(QStringLiteral("transmit"));
    if (!QFileInfo(program).isExecutable())
        throw Failure(
            QStringLiteral("no engine is running and %1 is not a program to start").arg(program));
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {QStringLiteral("--home"), QDir(home).absolutePath()},
                                 home, &pid))
        throw Failure(QStringLiteral("cannot start the engine %1").arg(program));
    return pid;
}

// Whether the process runs: it exists and has not ended. A started program is no child of
// this process, and whoever inherits it may leave it unreaped, so the state is read.
bool ProcessAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) state ...": the name may hold anything, the state follows its last ")".
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0 || end + 2 >= line.size())
        return false;
    const char state = line[end + 2];
    return state != 'Z' && state != 'X';
}

}  // namespace

TransmitEngine::TransmitEngine(const QDBusConnection& connection, const QString& uniqueName)
    : connection_(connection), uniqueName_(uniqueName) {}

bool TransmitEngine::IsRunning(const QDBusConnection& connection) {
    return connection.isConnected() && !EngineOwner(connection).isEmpty();
}

TransmitEngine TransmitEngine::Attach(const QDBusConnection& connection) {
    RequireBus(connection);
    const QString owner = EngineOwner(connection);
    if (owner.isEmpty())
        throw Failure(QStringLiteral("no engine is running on the bus"));
    return TransmitEngine(connection, owner);
}

TransmitEngine TransmitEngine::AttachOrStart(const QDBusConnection& connection, const QString& home,
                                             std::chrono::milliseconds timeout) {
    RequireBus(connection);
    QString owner = EngineOwner(connection);
    if (!owner.isEmpty())
        return TransmitEngine(connection, owner);

    const qint64 pid = StartEngine(home.isEmpty() ? qEnvironmentVariable("NIMBRA_HOME") : home);
    const QDeadlineTimer deadline(timeout);
    // A second engine started at the same moment hands over and ends; whichever owns the
    // name is the engine.
    while ((owner = EngineOwner(connection)).isEmpty()) {
        if (deadline.hasExpired())
            throw Failure(QStringLiteral("the engine did not take its place on the bus within "
                                         "%1 s")
                              .arg(timeout.count() / 1000.0));
        if (!ProcessAlive(pid) && EngineOwner(connection).isEmpty())
            throw Failure(QStringLiteral("the engine ended before it took its place on the bus"));
        Pause(kStartPollMs);
    }
    return TransmitEngine(connection, owner);
}

QString TransmitEngine::CreateObject(const QString& className) const {
    OrgNimbraTransmitServerInterface root(uniqueName_, QString::fromLatin1(kEngineRootPath),
                                          connection_);
    return Await(root.CreateObject(className)).value().path();
}

}  // namespace nimbra::com
