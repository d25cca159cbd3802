#include "timings.h"

namespace nimbra::handset {

ModemTimings ScaledTimings(double factor) {
    const auto scale = [factor](int ms) { return driver::ScaledMs(ms, factor); };
    ModemTimings t;
    t.commandTimeoutMs = scale(t.commandTimeoutMs);
    t.autodetectTimeoutMs = scale(t.autodetectTimeoutMs);
    t.textTimeoutMs = scale(t.textTimeoutMs);
    t.settleMs = scale(t.settleMs);
    t.partPauseMs = scale(t.partPauseMs);
    t.answerWaitMs = scale(t.answerWaitMs);
    t.pieceDelayMs = scale(t.pieceDelayMs);
    t.reconnectPauseMs = scale(t.reconnectPauseMs);
    return t;
}

ModemTimings ProcessTimings() {
    return ScaledTimings(driver::ProcessTimeScale());
}

}  // namespace nimbra::handset
