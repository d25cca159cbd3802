#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "unDate.h"

namespace nimbra {
namespace {

TDateTime Encode(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    TDateTime dt = -1e9;
    EXPECT_TRUE(TryEncodeDateTime({y, m, d, h, n, s, ms}, dt))
        << y << "-" << m << "-" << d << " " << h << ":" << n << ":" << s << "." << ms;
    return dt;
}

// "yyyy-mm-dd hh:nn:ss.zzz", for readable comparisons.
std::string Text(const CivilDateTime& c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", c.year, c.month, c.day,
                  c.hour, c.minute, c.second, c.millisecond);
    return buf;
}

std::string Format(TDateTime dt) {
    return Text(DecodeDateTime(dt));
}

TEST(DateEncoding, DaysSince18991230WithPositiveTimeFraction) {
    EXPECT_EQ(Encode(1899, 12, 30), 0.0);
    EXPECT_EQ(Encode(1899, 12, 30, 12), 0.5);
    EXPECT_EQ(Encode(1900, 1, 1), 2.0);
    EXPECT_EQ(Encode(1970, 1, 1), kUnixEpochDays);
    EXPECT_EQ(Encode(2004, 3, 17), 38063.0);
    EXPECT_EQ(Encode(1900, 3, 1), 61.0);  // 1900 is not a leap year
    EXPECT_EQ(Encode(2000, 2, 29), 36585.0);
    // Before the base date the time of day still counts forward from midnight.
    EXPECT_EQ(Encode(1899, 12, 29, 6), -1.25);
    EXPECT_EQ(Encode(1899, 12, 28, 18), -2.75);
    EXPECT_EQ(Encode(1, 1, 1), -693593.0);
    EXPECT_EQ(Encode(9999, 12, 31), 2958465.0);
}

TEST(DateEncoding, InvalidValuesAreRefused) {
    const std::vector<CivilDateTime> invalid = {
        {2004, 13, 1, 0, 0, 0, 0},   {2004, 0, 1, 0, 0, 0, 0},  {2004, 4, 31, 0, 0, 0, 0},
        {1900, 2, 29, 0, 0, 0, 0},   {2003, 2, 29, 0, 0, 0, 0}, {2004, 1, 0, 0, 0, 0, 0},
        {2004, 1, 1, 24, 0, 0, 0},   {2004, 1, 1, 0, 60, 0, 0}, {2004, 1, 1, 0, 0, 60, 0},
        {2004, 1, 1, 0, 0, 0, 1000}, {2004, 1, 1, -1, 0, 0, 0}, {0, 1, 1, 0, 0, 0, 0},
        {10000, 1, 1, 0, 0, 0, 0},
    };
    for (const auto& c : invalid) {
        TDateTime dt = 123.0;
        EXPECT_FALSE(TryEncodeDateTime(c, dt)) << Text(c);
        EXPECT_EQ(dt, 123.0);  // result untouched
    }
}

TEST(DateEncoding, DecodeInvertsEncode) {
    const std::vector<CivilDateTime> values = {
        {2004, 3, 17, 9, 5, 41, 0},      {1899, 12, 30, 0, 0, 0, 0},
        {1899, 12, 30, 23, 59, 59, 999}, {1899, 12, 29, 0, 0, 0, 1},
        {1899, 12, 29, 23, 59, 59, 999}, {1800, 6, 15, 13, 14, 15, 678},
        {1, 1, 1, 0, 0, 0, 0},           {1, 1, 1, 23, 59, 59, 999},
        {9999, 12, 31, 23, 59, 59, 999}, {2000, 2, 29, 12, 0, 0, 500},
        {1600, 2, 29, 1, 2, 3, 4},       {1970, 1, 1, 0, 0, 0, 0},
    };
    for (const auto& c : values) {
        TDateTime dt = 0;
        ASSERT_TRUE(TryEncodeDateTime(c, dt)) << Text(c);
        EXPECT_EQ(Format(dt), Text(c)) << dt;
    }

    // Every day from 1890 to 1910 (across the base date and the non-leap 1900), with a time
    // of day that must not move the date on either side of the base date.
    for (TDateTime day = -3653; day <= 3653; ++day) {
        CivilDateTime c = DecodeDateTime(day);
        ASSERT_EQ(Encode(c.year, c.month, c.day), day);
        c.hour = static_cast<int>(day + 3653) % 24;
        c.minute = 37;
        c.millisecond = 321;
        const TDateTime dt = Encode(c.year, c.month, c.day, c.hour, c.minute, 0, c.millisecond);
        ASSERT_EQ(std::trunc(dt), day);
        ASSERT_EQ(Format(dt), Text(c));
    }
}

TEST(DateEncoding, RoundingUpToMidnightMovesToTheNextDay) {
    // A time fraction a hair below a whole day rounds to midnight of the following calendar
    // day, also for days before 1899-12-30 where the fraction counts forward from midnight.
    EXPECT_EQ(Format(1.9999999999), "1900-01-01 00:00:00.000");
    EXPECT_EQ(Format(-1.9999999999), "1899-12-30 00:00:00.000");
    EXPECT_EQ(Format(-2.9999999999), "1899-12-29 00:00:00.000");
}

TEST(DateText, NowTextTruncatesToTheSecond) {
    EXPECT_EQ(NowText(Encode(2004, 3, 17, 9, 5, 41)), "2004-03-17 09:05:41");
    EXPECT_EQ(NowText(Encode(2004, 3, 17, 9, 5, 41, 999)), "2004-03-17 09:05:41");
    EXPECT_EQ(NowText(Encode(1999, 12, 31, 23, 59, 59, 999)), "1999-12-31 23:59:59");
    EXPECT_EQ(NowText(Encode(2026, 1, 2, 3, 4, 5, 500)), "2026-01-02 03:04:05");
    EXPECT_EQ(NowText(Encode(1899, 12, 29, 6, 0, 0, 900)), "1899-12-29 06:00:00");

    // The clock overload shows local time as the C library formats it (the call may straddle
    // a second boundary).
    const std::time_t t = std::time(nullptr);
    const std::string now = NowText();
    std::vector<std::string> expected;
    for (std::time_t at : {t, t + 1}) {
        std::tm tm{};
        localtime_r(&at, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
        expected.emplace_back(buf);
    }
    EXPECT_TRUE(now == expected[0] || now == expected[1]) << now << " vs " << expected[0];
}

TEST(Epoch, LocalWallClockSeconds) {
    EXPECT_EQ(LocalEpochSeconds(Encode(2004, 3, 17, 9, 5, 41)), 1079514341);
    EXPECT_EQ(LocalEpochSeconds(Encode(1970, 1, 1)), 0);
    EXPECT_EQ(LocalEpochSeconds(Encode(1969, 12, 31, 23, 59, 59)), -1);
    EXPECT_EQ(EpochToDateTime(0), kUnixEpochDays);
    EXPECT_EQ(EpochToDateTime(43200), kUnixEpochDays + 0.5);
    EXPECT_EQ(Format(EpochToDateTime(1079514341)), "2004-03-17 09:05:41.000");

    // The clock overload reads local time, not UTC: it agrees with the system's own
    // local-time offset applied to time().
    const std::time_t before = std::time(nullptr);
    const long long local = LocalEpochSeconds();
    const std::time_t after = std::time(nullptr);
    std::tm tm{};
    localtime_r(&after, &tm);
    EXPECT_GE(local, static_cast<long long>(before) + tm.tm_gmtoff - 1);
    EXPECT_LE(local, static_cast<long long>(after) + tm.tm_gmtoff + 1);
}

TEST(Epoch, ConversionsAreInverse) {
    for (long long s = -2000000000LL; s <= 4000000000LL; s += 9876543) {
        ASSERT_EQ(DateTimeToEpoch(EpochToDateTime(s)), s) << s;
    }
    for (long long s = 1079514000; s < 1079514000 + 86400 * 2; s += 7) {
        ASSERT_EQ(DateTimeToEpoch(EpochToDateTime(s)), s) << s;
    }
}

TEST(Epoch, HalvesRoundToTheEvenNeighbour) {
    // n/256 of a day is exactly n * 337.5 seconds, so these products are exact halves.
    struct Case {
        double offset;
        long long seconds;
    };
    const std::vector<Case> cases = {
        {1.0 / 256, 338},  {3.0 / 256, 1012},  {5.0 / 256, 1688},
        {7.0 / 256, 2362}, {-1.0 / 256, -338}, {-3.0 / 256, -1012},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateTimeToEpoch(kUnixEpochDays + c.offset), c.seconds) << c.offset * 86400;
        EXPECT_EQ(LocalEpochSeconds(kUnixEpochDays + c.offset), c.seconds) << c.offset * 86400;
    }
    // Halves that a double cannot hold exactly still go to the even second.
    for (int second = 0; second < 60; ++second) {
        TDateTime t = 0;
        ASSERT_TRUE(TryEncodeDateTime({2004, 3, 17, 0, 0, second, 500}, t));
        const long long whole = 1079481600 + second;
        EXPECT_EQ(LocalEpochSeconds(t), whole % 2 == 0 ? whole : whole + 1) << second;
    }
}

TEST(DateEncoding, ValuesOutsideTheCalendarReadAsTheBaseDate) {
    for (double bad : {std::nan(""), 1e300, -1e300, 1e7, -1e7}) {
        EXPECT_EQ(DateTimeText(bad), "1899-12-30 00:00:00") << bad;
    }
}

TEST(ParseDateTime, ReadsTextsThroughAPicture) {
    const TDateTime today = Encode(2026, 5, 10, 14, 0, 0);
    struct Case {
        const char* picture;
        const char* text;
        const char* expected;
    };
    const char* const zero = "1899-12-30 00:00:00.000";
    const std::vector<Case> cases = {
        {"yyyy-mm-dd hh:nn:ss", "2004-03-17 09:05:41", "2004-03-17 09:05:41.000"},
        {"yyyy-mm-dd hh:nn:ss", "2004-13-17 09:05:41", zero},  // month 13
        {"yyyy-mm-dd", "2003-02-29", zero},
        {"yyyy-mm-dd", "2004-02-29", "2004-02-29 00:00:00.000"},
        {"yyyy-mm-dd hh:nn:ss", "2004-03-17 24:00:00", zero},
        // Two-digit years: below 50 in today's century, from 50 on in the one before.
        {"dd/mm/yy", "01/02/49", "2049-02-01 00:00:00.000"},
        {"dd/mm/yy", "01/02/50", "1950-02-01 00:00:00.000"},
        {"dd/mm/yy", "01/02/00", "2000-02-01 00:00:00.000"},
        {"dd/mm/yy", "01/02/99", "1999-02-01 00:00:00.000"},
        // Month and day names, compared on their first three letters without regard to case.
        {"dd mmm yyyy", "17 mar 2004", "2004-03-17 00:00:00.000"},
        {"dd-mmm-yyyy", "05-Dec-1999", "1999-12-05 00:00:00.000"},
        {"dd mmmm yyyy", "17 September 2004", "2004-09-17 00:00:00.000"},
        {"dd mmmm yyyy", "17 May 2004", "2004-05-17 00:00:00.000"},
        {"dddd, dd mmmm yyyy", "Wednesday, 17 March 2004", "2004-03-17 00:00:00.000"},
        {"dddd dd/mm/yyyy", "Sunday 01/02/2004", "2004-02-01 00:00:00.000"},
        {"ddd dd/mm/yyyy", "Wed 17/03/2004", "2004-03-17 00:00:00.000"},
        // Twelve-hour clock: the afternoon adds 12 to an hour below 12 only.
        {"hh:nn ampm", "01:30 PM", "0001-01-01 13:30:00.000"},
        {"hh:nn ampm", "01:30 AM", "0001-01-01 01:30:00.000"},
        {"hh:nn ampm", "12:30 PM", "0001-01-01 12:30:00.000"},
        {"hh:nn ampm", "12:30 AM", "0001-01-01 12:30:00.000"},
        {"hh:nn ampm", "13:30 pm", "0001-01-01 13:30:00.000"},
        {"hh:nn ampm", "01:30 XX", "0001-01-01 13:30:00.000"},
        {"hh:nn am/pm", "09:15 pm", "0001-01-01 21:15:00.000"},
        {"hh:nn ap", "09:15 p", "0001-01-01 21:15:00.000"},
        {"hh:nn ap", "09:15 a", "0001-01-01 09:15:00.000"},
        // Milliseconds are three characters for zz and zzz.
        {"yyyy-mm-dd hh:nn:ss.zzz", "2004-03-17 09:05:41.250", "2004-03-17 09:05:41.250"},
        {"hh:nn:ss.zz", "09:05:41.007", "0001-01-01 09:05:41.007"},
        // The last picture character never starts an item.
        {"yyyy-mm-dd h", "2004-03-17 09", "2004-03-17 00:00:00.000"},
        {"yyyy-mm-dd hh:nn:s", "2004-03-17 09:05:41", "2004-03-17 09:05:00.000"},
        // Numbers are read with blanks trimmed; anything else reads as 0.
        {"dd/mm/yyyy", " 1/ 2/2004", "2004-02-01 00:00:00.000"},
        {"yyyy-mm-dd hh:nn", "2004-03-17 ab:05", "2004-03-17 00:05:00.000"},
        {"yyyy-mm-dd", "2004-xx-17", zero},
        {"yyyy-mm-dd", "abcd-03-17", zero},
        // A separator leaves the last character of the text for the next item.
        {"hh--nn", "10-5", "0001-01-01 10:05:00.000"},
        {"", "2004-03-17", "0001-01-01 00:00:00.000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Format(ParseDateTime(c.picture, c.text, today)), c.expected)
            << "picture \"" << c.picture << "\", text \"" << c.text << "\"";
    }
}

TEST(ParseDateTime, ExactValuesAndCenturyOfToday) {
    const TDateTime today = Encode(2026, 5, 10);
    EXPECT_EQ(ParseDateTime("yyyy-mm-dd hh:nn:ss", "2004-03-17 09:05:41", today),
              Encode(2004, 3, 17, 9, 5, 41));
    EXPECT_EQ(ParseDateTime("yyyy-mm-dd", "2004-13-01", today), 0.0);
    EXPECT_EQ(ParseDateTime("yyyy-mm-dd", "1899-12-29", today), -1.0);

    // The century comes from "today", not from a fixed window.
    const TDateTime in1999 = Encode(1999, 6, 1);
    EXPECT_EQ(Format(ParseDateTime("dd/mm/yy", "01/02/49", in1999)), "1949-02-01 00:00:00.000");
    EXPECT_EQ(Format(ParseDateTime("dd/mm/yy", "01/02/50", in1999)), "1850-02-01 00:00:00.000");

    // Without an injected "today" the clock supplies it; four-digit years do not depend on it.
    EXPECT_EQ(ParseDateTime("yyyy-mm-dd hh:nn:ss", "2004-03-17 09:05:41"),
              Encode(2004, 3, 17, 9, 5, 41));
}

}  // namespace
}  // namespace nimbra
