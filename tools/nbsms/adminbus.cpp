#include "adminbus.h"

#include "admin_proxy.h"
#include "objectproxy.h"

namespace nbsms {

AdminBus::AdminBus(const nimbra::com::TransmitEngine& engine)
    : admin_(std::make_unique<OrgNimbraTransmitAdminInterface>(
          engine.uniqueName(), QString::fromLatin1(nimbra::com::kEngineRootPath),
          engine.connection())) {
    admin_->setTimeout(nimbra::com::kCallTimeoutMs);
}

AdminBus::~AdminBus() = default;

}  // namespace nbsms
