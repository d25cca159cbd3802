#include <gtest/gtest.h>

#include <map>
#include <string>

#include "portsettings.h"

namespace nimbra::handset {
namespace {

class MapValues final : public StoredPortValues {
public:
    explicit MapValues(std::map<std::string, std::string> values) : values_(std::move(values)) {}
    std::string Value(std::string_view name) const override {
        const auto it = values_.find(std::string(name));
        return it == values_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> values_;
};

TEST(ReadPortSettings, StoredPositionsChooseTheLineSettings) {
    const MapValues stored({{kBaudValue, "12"},
                            {kDataValue, "2"},
                            {kParityValue, "2"},
                            {kStopValue, "2"},
                            {kHwFlowValue, "0"},
                            {kSwFlowValue, "1"}});
    const PortSettings settings = ReadPortSettings(stored, "/dev/ttyUSB0", PortDefaults{});
    EXPECT_EQ(settings.portName, "/dev/ttyUSB0");
    EXPECT_EQ(settings.baud, 115200);
    EXPECT_EQ(settings.dataBits, 7);
    EXPECT_EQ(settings.parity, Parity::Even);
    EXPECT_EQ(settings.stopBits, StopBits::Two);
    EXPECT_EQ(settings.hwFlow, HwFlow::None);
    EXPECT_EQ(settings.swFlow, SwFlow::XonXoff);
}

TEST(ReadPortSettings, MissingOrUnreadableValuesTakeTheDriversDefaults) {
    PortDefaults sagem;
    sagem.baud = 57600;
    struct Case {
        std::map<std::string, std::string> stored;
        int baud;
    };
    const std::vector<Case> cases = {
        {{}, 57600},
        {{{kBaudValue, "8"}}, 19200},
        {{{kBaudValue, "13"}}, 57600},  // past the last speed
        {{{kBaudValue, "-1"}}, 57600},
        {{{kBaudValue, "fast"}}, 57600},
        {{{kBaudValue, "8x"}}, 57600},
    };
    for (const Case& c : cases) {
        const PortSettings settings = ReadPortSettings(MapValues(c.stored), "COM2", sagem);
        EXPECT_EQ(settings.baud, c.baud);
        EXPECT_EQ(settings.dataBits, 8);
        EXPECT_EQ(settings.parity, Parity::None);
        EXPECT_EQ(settings.stopBits, StopBits::One);
        EXPECT_EQ(settings.hwFlow, HwFlow::RtsCts);
    }
}

TEST(PortSettingsHelpers, PortNumbersSpeedsAndQueueSizes) {
    EXPECT_EQ(PortNumberFromName("COM3"), 3);
    EXPECT_EQ(PortNumberFromName("COM12"), 12);
    EXPECT_EQ(PortNumberFromName("/dev/ttyUSB"), 1);
    EXPECT_EQ(PortNumberFromName("/dev/pts/7"), 7);
    EXPECT_EQ(BaudPosition(19200), 8);
    EXPECT_EQ(BaudPosition(115200), 12);
    EXPECT_EQ(BaudPosition(12345), -1);
    EXPECT_EQ(ClampQueueSize(20000), 8192);
    EXPECT_EQ(ClampQueueSize(100), 128);
    EXPECT_EQ(ClampQueueSize(2048), 2048);
}

}  // namespace
}  // namespace nimbra::handset
