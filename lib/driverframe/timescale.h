#pragma once
// One factor for every wait of the device drivers: the TCP drivers' response timeouts,
// keepalives, back-offs and link rebuilds, and the GSM driver's modem timings. Tests shorten
// them all at once with NIMBRA_DRIVER_TIME_SCALE, a factor above 0 and at most 1 (e.g. 0.2);
// the programs never lengthen them, and without the variable they wait as designed.

#include <optional>
#include <string_view>

namespace nimbra::driver {

inline constexpr char kTimeScaleVariable[] = "NIMBRA_DRIVER_TIME_SCALE";

// The factor in text, or nullopt when it is not a number above 0 and at most 1.
std::optional<double> TimeScaleFromText(std::string_view text);
// The factor of this process: NIMBRA_DRIVER_TIME_SCALE when it is set and valid, else 1.
double ProcessTimeScale();
// ms multiplied by factor; a wait that was there stays at least 1 ms.
int ScaledMs(int ms, double factor);

}  // namespace nimbra::driver
