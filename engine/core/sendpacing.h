#pragma once
// How fast the scheduler feeds its devices. By design a tick comes once a second and hands
// over at most ten messages, one to each idle device. A device that takes several messages
// at once tells the engine its window; a fast tick, when the operator sets one, lets the
// ticks come more often while messages wait. Plain logic; the engine owns the timer.
#include <optional>
#include <string>
#include <vector>

namespace nimbra {

inline constexpr int kDesignedTickMs = 1000;
inline constexpr int kDesignedHandOversPerTick = 10;
// The most messages one device may hold at once.
inline constexpr int kMostWindow = 100;
// The shortest fast tick the setting may ask for, and the longest.
inline constexpr int kShortestFastTickMs = 1;
inline constexpr int kLongestFastTickMs = kDesignedTickMs;

// A window a device told ("1" to "100"), or nothing when the text is not one.
std::optional<int> ParseWindow(const std::string& text);

// The fast tick setting ("eFastSendTickMs"): milliseconds between ticks while messages wait,
// or 0 (off) for an empty text, "0" or anything that is not a whole number in range.
int ParseFastTickMs(const std::string& text);

class SendPacing {
public:
    explicit SendPacing(int fastTickMs = 0) : fastTickMs_(fastTickMs) {}

    // Hand-overs a tick may make when the devices have these windows: the designed ten, and
    // for each device that takes several at once the rest of its window, so that one tick
    // can fill it.
    static int HandOverLimit(const std::vector<int>& windows);
    // Milliseconds until the next tick, which starts at nowMs: the fast tick while messages
    // wait (some were left in the Outbox untaken), else the designed second. Fast ticks
    // stop nextMs from falling behind: a late tick is followed by the next one at once.
    int NextIntervalMs(long long nowMs, bool messagesWait);

    bool Fast() const { return fastTickMs_ > 0; }
    int FastTickMs() const { return fastTickMs_; }

private:
    int fastTickMs_;
    long long nextDueMs_ = -1;
};

}  // namespace nimbra
