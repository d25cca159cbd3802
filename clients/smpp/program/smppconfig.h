#pragma once
// The smpp driver as a program of the driver frame: its login name, windows and fields.

#include "frameconfig.h"

namespace nimbra::smpp {

driver::FrameConfig SmppFrameConfig();

}  // namespace nimbra::smpp
