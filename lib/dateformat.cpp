#include "dateformat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace nimbra {
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ItemAt(std::string_view picture, std::size_t at, std::string_view item) {
    if (picture.size() - at < item.size())
        return false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        if (Lower(picture[at + i]) != item[i])
            return false;
    }
    return true;
}

// The half-day items, longest first where one begins another.
constexpr std::array<std::string_view, 3> kHalfDayItems = {"am/pm", "ampm", "a/p"};

std::string_view HalfDayItemAt(std::string_view picture, std::size_t at) {
    for (std::string_view item : kHalfDayItems) {
        if (ItemAt(picture, at, item))
            return item;
    }
    return {};
}

bool HasHalfDayItem(std::string_view picture) {
    char quote = 0;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (quote) {
            quote = picture[i] == quote ? 0 : quote;
        } else if (picture[i] == '"' || picture[i] == '\'') {
            quote = picture[i];
        } else if (!HalfDayItemAt(picture, i).empty()) {
            return true;
        }
    }
    return false;
}

std::string Number(int value, std::size_t digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", static_cast<int>(digits), value);
    return text;
}

std::string_view Shortened(std::string_view name, std::size_t letters) {
    return letters >= 4 ? name : name.substr(0, 3);
}

class PictureWriter {
public:
    PictureWriter(TDateTime dt, std::string_view systemPicture)
        : dt_(dt), at_(DecodeDateTime(dt)), system_(systemPicture) {}

    std::string Write(std::string_view picture, bool nested) {
        twelveHour_ = HasHalfDayItem(picture);
        afterHour_ = false;
        std::string out;
        for (std::size_t i = 0; i < picture.size();)
            i = WriteItem(picture, i, nested, out);
        return out;
    }

private:
    // Writes the item at i; gives the position after it.
    std::size_t WriteItem(std::string_view picture, std::size_t i, bool nested, std::string& out) {
        if (picture[i] == '"' || picture[i] == '\'') {
            const std::size_t end = std::min(picture.find(picture[i], i + 1), picture.size());
            out.append(picture.substr(i + 1, end - i - 1));
            return std::min(end + 1, picture.size());
        }
        if (const std::string_view item = HalfDayItemAt(picture, i); !item.empty()) {
            const bool morning = at_.hour < 12;
            out += item == "am/pm"  ? (morning ? "am" : "pm")
                   : item == "ampm" ? (morning ? "AM" : "PM")
                                    : (morning ? "a" : "p");
            return i + item.size();
        }
        const char letter = Lower(picture[i]);
        std::size_t run = 1;
        while (i + run < picture.size() && Lower(picture[i + run]) == letter)
            ++run;
        switch (letter) {
            case 'c':
                // The system picture is written once; a "c" inside it stands for nothing.
                if (!nested)
                    out += PictureWriter(dt_, system_).Write(system_, true);
                return i + 1;
            case 'd':
                run = std::min<std::size_t>(run, 4);
                out += run <= 2 ? Number(at_.day, run)
                                : std::string(Shortened(kDayNames[DayOfWeek()], run));
                afterHour_ = false;
                return i + run;
            case 'm':
                run = std::min<std::size_t>(run, 4);
                if (afterHour_ && run <= 2)
                    out += Number(at_.minute, run);
                else if (run <= 2)
                    out += Number(at_.month, run);
                else
                    out += Shortened(kMonthNames[static_cast<std::size_t>(at_.month - 1)], run);
                afterHour_ = false;
                return i + run;
            case 'y':
                out += run <= 2 ? Number(at_.year % 100, 2) : Number(at_.year, 4);
                afterHour_ = false;
                return i + run;
            case 'h': {
                run = std::min<std::size_t>(run, 2);
                int hour = at_.hour;
                if (twelveHour_)
                    hour = hour % 12 == 0 ? 12 : hour % 12;
                out += Number(hour, run);
                afterHour_ = true;
                return i + run;
            }
            case 'n':
            case 's':
                run = std::min<std::size_t>(run, 2);
                out += Number(letter == 'n' ? at_.minute : at_.second, run);
                return i + run;
            case 'z':
                run = std::min<std::size_t>(run, 3);
                out += Number(at_.millisecond, run == 3 ? 3 : 1);
                return i + run;
            default:
                out += picture[i];
                return i + 1;
        }
    }

    std::size_t DayOfWeek() const {
        // Day 1, 1899-12-31, was a Sunday.
        const long long day = static_cast<long long>(std::floor(dt_));
        return static_cast<std::size_t>(((day - 1) % 7 + 7) % 7);
    }

    TDateTime dt_;
    CivilDateTime at_;
    std::string_view system_;
    bool twelveHour_ = false;
    bool afterHour_ = false;
};

}  // namespace

std::string FormatDateTime(std::string_view picture, TDateTime dt, std::string_view systemPicture) {
    return PictureWriter(dt, systemPicture).Write(picture, false);
}

}  // namespace nimbra
