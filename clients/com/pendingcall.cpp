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
        // Not a nested QEventLoop::exec(): once the application has been asked to quit
        // (a ServerShutdown handler that quits and then cleans up), exec() returns at once
        // and the call would go on without its answer.
        QDBusPendingCallWatcher watcher(call);
        bool finished = false;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished,
                         [&finished] { finished = true; });
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    } else {
        QDBusPendingCall(call).waitForFinished();
    }
    if (call.isError()) {
        const QDBusError error = call.error();
        throw TransmitError(error.name(), error.message());
    }
}

}  // namespace nimbra::com
