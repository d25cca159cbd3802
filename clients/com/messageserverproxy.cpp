#include "messageserverproxy.h"

#include <limits>

#include "automationvariant.h"
#include "inbmessageserver_proxy.h"
#include "pendingcall.h"

namespace nimbra::com {

TnbMessageServerProxy::TnbMessageServerProxy(const TransmitEngine& engine, QObject* parent)
    : TnbObjectProxy(
          engine, QString::fromLatin1(kMessageServerClass),
          QLatin1String(OrgNimbraTransmitInbMessageServerInterface::staticInterfaceName()) +
              QStringLiteral("Events"),
          staticMetaObject, parent),
      calls_(std::make_unique<OrgNimbraTransmitInbMessageServerInterface>(
          engine.uniqueName(), path(), engine.connection())) {
    calls_->setTimeout(kCallTimeoutMs);
    Advise();
}

TnbMessageServerProxy::~TnbMessageServerProxy() = default;

OrgNimbraTransmitInbMessageServerInterface& TnbMessageServerProxy::Calls() {
    RequireUsable();
    return *calls_;
}

QVariant TnbMessageServerProxy::stopServer() {
    return FromBusVariant(Await(Calls().stopServer()).value());
}

QVariant TnbMessageServerProxy::startServer() {
    return FromBusVariant(Await(Calls().startServer()).value());
}

QVariant TnbMessageServerProxy::sendMessage(QVariant& msg) {
    const auto reply = Await(Calls().sendMessage(ToBusVariant(msg)));
    msg = FromBusVariant(reply.argumentAt<0>());
    return FromBusVariant(reply.argumentAt<1>());
}

QVariant TnbMessageServerProxy::deleteMessage(const QVariant& messageId) {
    return FromBusVariant(Await(Calls().deleteMessage(ToBusVariant(messageId))).value());
}

QVariant TnbMessageServerProxy::reSendMessage(const QVariant& messageId) {
    return FromBusVariant(Await(Calls().reSendMessage(ToBusVariant(messageId))).value());
}

QVariant TnbMessageServerProxy::getSystemInfo(const QVariant& request, const QVariant& target,
                                              QVariant& response) {
    const auto reply = Await(Calls().getSystemInfo(ToBusVariant(request), ToBusVariant(target)));
    response = FromBusVariant(reply.argumentAt<0>());
    return FromBusVariant(reply.argumentAt<1>());
}

QVariant TnbMessageServerProxy::getMessage(const QVariant& messageId, QVariant& msg) {
    const auto reply = Await(Calls().getMessage(ToBusVariant(messageId)));
    msg = FromBusVariant(reply.argumentAt<0>());
    return FromBusVariant(reply.argumentAt<1>());
}

QVariant TnbMessageServerProxy::login(const QString& clientName) {
    return FromBusVariant(Await(Calls().login(clientName)).value());
}

void TnbMessageServerProxy::logout() {
    Await(Calls().logout());
}

QVariant TnbMessageServerProxy::setMessage(const QVariant& messageId, const QVariant& msg) {
    return FromBusVariant(
        Await(Calls().setMessage(ToBusVariant(messageId), ToBusVariant(msg))).value());
}

void TnbMessageServerProxy::registerMenuItem(const QVariant& name) {
    Await(Calls().registerMenuItem(ToBusVariant(name)));
}

void TnbMessageServerProxy::unRegisterMenuItem(const QVariant& name) {
    Await(Calls().unRegisterMenuItem(ToBusVariant(name)));
}

void TnbMessageServerProxy::statusInfo(const QString& info) {
    Await(Calls().statusInfo(info));
}

void TnbMessageServerProxy::log(const QString& context, const QString& msg) {
    Await(Calls().log(context, msg));
}

void TnbMessageServerProxy::enableMenuItem(const QString& name) {
    Await(Calls().enableMenuItem(name));
}

void TnbMessageServerProxy::disableMenuItem(const QString& name) {
    Await(Calls().disableMenuItem(name));
}

void TnbMessageServerProxy::lock() {
    // Answered when the lock is granted.
    Await(Calls().lock());
}

void TnbMessageServerProxy::unlock() {
    Await(Calls().unlock());
}

}  // namespace nimbra::com
