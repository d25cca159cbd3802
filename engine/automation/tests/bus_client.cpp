#include "bus_client.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>

#include "event_wait.h"

namespace nimbra::testing_support {
namespace {

constexpr int kCallTimeoutMs = 20000;

const char* const kEventNames[] = {"ServerStarted",   "ServerStopped",
                                   "MessageSent",     "MessageDelivered",
                                   "MessageReceived", "MessageDeleted",
                                   "Error",           "info",
                                   "ServerShutdown",  "MessageAcceptedForDelivery",
                                   "MenuItemClick",   "Connect",
                                   "Disconnect",      "Transmit",
                                   "unInstall",       "Started",
                                   "Stopped"};

}  // namespace

BusClient::BusClient(const std::string& address, const QString& name)
    : connectionName_(name),
      connection_(QDBusConnection::connectToBus(QString::fromStdString(address), name)) {}

BusClient::~BusClient() {
    QDBusConnection::disconnectFromBus(connectionName_);
}

QString BusClient::InterfaceOf(const QString& path) const {
    const QString className = path.section(QLatin1Char('/'), 4, 4);
    return QStringLiteral("org.nimbra.Transmit.Inb") + className.mid(2);
}

QString BusClient::Create(const QString& className) {
    const QDBusMessage reply =
        Call(QString::fromLatin1(kRootPath), QStringLiteral("org.nimbra.Transmit.Server"),
             QStringLiteral("CreateObject"), {className});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusObjectPath>().path();
}

QDBusMessage BusClient::Call(const QString& path, const QString& interface, const QString& method,
                             const QVariantList& args) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kEngineName), path, interface, method);
    call.setArguments(args);
    QDBusPendingCallWatcher watcher(connection_.asyncCall(call, kCallTimeoutMs));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec();
    return watcher.reply();
}

QDBusMessage BusClient::CallObject(const QString& path, const QString& method,
                                   const QVariantList& args) {
    return Call(path, InterfaceOf(path), method, args);
}

QDBusMessage BusClient::Invoke(const QString& path, int dispid, const QVariantList& args) {
    // A list of plain values travels as "av".
    return Call(path, QStringLiteral("org.nimbra.Transmit.Dispatch"), QStringLiteral("Invoke"),
                {dispid, QVariant::fromValue(args)});
}

QDBusMessage BusClient::Advise(const QString& path) {
    Listen(path);
    return Call(path, QStringLiteral("org.nimbra.Transmit.ConnectionPoint"),
                QStringLiteral("Advise"));
}

void BusClient::Listen(const QString& path) {
    const QString events = InterfaceOf(path) + QStringLiteral("Events");
    for (const char* name : kEventNames)
        connection_.connect(QString::fromLatin1(kEngineName), path, events,
                            QString::fromLatin1(name), this, SLOT(OnSignal(QDBusMessage)));
}

void BusClient::CallAsync(const QString& path, const QString& method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kEngineName), path,
                                                       InterfaceOf(path), method);
    call.setArguments(args);
    connection_.callWithCallback(call, this, SLOT(OnAsyncReply(QDBusMessage)),
                                 SLOT(OnAsyncError(QDBusError)), kCallTimeoutMs);
}

void BusClient::OnSignal(const QDBusMessage& message) {
    events_.push_back({message.path(), message.member(), message.arguments()});
}

void BusClient::OnAsyncReply(const QDBusMessage&) {
    ++asyncReplies_;
}

void BusClient::OnAsyncError(const QDBusError& error) {
    asyncErrors_ << error.name();
}

std::vector<QString> BusClient::EventNames(const QString& path) const {
    std::vector<QString> names;
    for (const Event& event : events_) {
        if (path.isEmpty() || event.path == path)
            names.push_back(event.name);
    }
    return names;
}

bool BusClient::WaitForEvent(const QString& name, int timeoutMs) {
    return ProcessEventsUntil(
        [&] {
            for (const Event& event : events_) {
                if (event.name == name)
                    return true;
            }
            return false;
        },
        timeoutMs);
}

QVariant Wrap(const QVariant& value) {
    return QVariant::fromValue(QDBusVariant(value));
}

QString Show(const QVariant& value) {
    QVariant inner = value;
    if (inner.metaType() == QMetaType::fromType<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    if (inner.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto argument = inner.value<QDBusArgument>();
        QStringList items;
        argument.beginArray();
        while (!argument.atEnd()) {
            QDBusVariant item;
            argument >> item;
            items << Show(item.variant());
        }
        argument.endArray();
        return items.isEmpty()
                   ? QStringLiteral("<empty>")
                   : QStringLiteral("[") + items.join(QLatin1Char(',')) + QStringLiteral("]");
    }
    if (inner.metaType().id() == QMetaType::Int)
        return QStringLiteral("i:") + QString::number(inner.toInt());
    return inner.toString();
}

QStringList ShowAll(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {QStringLiteral("error:") + reply.errorName()};
    QStringList shown;
    for (const QVariant& arg : reply.arguments())
        shown << Show(arg);
    return shown;
}

}  // namespace nimbra::testing_support
