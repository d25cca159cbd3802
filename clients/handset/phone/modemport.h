#pragma once
// What the AT command engine needs of the world around it: the serial port, a clock to wait
// on and the port log. The program gives it the serial port object and the real clock; tests
// give it a scripted device that answers each command at once and a clock they move by hand.

#include <string>
#include <string_view>

namespace nimbra::handset {

class ModemPort {
public:
    virtual ~ModemPort() = default;
    // Applies the current port settings, opens the port and purges both directions.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Writes all bytes; false when the port took less within its output timeout.
    virtual bool Write(std::string_view bytes) = 0;
    // The device has gone (unplugged; the other end of a pseudo-terminal closed).
    virtual bool Lost() const = 0;
};

class ModemClock {
public:
    virtual ~ModemClock() = default;
    // Milliseconds on a clock that only moves forward.
    virtual long long NowMs() = 0;
    virtual void Sleep(int ms) = 0;
};

// The real clock: std::chrono::steady_clock and a sleep of the calling thread.
ModemClock& SteadyModemClock();

// The port log ("com" channel): "<" + what was written, ">" + what arrived.
class PortLog {
public:
    virtual ~PortLog() = default;
    virtual void Line(std::string_view line) = 0;
};

}  // namespace nimbra::handset
