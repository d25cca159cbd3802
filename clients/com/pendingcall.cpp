#include "pendingcall.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

#include "transmiterror.h"

namespace nimbra::com {

void AwaitReply(const QDBusPendingCall& call) {
    if (QCoreApplication::instance()) {
        // The watcher reports a call that is finished already through the event loop too,
        // after the events that came before the reply.
        QDBusPendingCallWatcher watcher(call);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        QDBusPendingCall(call).waitForFinished();
    }
    if (call.isError()) {
        const QDBusError error = call.error();
        throw TransmitError(error.name(), error.message());
    }
}

}  // namespace nimbra::com
