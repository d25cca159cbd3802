#pragma once
// Waiting in tests that need the event loop running meanwhile.

#include <algorithm>
#include <chrono>
#include <functional>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace nimbra::testing_support {

// Runs the event loop until condition holds or timeoutMs have passed; true when it held.
// The loop sleeps while nothing is due and looks at condition every few milliseconds.
inline bool ProcessEventsUntil(const std::function<bool()>& condition, int timeoutMs) {
    constexpr qint64 kRoundMs = 5;
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        QEventLoop round;
        QTimer::singleShot(std::chrono::milliseconds(std::min(left, kRoundMs)), Qt::PreciseTimer,
                           &round, &QEventLoop::quit);
        round.exec();
    }
    return true;
}

// Runs the event loop for ms milliseconds. Not for showing that nothing happens: a fixed wait
// proves nothing on a loaded machine; look at the armed timer or use a fake clock instead.
inline void ProcessEventsFor(int ms) {
    ProcessEventsUntil([] { return false; }, ms);
}

}  // namespace nimbra::testing_support
