#include "textmode.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "unDate.h"

namespace modemsim {
namespace {

// Host letter, and its code page 437 place.
constexpr std::array<std::pair<unsigned char, unsigned char>, 8> kLetters = {{
    {0xC1, 143},  // Á
    {0xD6, 153},  // Ö
    {0xE1, 133},  // á
    {0xE9, 130},  // é
    {0xF3, 149},  // ó
    {0xF6, 148},  // ö
    {0xFA, 151},  // ú
    {0xFC, 129},  // ü
}};

std::string Mapped(std::string_view text, bool toDevice) {
    std::string out(text);
    for (char& c : out) {
        for (const auto& [host, device] : kLetters) {
            if (static_cast<unsigned char>(c) == (toDevice ? host : device)) {
                c = static_cast<char>(toDevice ? device : host);
                break;
            }
        }
    }
    return out;
}

}  // namespace

std::string ToDeviceText(std::string_view text) {
    return Mapped(text, true);
}

std::string FromDeviceText(std::string_view text) {
    return Mapped(text, false);
}

std::string TextStamp(const LocalTime& time) {
    const nimbra::CivilDateTime c = nimbra::DecodeDateTime(nimbra::EpochToDateTime(time.seconds));
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d,%02d:%02d:%02d%c%02d", c.year % 100, c.month,
                  c.day, c.hour, c.minute, c.second, time.zoneQuarterHours < 0 ? '-' : '+',
                  std::abs(time.zoneQuarterHours) % 100);
    return stamp;
}

}  // namespace modemsim
