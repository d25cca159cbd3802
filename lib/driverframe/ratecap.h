#pragma once
// A cap on messages a second for a link with several messages in flight: each message may go
// no sooner than 1000 / rate milliseconds after the one before, on the caller's clock
// (milliseconds), so no second ever carries more than the rate plus one. A rate of 0 is no cap.
// Also the window and rate settings of the links, read from their text fields.

#include <algorithm>
#include <string>

namespace nimbra::driver {

// The most messages a link keeps in flight, and the most it sends a second.
inline constexpr int kMostLinkWindow = 100;
inline constexpr int kMostRateCap = 100000;

// A whole number from lowest to highest, or fallback for anything else.
inline int SettingNumber(const std::string& text, int lowest, int highest, int fallback) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return fallback;
    const int value = std::stoi(text);
    return value < lowest || value > highest ? fallback : value;
}

// The window field: 1 (one message at a time, the designed link) unless it holds 2 to 100.
inline int LinkWindow(const std::string& text) {
    return SettingNumber(text, 1, kMostLinkWindow, 1);
}

// The rate cap field: messages a second, 0 (no cap) unless it holds a positive number.
inline int LinkRateCap(const std::string& text) {
    return SettingNumber(text, 0, kMostRateCap, 0);
}

class RateCap {
public:
    void SetRate(int perSecond) { perSecond_ = std::max(0, perSecond); }
    int Rate() const { return perSecond_; }

    // Milliseconds until the next message may go; 0 when it may go now.
    long long WaitMs(long long nowMs) const {
        if (perSecond_ == 0 || !started_)
            return 0;
        const long long due = nextDueMicros_ / 1000;
        return std::max(0LL, due - nowMs);
    }
    bool MayGo(long long nowMs) const { return WaitMs(nowMs) == 0; }
    // A message went at nowMs.
    void Went(long long nowMs) {
        if (perSecond_ == 0)
            return;
        const long long now = nowMs * 1000;
        if (!started_ || nextDueMicros_ < now)
            nextDueMicros_ = now;
        started_ = true;
        nextDueMicros_ += 1'000'000 / perSecond_;
    }

private:
    int perSecond_ = 0;
    bool started_ = false;
    // When the next may go, in microseconds, so that rates that do not divide a second keep
    // their pace.
    long long nextDueMicros_ = 0;
};

}  // namespace nimbra::driver
