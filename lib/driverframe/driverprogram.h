#pragma once
// The start of every driver program: it ends at once (exit code 0) when no engine runs on
// the session bus; otherwise it creates the main window, which logs in, then the driver's
// other windows, keeps the main window hidden and runs until the engine shuts the driver
// down, the engine goes, or a stop signal comes.

#include <functional>
#include <memory>

#include "frameconfig.h"

namespace nimbra::com {
class TransmitEngine;
}

namespace nimbra::driver {

class DriverWindow;

using MakeDriverWindow =
    std::function<std::unique_ptr<DriverWindow>(const com::TransmitEngine& engine)>;

int RunDriverProgram(int argc, char** argv, const MakeDriverWindow& makeMainWindow);

// A TCP driver: the frame's main window with its preferences and communication-log windows.
int RunDriver(int argc, char** argv, const FrameConfig& config);

}  // namespace nimbra::driver
