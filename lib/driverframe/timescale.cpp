#include "timescale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace nimbra::driver {

std::optional<double> TimeScaleFromText(std::string_view text) {
    double factor = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), factor);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !(factor > 0) || factor > 1)
        return std::nullopt;
    return factor;
}

double ProcessTimeScale() {
    const char* text = std::getenv(kTimeScaleVariable);
    return text ? TimeScaleFromText(text).value_or(1.0) : 1.0;
}

int ScaledMs(int ms, double factor) {
    return ms <= 0 ? ms : std::max(1, static_cast<int>(std::lround(ms * factor)));
}

}  // namespace nimbra::driver
