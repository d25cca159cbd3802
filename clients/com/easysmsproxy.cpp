#include "easysmsproxy.h"

#include "automationvariant.h"
#include "inbeasysms_proxy.h"
#include "pendingcall.h"

namespace nimbra::com {

TnbEasySMSProxy::TnbEasySMSProxy(const TransmitEngine& engine, QObject* parent)
    : TnbObjectProxy(engine, QString::fromLatin1(kEasySmsClass),
                     QLatin1String(OrgNimbraTransmitInbEasySMSInterface::staticInterfaceName()) +
                         QStringLiteral("Events"),
                     staticMetaObject, parent),
      calls_(std::make_unique<OrgNimbraTransmitInbEasySMSInterface>(engine.uniqueName(), path(),
                                                                    engine.connection())) {
    calls_->setTimeout(kCallTimeoutMs);
    Advise();
}

TnbEasySMSProxy::~TnbEasySMSProxy() = default;

OrgNimbraTransmitInbEasySMSInterface& TnbEasySMSProxy::Calls() {
    RequireUsable();
    return *calls_;
}

void TnbEasySMSProxy::startServer() {
    Await(Calls().startServer());
}

void TnbEasySMSProxy::stopServer() {
    Await(Calls().stopServer());
}

QVariant TnbEasySMSProxy::sendMessage(const QVariant& phonenum, const QVariant& messagetext) {
    return FromBusVariant(
        Await(Calls().sendMessage(ToBusVariant(phonenum), ToBusVariant(messagetext))).value());
}

}  // namespace nimbra::com
