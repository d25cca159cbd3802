#pragma once
// The cimd driver as a program of the driver frame: its login name, windows and fields.

#include "frameconfig.h"

namespace nimbra::cimd {

driver::FrameConfig CimdFrameConfig();

}  // namespace nimbra::cimd
