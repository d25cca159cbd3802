#pragma once
// The cimd driver end to end: the real engine starts the real driver, which links to the
// message-centre simulator over loopback TCP.

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_with_driver.h"
#include "simulator_process.h"

namespace nimbra::testing_support {

inline constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
inline constexpr auto kTimeout = std::chrono::milliseconds(kTimeoutMs);
inline constexpr char kDriverName[] = "CIMD2 Connection 1";

class CimdEndToEndTest : public ::testing::Test, protected EngineWithDriver {
protected:
    CimdEndToEndTest()
        : EngineWithDriver(TRANSMIT, NBSMS, {CIMD, "cimd", "eCIMDInstalledNumber", kDriverName}) {}

    // Starts the simulator, then the engine with one cimd driver pointed at it.
    void StartAll(std::vector<std::string> simulatorOptions,
                  std::map<std::string, std::string> driverFields = {}) {
        simulator = std::make_unique<SimulatorProcess>(MCSIM, std::move(simulatorOptions));
        StartEngine(simulator->port(), std::move(driverFields));
    }

    std::unique_ptr<SimulatorProcess> simulator;
};

}  // namespace nimbra::testing_support
