#include "servicecontrolproxy.h"

#include "inbservicecontrol_proxy.h"
#include "pendingcall.h"

namespace nimbra::com {

TnbServiceControlProxy::TnbServiceControlProxy(const TransmitEngine& engine, QObject* parent)
    : TnbObjectProxy(
          engine, QString::fromLatin1(kServiceControlClass),
          QLatin1String(OrgNimbraTransmitInbServiceControlInterface::staticInterfaceName()) +
              QStringLiteral("Events"),
          staticMetaObject, parent),
      calls_(std::make_unique<OrgNimbraTransmitInbServiceControlInterface>(
          engine.uniqueName(), path(), engine.connection())) {
    calls_->setTimeout(kCallTimeoutMs);
    Advise();
}

TnbServiceControlProxy::~TnbServiceControlProxy() = default;

OrgNimbraTransmitInbServiceControlInterface& TnbServiceControlProxy::Calls() {
    RequireUsable();
    return *calls_;
}

void TnbServiceControlProxy::startServer() {
    Await(Calls().startServer());
}

void TnbServiceControlProxy::stopServer() {
    Await(Calls().stopServer());
}

void TnbServiceControlProxy::showMonitor() {
    Await(Calls().showMonitor());
}

}  // namespace nimbra::com
