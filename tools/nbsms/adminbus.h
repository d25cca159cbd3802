#pragma once
// The engine's administration interface (org.nimbra.Transmit.Admin on its root object), open
// to the user running the engine. Calls wait for the engine as long as it takes; awaited with
// nimbra::com::Await, a refused or failed call throws TransmitError with the engine's text.

#include <memory>

#include "pendingcall.h"
#include "transmitengine.h"

class OrgNimbraTransmitAdminInterface;

namespace nbsms {

class AdminBus {
public:
    explicit AdminBus(const nimbra::com::TransmitEngine& engine);
    ~AdminBus();

    OrgNimbraTransmitAdminInterface& operator*() const { return *admin_; }
    OrgNimbraTransmitAdminInterface* operator->() const { return admin_.get(); }

private:
    std::unique_ptr<OrgNimbraTransmitAdminInterface> admin_;
};

}  // namespace nbsms
