#pragma once
// The modem without its port, on a clock the test moves: bytes in, the bytes due out.

#include <string>
#include <string_view>

#include "modem.h"
#include "unDate.h"

namespace modemsim::test {

// 2005-03-12 10:20:30 local time, one hour east of UTC, when the test starts.
class FakeClock final : public ModemClock {
public:
    long long NowMs() const override { return ms; }
    LocalTime Wall() const override { return {StartSeconds() + ms / 1000, 4}; }
    static long long StartSeconds() {
        nimbra::TDateTime start = 0;
        nimbra::TryEncodeDateTime({2005, 3, 12, 10, 20, 30, 0}, start);
        return nimbra::DateTimeToEpoch(start);
    }

    long long ms = 0;
};

inline ModemSettings Quiet() {
    ModemSettings settings;
    settings.echo = false;
    return settings;
}

class ModemFixture {
public:
    explicit ModemFixture(ModemSettings settings = Quiet()) : modem(std::move(settings), clock) {}

    // Writes the bytes and gives what is due at once.
    std::string Say(std::string_view bytes) {
        modem.Receive(bytes);
        return modem.TakeOutput();
    }
    // Moves the clock and gives what became due.
    std::string After(long long ms) {
        clock.ms += ms;
        return modem.TakeOutput();
    }

    FakeClock clock;
    Modem modem;
};

}  // namespace modemsim::test
