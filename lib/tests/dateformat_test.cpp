#include "dateformat.h"

#include <gtest/gtest.h>

#include <string>

namespace nimbra {
namespace {

// 2004-03-07 14:05:09.045, a Sunday.
TDateTime Afternoon() {
    TDateTime dt = 0;
    EXPECT_TRUE(TryEncodeDateTime({2004, 3, 7, 14, 5, 9, 45}, dt));
    return dt;
}

// 2004-11-23 00:30:00, a Tuesday.
TDateTime AfterMidnight() {
    TDateTime dt = 0;
    EXPECT_TRUE(TryEncodeDateTime({2004, 11, 23, 0, 30, 0, 0}, dt));
    return dt;
}

TEST(FormatDateTime, WritesEachItemOfThePicture) {
    struct Case {
        const char* picture;
        const char* afternoon;
        const char* afterMidnight;
    };
    const Case cases[] = {
        {"yyyy-mm-dd hh:nn:ss", "2004-03-07 14:05:09", "2004-11-23 00:30:00"},
        {"d.m.yy h:n:s", "7.3.04 14:5:9", "23.11.04 0:30:0"},
        {"ddd dddd", "Sun Sunday", "Tue Tuesday"},
        {"mmm mmmm", "Mar March", "Nov November"},
        // m and mm right after an hour are minutes; a date item in between ends that.
        {"hh:mm", "14:05", "00:30"},
        {"hh dd mm", "14 07 03", "00 23 11"},
        {"hh:nn am/pm", "02:05 pm", "12:30 am"},
        {"h:nn a/p", "2:05 p", "12:30 a"},
        {"h:nn ampm", "2:05 PM", "12:30 AM"},
        {"ss.zzz z", "09.045 45", "00.000 0"},
        // Letters in either case; quoted text and other characters as they are.
        {"YYYY/MM/DD", "2004/03/07", "2004/11/23"},
        {"'day' d \"of\" mmmm", "day 7 of March", "day 23 of November"},
        // A run longer than an item is read as items from its start.
        {"dddddd", "Sunday07", "Tuesday23"},
        {"x#", "x#", "x#"},
        {"'unclosed", "unclosed", "unclosed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(FormatDateTime(c.picture, Afternoon()), c.afternoon);
        EXPECT_EQ(FormatDateTime(c.picture, AfterMidnight()), c.afterMidnight);
    }
}

TEST(FormatDateTime, CStandsForTheSystemPictureOnce) {
    EXPECT_EQ(FormatDateTime("c", Afternoon()), "2004-03-07 14:05:09");
    EXPECT_EQ(FormatDateTime("c", Afternoon(), "d/m/yyyy hh:nn"), "7/3/2004 14:05");
    EXPECT_EQ(FormatDateTime("[c]", Afternoon(), "dd.mm."), "[07.03.]");
    // A system picture that holds a c again does not loop.
    EXPECT_EQ(FormatDateTime("c", Afternoon(), "c yyyy"), " 2004");
    EXPECT_EQ(FormatDateTime("", Afternoon()), "");
}

}  // namespace
}  // namespace nimbra
