#include "enginebus.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>

namespace nimbra {
namespace {

// How long a second start waits for the running engine to answer Activate.
constexpr int kHandOverTimeoutMs = 5000;
// Claims of the name after an owner that left without answering.
constexpr int kClaimAttempts = 3;

}  // namespace

EngineBus::EngineBus() : EngineBus(QDBusConnection::sessionBus()) {}

EngineBus::EngineBus(const QDBusConnection& connection) : connection_(connection) {}

EngineBus::~EngineBus() {
    if (registered_)
        connection_.unregisterObject(QString::fromLatin1(kTransmitRootPath));
}

EngineBus::Claim EngineBus::ClaimName(QString& error) {
    if (!connection_.isConnected()) {
        error = connection_.lastError().message();
        if (error.isEmpty())
            error = QStringLiteral("not connected");
        return Claim::NoBus;
    }
    // The object is in place before the name is, so a caller that sees the name finds it.
    if (!registered_) {
        registered_ = connection_.registerObject(QString::fromLatin1(kTransmitRootPath), &root_,
                                                 QDBusConnection::ExportAdaptors);
        if (!registered_) {
            error = QStringLiteral("cannot register the object %1 on the bus")
                        .arg(QString::fromLatin1(kTransmitRootPath));
            return Claim::Refused;
        }
    }
    // When the engine that owns the name leaves without answering (it was closing), the name
    // is free again: claim it rather than leave no engine running.
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            connection_.interface()->registerService(
                QString::fromLatin1(kTransmitBusName), QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            error = reply.error().message();
            return Claim::Refused;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            error.clear();
            return Claim::Owned;
        }
        error = HandOver();
        if (error.isEmpty() ||
            connection_.interface()->isServiceRegistered(QString::fromLatin1(kTransmitBusName)))
            return Claim::HandedOver;
    }
    return Claim::HandedOver;
}

QString EngineBus::HandOver() {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kTransmitBusName), QString::fromLatin1(kTransmitRootPath),
        QString::fromLatin1(kTransmitServerInterface), QStringLiteral("Activate"));
    const QDBusMessage answer = connection_.call(call, QDBus::BlockWithGui, kHandOverTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage)
        return answer.errorMessage();
    return {};
}

}  // namespace nimbra
