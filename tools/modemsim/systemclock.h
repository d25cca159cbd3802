#pragma once
// The modem's clocks on the system: milliseconds since the program started, and the local
// time with its offset from UTC.

#include <QDateTime>
#include <QElapsedTimer>

#include "modemclock.h"
#include "unDate.h"

namespace modemsim {

class SystemClock final : public ModemClock {
public:
    SystemClock() { started_.start(); }
    long long NowMs() const override { return started_.elapsed(); }
    LocalTime Wall() const override {
        return {nimbra::LocalEpochSeconds(), QDateTime::currentDateTime().offsetFromUtc() / 900};
    }

private:
    QElapsedTimer started_;
};

}  // namespace modemsim
