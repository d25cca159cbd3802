#pragma once
// The cimd driver end to end: the real engine starts the real driver, which links to the
// message-centre simulator over loopback TCP.

#include <chrono>

#include <gtest/gtest.h>

#include "engine_with_driver.h"

namespace nimbra::testing_support {

inline constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
inline constexpr auto kTimeout = std::chrono::milliseconds(kTimeoutMs);
inline constexpr char kDriverName[] = "CIMD2 Connection 1";

class CimdEndToEndTest : public ::testing::Test, protected EngineWithDriver {
protected:
    CimdEndToEndTest()
        : EngineWithDriver({TRANSMIT, NBSMS, MCSIM},
                           {CIMD, "cimd", "eCIMDInstalledNumber", kDriverName, {}}) {}
};

}  // namespace nimbra::testing_support
