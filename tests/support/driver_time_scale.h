#pragma once
// The end-to-end tests run the drivers with their waits shortened: while one of these lives,
// every driver the test starts (itself or through the engine) rebuilds links, times out
// submits, keeps links alive and backs off at a fifth of the designed times, so that no test
// waits out a real protocol timer. A fifth still leaves a loaded machine a second for the
// answers a driver waits for.

#include <cstdlib>

#include "timescale.h"

namespace nimbra::testing_support {

inline constexpr char kDriverTestTimeScale[] = "0.2";

class ScopedDriverTimeScale {
public:
    explicit ScopedDriverTimeScale(const char* factor = kDriverTestTimeScale) {
        ::setenv(driver::kTimeScaleVariable, factor, 1);
    }
    ~ScopedDriverTimeScale() { ::unsetenv(driver::kTimeScaleVariable); }
    ScopedDriverTimeScale(const ScopedDriverTimeScale&) = delete;
    ScopedDriverTimeScale& operator=(const ScopedDriverTimeScale&) = delete;
};

}  // namespace nimbra::testing_support
