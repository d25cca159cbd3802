#include "sendpacing.h"

#include <algorithm>

namespace nimbra {

namespace {

std::optional<int> WholeNumber(const std::string& text, int lowest, int highest) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> ParseWindow(const std::string& text) {
    return WholeNumber(text, 1, kMostWindow);
}

int ParseFastTickMs(const std::string& text) {
    return WholeNumber(text, kShortestFastTickMs, kLongestFastTickMs).value_or(0);
}

int SendPacing::HandOverLimit(const std::vector<int>& windows) {
    int limit = kDesignedHandOversPerTick;
    for (int window : windows)
        limit += std::clamp(window, 1, kMostWindow) - 1;
    return limit;
}

int SendPacing::NextIntervalMs(long long nowMs, bool messagesWait) {
    if (!Fast() || !messagesWait) {
        nextDueMs_ = -1;
        return kDesignedTickMs;
    }
    // Ticks keep their pace: the next one is due a fast tick after the one before was due,
    // unless this one came so late that the pace is lost anyway.
    // A clock set back starts the pace afresh as well.
    if (nextDueMs_ < 0 || nowMs - nextDueMs_ > fastTickMs_ || nextDueMs_ - nowMs > fastTickMs_)
        nextDueMs_ = nowMs;
    nextDueMs_ += fastTickMs_;
    return static_cast<int>(std::clamp<long long>(nextDueMs_ - nowMs, 0, fastTickMs_));
}

}  // namespace nimbra
