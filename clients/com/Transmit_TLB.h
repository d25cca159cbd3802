#pragma once
// The client side of the engine's automation interface: attach to the running engine (or
// start it), create its objects, call them, and take their events as Qt signals.
//
//     auto engine = nimbra::com::TransmitEngine::AttachOrStart();
//     nimbra::com::TnbMessageServerProxy server(engine);
//     server.login("myclient");
//     QObject::connect(&server, &nimbra::com::TnbMessageServerProxy::MessageSent, ...);

#include "automationvariant.h"    // IWYU pragma: export
#include "easysmsproxy.h"         // IWYU pragma: export
#include "messageserverproxy.h"   // IWYU pragma: export
#include "objectproxy.h"          // IWYU pragma: export
#include "servicecontrolproxy.h"  // IWYU pragma: export
#include "smsphoneproxy.h"        // IWYU pragma: export
#include "transmitengine.h"       // IWYU pragma: export
#include "transmiterror.h"        // IWYU pragma: export
