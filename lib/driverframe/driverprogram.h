#pragma once
// The start of every driver program: it ends at once (exit code 0) when no engine runs on
// the session bus; otherwise it creates the main window (which logs in), the preferences
// window and the communication-log window in that order, keeps the main window hidden and
// runs until the engine shuts the driver down, the engine goes, or a stop signal comes.

#include "frameconfig.h"

namespace nimbra::driver {

int RunDriver(int argc, char** argv, const FrameConfig& config);

}  // namespace nimbra::driver
