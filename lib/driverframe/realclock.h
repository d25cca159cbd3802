#pragma once
// The clocks of the programs: local seconds since 1970, the steady clock and a real sleep.

#include <chrono>
#include <thread>

#include "linkinterfaces.h"
#include "unDate.h"

namespace nimbra::driver {

class RealClock final : public LinkClock {
public:
    long long Now() override { return LocalEpochSeconds(); }
    long long Elapsed() override {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    long long ElapsedMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace nimbra::driver
