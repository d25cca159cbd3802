#pragma once
// Every wait of the handset driver in one place: the response timeouts, the settle time after
// the port opens, the pause between the parts of a message, the wait before an answer is
// looked at, the pause between the pieces of a long command and the pause before a
// reconnect. Tests shorten them all at once with NIMBRA_HANDSET_TIME_SCALE (a factor above 0
// and at most 1, e.g. 0.1); the program never lengthens them.

#include <optional>
#include <string_view>

namespace nimbra::handset {

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

inline constexpr char kTimeScaleVariable[] = "NIMBRA_HANDSET_TIME_SCALE";

// The factor in text, or nullopt when it is not a number above 0 and at most 1.
std::optional<double> TimeScaleFromText(std::string_view text);
// The designed times multiplied by factor (each at least 1 ms; polling unchanged).
ModemTimings ScaledTimings(double factor);
// The times for this process: scaled by NIMBRA_HANDSET_TIME_SCALE when it is set and valid.
ModemTimings ProcessTimings();

}  // namespace nimbra::handset
