#pragma once
// The modem's clocks: milliseconds on a clock that only moves forward, for answers that come
// late and reports that come later; and the local wall-clock time, for the service centre
// time stamps. The program reads the system clocks; tests set both by hand.

namespace modemsim {

struct LocalTime {
    long long seconds = 0;     // local wall-clock seconds since 1970-01-01 (not UTC)
    int zoneQuarterHours = 0;  // offset of local time from UTC
};

class ModemClock {
public:
    virtual ~ModemClock() = default;
    virtual long long NowMs() const = 0;
    virtual LocalTime Wall() const = 0;
};

}  // namespace modemsim
