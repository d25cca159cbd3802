#pragma once
// Waiting in tests that need the event loop running meanwhile.

#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace nimbra::testing_support {

// Runs the event loop until condition holds or timeoutMs have passed; true when it held.
inline bool ProcessEventsUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs the event loop for ms milliseconds.
inline void ProcessEventsFor(int ms) {
    ProcessEventsUntil([] { return false; }, ms);
}

}  // namespace nimbra::testing_support
