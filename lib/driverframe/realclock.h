#pragma once
// The wall clock of the programs: local seconds since 1970 and a real sleep.

#include <chrono>
#include <thread>

#include "linkinterfaces.h"
#include "unDate.h"

namespace nimbra::driver {

class RealClock final : public LinkClock {
public:
    long long Now() override { return LocalEpochSeconds(); }
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace nimbra::driver
