#include "smsphoneproxy.h"

#include <limits>

#include "automationvariant.h"
#include "inbsmsphone_proxy.h"
#include "pendingcall.h"

namespace nimbra::com {

TnbSMSPhoneProxy::TnbSMSPhoneProxy(const TransmitEngine& engine, QObject* parent)
    : TnbObjectProxy(engine, QString::fromLatin1(kSmsPhoneClass),
                     QLatin1String(OrgNimbraTransmitInbSMSPhoneInterface::staticInterfaceName()) +
                         QStringLiteral("Events"),
                     staticMetaObject, parent),
      calls_(std::make_unique<OrgNimbraTransmitInbSMSPhoneInterface>(engine.uniqueName(), path(),
                                                                     engine.connection())) {
    calls_->setTimeout(kCallTimeoutMs);
    Advise();
}

TnbSMSPhoneProxy::~TnbSMSPhoneProxy() = default;

OrgNimbraTransmitInbSMSPhoneInterface& TnbSMSPhoneProxy::Calls() {
    RequireUsable();
    return *calls_;
}

void TnbSMSPhoneProxy::smsReceived(const QString& sms) {
    Await(Calls().smsReceived(sms));
}

QVariant TnbSMSPhoneProxy::login(const QString& name) {
    return FromBusVariant(Await(Calls().login(name)).value());
}

void TnbSMSPhoneProxy::logout() {
    Await(Calls().logout());
}

void TnbSMSPhoneProxy::registerMenuItem(const QString& name) {
    Await(Calls().registerMenuItem(name));
}

void TnbSMSPhoneProxy::unRegisterMenuItem(const QString& name) {
    Await(Calls().unRegisterMenuItem(name));
}

void TnbSMSPhoneProxy::statusInfo(const QString& info) {
    Await(Calls().statusInfo(info));
}

void TnbSMSPhoneProxy::log(const QString& context, const QString& msg) {
    Await(Calls().log(context, msg));
}

void TnbSMSPhoneProxy::disableMenuItem(const QString& name) {
    Await(Calls().disableMenuItem(name));
}

void TnbSMSPhoneProxy::enableMenuItem(const QString& name) {
    Await(Calls().enableMenuItem(name));
}

void TnbSMSPhoneProxy::lock() {
    // Answered when the lock is granted.
    Await(Calls().lock());
}

void TnbSMSPhoneProxy::unlock() {
    Await(Calls().unlock());
}

void TnbSMSPhoneProxy::sendSuccess(const QString& msgId, const QString& senderPhone) {
    Await(Calls().sendSuccess(msgId, senderPhone));
}

void TnbSMSPhoneProxy::sendFailed(const QString& msgId, const QString& reason) {
    Await(Calls().sendFailed(msgId, reason));
}

QDBusPendingCall TnbSMSPhoneProxy::sendSuccessLater(const QString& msgId,
                                                    const QString& senderPhone) {
    return Calls().sendSuccess(msgId, senderPhone);
}

QDBusPendingCall TnbSMSPhoneProxy::sendFailedLater(const QString& msgId, const QString& reason) {
    return Calls().sendFailed(msgId, reason);
}

void TnbSMSPhoneProxy::connectionSuccess() {
    Await(Calls().connectionSuccess());
}

void TnbSMSPhoneProxy::connectionFailed() {
    Await(Calls().connectionFailed());
}

QVariant TnbSMSPhoneProxy::sendInfo(const QString& name, const QString& value) {
    return FromBusVariant(Await(Calls().sendInfo(name, value)).value());
}

void TnbSMSPhoneProxy::deviceInfo(const QString& info) {
    Await(Calls().deviceInfo(info));
}

}  // namespace nimbra::com
