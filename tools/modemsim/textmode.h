#pragma once
// Text-mode details: the modem's character set keeps eight accented letters at their DOS
// code page 437 places, and time stamps read "yy/MM/dd,hh:mm:ss+zz".

#include <string>
#include <string_view>

#include "modemclock.h"

namespace modemsim {

// Host code-page text as the modem shows it, and back.
std::string ToDeviceText(std::string_view text);
std::string FromDeviceText(std::string_view text);

// "yy/MM/dd,hh:mm:ss+zz", the zone in quarter hours.
std::string TextStamp(const LocalTime& time);

}  // namespace modemsim
