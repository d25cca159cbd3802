#include "timings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace nimbra::handset {

std::optional<double> TimeScaleFromText(std::string_view text) {
    double factor = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), factor);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !(factor > 0) || factor > 1)
        return std::nullopt;
    return factor;
}

ModemTimings ScaledTimings(double factor) {
    const auto scale = [factor](int ms) {
        return std::max(1, static_cast<int>(std::lround(ms * factor)));
    };
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
    const char* text = std::getenv(kTimeScaleVariable);
    if (!text)
        return {};
    const std::optional<double> factor = TimeScaleFromText(text);
    return factor ? ScaledTimings(*factor) : ModemTimings{};
}

}  // namespace nimbra::handset
