#pragma once
// The serial line settings of the handset's port, from the values the port settings window
// stores (radio groups as the chosen position) and the port name of the preferences. Plain
// C++; the serial port object applies them.

#include <array>
#include <string>
#include <string_view>

#include "models.h"

namespace nimbra::handset {

// The speeds of the port settings window, in its order.
inline constexpr std::array<int, 13> kBaudRates = {110,   300,   600,   1200,  2400,  4800,  9600,
                                                   14400, 19200, 38400, 56000, 57600, 115200};

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };
enum class HwFlow { None, RtsOn, RtsCts };
enum class SwFlow { None, XonXoff };

inline constexpr int kDefaultQueueSize = 2048;
inline constexpr int kOutputTimeoutMs = 500;

struct PortSettings {
    std::string portName = "COM1";  // the device path (a "COM3"-style name is kept as it is)
    int portNumber = 1;             // the digits of the name ("COM3" gives 3; none gives 1)
    int baud = 19200;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    HwFlow hwFlow = HwFlow::RtsCts;
    SwFlow swFlow = SwFlow::None;
    bool dtrOnOpen = true;
    int inQueue = kDefaultQueueSize;
    int outQueue = kDefaultQueueSize;
    int outputTimeoutMs = kOutputTimeoutMs;
};

// The value names of the port settings section.
inline constexpr char kBaudValue[] = "rgBaud";
inline constexpr char kDataValue[] = "rgData";
inline constexpr char kParityValue[] = "rgParity";
inline constexpr char kStopValue[] = "rgStop";
inline constexpr char kHwFlowValue[] = "rgHWF";
inline constexpr char kSwFlowValue[] = "rgSW";

// Reads one stored value of the port settings section; empty when none is stored.
class StoredPortValues {
public:
    virtual ~StoredPortValues() = default;
    virtual std::string Value(std::string_view name) const = 0;
};

// The port settings: each radio group from its stored position; a group without a stored
// position, or whose value is not a position of the group, takes the chosen driver's default.
PortSettings ReadPortSettings(const StoredPortValues& stored, std::string_view portName,
                              const PortDefaults& defaults);

// The position of a speed in kBaudRates, or -1.
int BaudPosition(int baud);
// The digits of a port name as a number; 1 when it has none.
int PortNumberFromName(std::string_view portName);
// A queue size within 128 to 8192 bytes.
int ClampQueueSize(int bytes);

}  // namespace nimbra::handset
