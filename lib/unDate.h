#pragma once

// Local date and time stamps. A TDateTime counts days since 1899-12-30 00:00:00 of local
// wall-clock time, with the time of day as the fraction (for days before that instant the
// fraction is the time of day taken positive). Every routine that reads the clock has an
// overload that takes "now" instead, so that callers and tests can inject time.

#include <string>
#include <string_view>

namespace nimbra {

using TDateTime = double;

// Days from 1899-12-30 to 1970-01-01.
inline constexpr double kUnixEpochDays = 25569.0;
inline constexpr long long kSecondsPerDay = 86400;

struct CivilDateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Composes a date-time; false (and result untouched) when the values are not a valid
// date and time.
bool TryEncodeDateTime(const CivilDateTime& c, TDateTime& result);
CivilDateTime DecodeDateTime(TDateTime dt);

// The current local date and time from the system clock.
TDateTime Now();

// "yyyy-mm-dd hh:nn:ss" (24-hour clock), to the second.
std::string NowText();
std::string NowText(TDateTime now);
std::string DateTimeText(TDateTime dt);

// Local wall-clock seconds since 1970-01-01 00:00:00 (not UTC), halves rounded to even.
long long LocalEpochSeconds();
long long LocalEpochSeconds(TDateTime now);
TDateTime EpochToDateTime(long long seconds);
long long DateTimeToEpoch(TDateTime dt);

// Reads a date-time text laid out by a picture such as "yyyy-mm-dd hh:nn:ss" (items DD DDD
// DDDD MM MMM MMMM YY YYY YYYY HH NN SS ZZ ZZZ AP AM AMP AMPM; other characters are
// separators). Two-digit years take the century of "today". 0 when the values are not a
// valid date and time.
TDateTime ParseDateTime(std::string_view picture, std::string_view s);
TDateTime ParseDateTime(std::string_view picture, std::string_view s, TDateTime today);

}  // namespace nimbra
