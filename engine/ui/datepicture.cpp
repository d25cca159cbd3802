#include "datepicture.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace nimbra::ui {
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithItem(std::string_view picture, std::size_t at, std::string_view item) {
    if (picture.size() - at < item.size())
        return false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        if (Lower(picture[at + i]) != item[i])
            return false;
    }
    return true;
}

std::string Number(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

// Whether the picture (outside quotes) holds an am/pm item.
bool HasHalfDayItem(std::string_view picture) {
    char quote = 0;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const char c = picture[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithItem(picture, i, "am/pm") || StartsWithItem(picture, i, "a/p") ||
                   StartsWithItem(picture, i, "ampm")) {
            return true;
        }
    }
    return false;
}

// The number of letters c from at on, ignoring case.
std::size_t RunLength(std::string_view picture, std::size_t at, char c) {
    std::size_t n = 0;
    while (at + n < picture.size() && Lower(picture[at + n]) == c)
        ++n;
    return n;
}

class Writer {
public:
    Writer(TDateTime dt, std::string_view systemPicture)
        : dt_(dt), c_(DecodeDateTime(dt)), system_(systemPicture) {}

    std::string Write(std::string_view picture, int depth) {
        twelveHour_ = HasHalfDayItem(picture);
        std::string out;
        std::size_t i = 0;
        while (i < picture.size())
            i = WriteItem(picture, i, depth, out);
        return out;
    }

private:
    // Writes the item at i; gives the position after it.
    std::size_t WriteItem(std::string_view picture, std::size_t i, int depth, std::string& out) {
        const char c = Lower(picture[i]);
        if (picture[i] == '"' || picture[i] == '\'') {
            const std::size_t end = picture.find(picture[i], i + 1);
            const std::size_t stop = end == std::string_view::npos ? picture.size() : end;
            out.append(picture.substr(i + 1, stop - i - 1));
            return stop == picture.size() ? stop : stop + 1;
        }
        if (StartsWithItem(picture, i, "am/pm")) {
            out += c_.hour < 12 ? "am" : "pm";
            return i + 5;
        }
        if (StartsWithItem(picture, i, "a/p")) {
            out += c_.hour < 12 ? "a" : "p";
            return i + 3;
        }
        if (StartsWithItem(picture, i, "ampm")) {
            out += c_.hour < 12 ? "AM" : "PM";
            return i + 4;
        }
        const std::size_t n = RunLength(picture, i, c);
        switch (c) {
            case 'c':
                // The system picture holds no "c"; a second level would be a loop.
                if (depth == 0)
                    out += Writer(dt_, system_).Write(system_, 1);
                return i + 1;
            case 'd':
                out += n >= 4   ? std::string(kDayNames[DayOfWeek()])
                       : n == 3 ? std::string(kDayNames[DayOfWeek()].substr(0, 3))
                                : Number(c_.day, static_cast<int>(n));
                afterHour_ = false;
                return i + std::min<std::size_t>(n, 4);
            case 'm':
                if (afterHour_ && n <= 2) {
                    out += Number(c_.minute, static_cast<int>(n));
                } else {
                    const auto& name = kMonthNames[static_cast<std::size_t>(c_.month - 1)];
                    out += n >= 4   ? std::string(name)
                           : n == 3 ? std::string(name.substr(0, 3))
                                    : Number(c_.month, static_cast<int>(n));
                }
                afterHour_ = false;
                return i + std::min<std::size_t>(n, 4);
            case 'y':
                out += n <= 2 ? Number(c_.year % 100, 2) : Number(c_.year, 4);
                return i + n;
            case 'h': {
                int hour = c_.hour;
                if (twelveHour_)
                    hour = hour % 12 == 0 ? 12 : hour % 12;
                out += Number(hour, n >= 2 ? 2 : 1);
                afterHour_ = true;
                return i + std::min<std::size_t>(n, 2);
            }
            case 'n':
                out += Number(c_.minute, n >= 2 ? 2 : 1);
                return i + std::min<std::size_t>(n, 2);
            case 's':
                out += Number(c_.second, n >= 2 ? 2 : 1);
                return i + std::min<std::size_t>(n, 2);
            case 'z':
                out += Number(c_.millisecond, n >= 3 ? 3 : 1);
                return i + std::min<std::size_t>(n, 3);
            default:
                out += picture[i];
                return i + 1;
        }
    }

    std::size_t DayOfWeek() const {
        // Day 1 (1899-12-31) was a Sunday.
        const long long day = static_cast<long long>(std::floor(dt_));
        return static_cast<std::size_t>(((day - 1) % 7 + 7) % 7);
    }

    TDateTime dt_;
    CivilDateTime c_;
    std::string_view system_;
    bool twelveHour_ = false;
    bool afterHour_ = false;
};

}  // namespace

std::string FormatDateTime(std::string_view picture, TDateTime dt, std::string_view systemPicture) {
    return Writer(dt, systemPicture).Write(picture, 0);
}

}  // namespace nimbra::ui
