#include "unDate.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace nimbra {
namespace {

constexpr long long kMsPerDay = kSecondsPerDay * 1000;

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

// Days since 1899-12-30 of a proleptic Gregorian date (civil-from-days arithmetic).
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + static_cast<long long>(kUnixEpochDays);
}

void CivilFromDays(long long days, int& y, int& m, int& d) {
    const long long z = days - static_cast<long long>(kUnixEpochDays) + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

}  // namespace

bool TryEncodeDateTime(const CivilDateTime& c, TDateTime& result) {
    if (c.year < 1 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
        c.day > DaysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
        c.minute > 59 || c.second < 0 || c.second > 59 || c.millisecond < 0 ||
        c.millisecond > 999) {
        return false;
    }
    const double date = static_cast<double>(DaysFromCivil(c.year, c.month, c.day));
    const double time =
        ((c.hour * 3600 + c.minute * 60 + c.second) * 1000.0 + c.millisecond) / kMsPerDay;
    result = date < 0 ? date - time : date + time;
    return true;
}

namespace {

// The day number and the time of day in whole milliseconds (rounded) of a date-time. Values
// that are not finite or lie outside the years 1 to 9999 read as day 0.
void SplitDateTime(TDateTime dt, long long& days, long long& ms) {
    constexpr double kFirstDay = -693593.0;  // 0001-01-01
    constexpr double kLastDay = 2958466.0;   // 9999-12-31 + 1
    if (!std::isfinite(dt) || dt <= kFirstDay - 1 || dt >= kLastDay)
        dt = 0;
    const double whole = std::trunc(dt);
    days = static_cast<long long>(whole);
    ms = std::llround(std::fabs(dt - whole) * kMsPerDay);
    if (ms >= kMsPerDay) {  // rounding reached midnight of the next day
        // The fraction counts forward from midnight on both sides of the base date, so the
        // next calendar day is always one day number up.
        ms -= kMsPerDay;
        days += 1;
    }
}

}  // namespace

CivilDateTime DecodeDateTime(TDateTime dt) {
    long long days = 0;
    long long ms = 0;
    SplitDateTime(dt, days, ms);
    CivilDateTime c;
    CivilFromDays(days, c.year, c.month, c.day);
    c.hour = static_cast<int>(ms / 3600000);
    c.minute = static_cast<int>(ms / 60000 % 60);
    c.second = static_cast<int>(ms / 1000 % 60);
    c.millisecond = static_cast<int>(ms % 1000);
    return c;
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const auto since = now.time_since_epoch();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    CivilDateTime c{
        local.tm_year + 1900,
        local.tm_mon + 1,
        local.tm_mday,
        local.tm_hour,
        local.tm_min,
        std::min(local.tm_sec, 59),  // a leap second reads as :59
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() %
                         1000)};
    TDateTime result = 0;
    TryEncodeDateTime(c, result);
    return result;
}

std::string DateTimeText(TDateTime dt) {
    const CivilDateTime c = DecodeDateTime(dt);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return buf;
}

std::string NowText() {
    return NowText(Now());
}

std::string NowText(TDateTime now) {
    // Truncate to the second so that 09:05:41.9 reads 09:05:41, as a clock would show it.
    CivilDateTime c = DecodeDateTime(now);
    c.millisecond = 0;
    TDateTime whole = now;
    TryEncodeDateTime(c, whole);
    return DateTimeText(whole);
}

TDateTime EpochToDateTime(long long seconds) {
    return static_cast<double>(seconds) / kSecondsPerDay + kUnixEpochDays;
}

long long DateTimeToEpoch(TDateTime dt) {
    // Rounded from whole milliseconds so that an instant at .500 goes to the even second
    // exactly, which the floating-point product cannot guarantee.
    long long days = 0;
    long long ms = 0;
    SplitDateTime(dt, days, ms);
    const long long total = (days - static_cast<long long>(kUnixEpochDays)) * kMsPerDay + ms;
    long long seconds = total / 1000;
    long long rest = total % 1000;
    if (rest < 0) {  // floor division for instants before 1970
        seconds -= 1;
        rest += 1000;
    }
    if (rest > 500 || (rest == 500 && seconds % 2 != 0))
        seconds += 1;
    return seconds;
}

long long LocalEpochSeconds() {
    return LocalEpochSeconds(Now());
}

long long LocalEpochSeconds(TDateTime now) {
    return DateTimeToEpoch(now);
}

}  // namespace nimbra
