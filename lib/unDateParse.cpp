// Reading a date-time text through a picture (the counterpart of formatting with one).

#include <array>
#include <string>

#include "unDate.h"
#include "unStrings.h"

namespace nimbra {
namespace {

const std::array<std::string_view, 7> kLongDayNames = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                                       "THURSDAY", "FRIDAY", "SATURDAY"};
const std::array<std::string_view, 12> kLongMonthNames = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

constexpr std::array<std::string_view, 18> kItems = {"DD", "DDD", "DDDD", "MM", "MMM", "MMMM",
                                                     "YY", "YYY", "YYYY", "HH", "NN",  "SS",
                                                     "ZZ", "ZZZ", "AP",   "AM", "AMP", "AMPM"};

bool IsItemLetter(char c) {
    return std::string_view("ADHMNPSYZ").find(c) != std::string::npos;
}

bool IsItem(std::string_view text) {
    for (std::string_view item : kItems) {
        if (item == text)
            return true;
    }
    return false;
}

// The unread rest of the text, consumed from the front.
class Cursor {
public:
    explicit Cursor(std::string s) : rest_(std::move(s)) {}

    std::string Take(std::size_t n) {
        std::string front = rest_.substr(0, n);
        rest_.erase(0, n);
        return front;
    }
    void Skip(std::size_t n) { rest_.erase(0, n); }
    // A number read with blanks trimmed; text that is not a number reads as 0.
    int TakeNumber(std::size_t n) {
        int value = 0;
        return ParseInt32(TrimBlanks(Take(n)), value) ? value : 0;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string rest_;
};

// Index of the name whose first three letters equal the first three characters of text.
template <std::size_t N>
int MatchName(const std::array<std::string_view, N>& names, std::string_view text) {
    if (text.size() < 3)
        return -1;
    for (std::size_t k = 0; k < N; ++k) {
        if (names[k].substr(0, 3) == text.substr(0, 3))
            return static_cast<int>(k);
    }
    return -1;
}

}  // namespace

TDateTime ParseDateTime(std::string_view picture, std::string_view s) {
    return ParseDateTime(picture, s, Now());
}

TDateTime ParseDateTime(std::string_view pictureIn, std::string_view s, TDateTime today) {
    const std::string picture = UpperAscii(pictureIn);
    Cursor text(UpperAscii(s));
    CivilDateTime v;  // year 1, month 1, day 1, 00:00:00.000
    enum class Half { kNone, kMorning, kAfternoon } half = Half::kNone;

    std::size_t i = 0;
    while (i + 1 < picture.size()) {
        if (!IsItemLetter(picture[i])) {
            if (text.Rest().size() > 1)
                text.Skip(1);
            ++i;
            continue;
        }
        std::size_t len = 1;
        while (i + len < picture.size() && IsItem(std::string_view(picture).substr(i, len + 1))) {
            ++len;
        }
        const std::string item = picture.substr(i, len);
        i += len;

        if (item == "DD") {
            v.day = text.TakeNumber(2);
        } else if (item == "DDD") {
            text.Skip(3);
        } else if (item == "DDDD") {
            const int k = MatchName(kLongDayNames, text.Rest());
            if (k >= 0)
                text.Skip(kLongDayNames[static_cast<std::size_t>(k)].size());
        } else if (item == "MM") {
            v.month = text.TakeNumber(2);
        } else if (item == "MMM" || item == "MMMM") {
            const int k = MatchName(kLongMonthNames, text.Rest());
            if (k >= 0)
                v.month = k + 1;
            if (item == "MMM") {
                text.Skip(3);
            } else if (k >= 0) {
                text.Skip(kLongMonthNames[static_cast<std::size_t>(k)].size());
            }
        } else if (item == "YY") {
            const int century = DecodeDateTime(today).year / 100 * 100;
            const int yy = text.TakeNumber(2);
            v.year = yy < 50 ? century + yy : century - 100 + yy;
        } else if (item == "YYYY") {
            v.year = text.TakeNumber(4);
        } else if (item == "HH") {
            v.hour = text.TakeNumber(2);
        } else if (item == "NN") {
            v.minute = text.TakeNumber(2);
        } else if (item == "SS") {
            v.second = text.TakeNumber(2);
        } else if (item == "ZZ" || item == "ZZZ") {
            v.millisecond = text.TakeNumber(3);
        } else if (item == "AP") {
            half = text.Take(1) == "A" ? Half::kMorning : Half::kAfternoon;
        } else if (item == "AM" || item == "AMP" || item == "AMPM") {
            half = text.Take(2) == "AM" ? Half::kMorning : Half::kAfternoon;
        }
        // YYY and a lone letter take nothing.
    }

    if (half == Half::kAfternoon && v.hour < 12)
        v.hour += 12;
    TDateTime result = 0;
    return TryEncodeDateTime(v, result) ? result : 0;
}

}  // namespace nimbra
