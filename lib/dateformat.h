#pragma once

// Writing a date-time through a picture such as "yyyy-mm-dd hh:nn:ss", the counterpart of
// ParseDateTime. Items, their letters in either case: d dd (day), ddd dddd (day name), m mm
// (month; minutes right after an hour item), mmm mmmm (month name), yy yyyy (year), h hh
// (hour; 12-hour when the picture holds am/pm, a/p or ampm), n nn (minutes), s ss
// (seconds), z zzz (milliseconds), am/pm a/p ampm, and c, which stands for systemPicture.
// Text in double or single quotes is written as it is, and so is every other character.

#include <string>
#include <string_view>

#include "unDate.h"

namespace nimbra {

inline constexpr const char* kStoredTimePicture = "yyyy-mm-dd hh:nn:ss";

std::string FormatDateTime(std::string_view picture, TDateTime dt,
                           std::string_view systemPicture = kStoredTimePicture);

}  // namespace nimbra
