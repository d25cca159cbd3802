#pragma once
// Writing a date-time through a picture such as "yyyy-mm-dd hh:nn:ss", the counterpart of
// ParseDateTime: d dd ddd dddd, m mm mmm mmmm (m and mm right after an hour are minutes), yy
// yyyy, h hh, n nn, s ss, z zzz, am/pm a/p ampm (which make the hours 12-hour), text in
// double or single quotes as it is; letters of items are read in either case, every other
// character is written as it is. The item "c" stands for systemPicture.
#include <string>
#include <string_view>

#include "unDate.h"

namespace nimbra::ui {

std::string FormatDateTime(std::string_view picture, TDateTime dt,
                           std::string_view systemPicture = "yyyy-mm-dd hh:nn:ss");

}  // namespace nimbra::ui
