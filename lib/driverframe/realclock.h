#pragma once
// The clocks of the programs: local seconds since 1970, the steady clock and a real sleep.
// The steady clock runs faster by the time scale (timescale.h) and sleeps are shorter by it,
// so that every wait a link measures on this clock (response timeouts, keepalives, pauses
// after busy answers) is shortened at once; the wall-clock time stays true.

#include <chrono>
#include <cmath>
#include <thread>

#include "linkinterfaces.h"
#include "timescale.h"
#include "unDate.h"

namespace nimbra::driver {

class RealClock final : public LinkClock {
public:
    explicit RealClock(double scale = ProcessTimeScale()) : scale_(scale) {}

    long long Now() override { return LocalEpochSeconds(); }
    long long Elapsed() override { return ElapsedMs() / 1000; }
    long long ElapsedMs() override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
        return std::llround(static_cast<double>(ms) / scale_);
    }
    void Sleep(int ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::lround(ms * scale_)));
    }

private:
    double scale_;
};

}  // namespace nimbra::driver
