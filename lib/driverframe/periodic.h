#pragma once
// A chore that is due once every interval on the caller's clock (milliseconds): at the first
// asking, and then each time the interval has passed since it was last due.

#include <optional>

namespace nimbra::driver {

class Periodic {
public:
    explicit Periodic(long long intervalMs) : intervalMs_(intervalMs) {}

    bool Due(long long nowMs) {
        if (lastMs_ && nowMs - *lastMs_ < intervalMs_)
            return false;
        lastMs_ = nowMs;
        return true;
    }

private:
    long long intervalMs_;
    std::optional<long long> lastMs_;
};

}  // namespace nimbra::driver
