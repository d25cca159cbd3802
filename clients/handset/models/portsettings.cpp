#include "portsettings.h"

#include <algorithm>

#include "unStrings.h"

namespace nimbra::handset {

namespace {

// The stored position of a group with `count` choices, or fallback.
int Position(const StoredPortValues& stored, std::string_view name, int count, int fallback) {
    int value = 0;
    if (!ParseInt32(stored.Value(name), value) || value < 0 || value >= count)
        return fallback;
    return value;
}

}  // namespace

int BaudPosition(int baud) {
    const auto it = std::find(kBaudRates.begin(), kBaudRates.end(), baud);
    return it == kBaudRates.end() ? -1 : static_cast<int>(it - kBaudRates.begin());
}

int PortNumberFromName(std::string_view portName) {
    std::string digits;
    for (const char c : portName) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    int number = 0;
    return ParseInt32(digits, number) ? number : 1;
}

int ClampQueueSize(int bytes) {
    return std::clamp(bytes, 128, 8192);
}

PortSettings ReadPortSettings(const StoredPortValues& stored, std::string_view portName,
                              const PortDefaults& defaults) {
    PortSettings settings;
    settings.portName = std::string(portName);
    settings.portNumber = PortNumberFromName(portName);
    const int baudDefault = std::max(0, BaudPosition(defaults.baud));
    settings.baud = kBaudRates[static_cast<std::size_t>(
        Position(stored, kBaudValue, static_cast<int>(kBaudRates.size()), baudDefault))];
    settings.dataBits = 5 + Position(stored, kDataValue, 4, defaults.dataBitsIndex);
    settings.parity = static_cast<Parity>(Position(stored, kParityValue, 5, defaults.parityIndex));
    settings.stopBits =
        static_cast<StopBits>(Position(stored, kStopValue, 3, defaults.stopBitsIndex));
    settings.hwFlow = static_cast<HwFlow>(Position(stored, kHwFlowValue, 3, defaults.hwFlowIndex));
    settings.swFlow = static_cast<SwFlow>(Position(stored, kSwFlowValue, 2, defaults.swFlowIndex));
    return settings;
}

}  // namespace nimbra::handset
