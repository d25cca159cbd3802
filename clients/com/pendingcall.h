#pragma once
// Waiting for the engine's reply without stopping the event loop: events the engine raised
// while it carried out the call arrive ahead of the reply, and their slots run before the
// wait returns. (A plain blocking call returns first and runs those slots later.)

#include <QDBusPendingCall>
#include <QDBusPendingReply>

namespace nimbra::com {

// Waits for the reply of call in a local event loop (without an application object, by
// blocking). Throws TransmitError with the error's name and text when the call failed.
void AwaitReply(const QDBusPendingCall& call);

template <typename... Types>
QDBusPendingReply<Types...> Await(const QDBusPendingReply<Types...>& reply) {
    AwaitReply(reply);
    return reply;
}

}  // namespace nimbra::com
