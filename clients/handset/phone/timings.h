#pragma once
// Every wait of the handset driver in one place: the response timeouts, the settle time after
// the port opens, the pause between the parts of a message, the wait before an answer is
// looked at, the pause between the pieces of a long command and the pause before a
// reconnect. Tests shorten them all at once with the drivers' time scale (timescale.h).

#include "timescale.h"

namespace nimbra::handset {

using driver::kTimeScaleVariable;

struct ModemTimings {
    int commandTimeoutMs = 15000;
    int autodetectTimeoutMs = 4000;
    int textTimeoutMs = 15000;
    int settleMs = 2000;
    int partPauseMs = 7000;
    int answerWaitMs = 700;
    int pieceDelayMs = 125;
    int pollMs = 10;
    int reconnectPauseMs = 2000;
};

// The designed times multiplied by factor (each at least 1 ms; polling unchanged).
ModemTimings ScaledTimings(double factor);
// The times for this process: scaled by the drivers' time scale.
ModemTimings ProcessTimings();

}  // namespace nimbra::handset
