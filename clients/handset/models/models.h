#pragma once
// The twelve phone drivers and how a model name chooses one, and the port settings each
// driver starts with. Plain C++.

#include <array>
#include <string>
#include <string_view>

namespace nimbra::handset {

// Driver indexes, in the order of the hidden driver list.
enum DriverIndex : int {
    kNokiaDataSuite2 = 0,
    kNokiaDataSuite3 = 1,
    kSiemensM20 = 2,
    kTestPhone = 3,
    kEricssonT20 = 4,
    kSiemensC35 = 5,
    kTimeport = 6,
    kEricssonGM22 = 7,
    kTellular = 8,
    kNokia30 = 9,
    kSagem = 10,
    kFilePhone = 11,
};
inline constexpr int kDriverCount = 12;
inline constexpr int kDefaultDriver = kSiemensM20;

struct DriverVariant {
    const char* itemText;  // its text in the driver list
    bool pduMode;
    int memorySize;  // message slots read in one pass
};

inline constexpr std::array<DriverVariant, kDriverCount> kDriverVariants = {{
    {"Nokia DataSuite 2.0", false, 12},
    {"Nokia DataSuite 3.0", true, 12},
    {"Siemens M20", true, 10},
    {"Test phone (for development)", false, 10},
    {"Ericsson T20", true, 15},
    {"Siemens C35", true, 10},
    {"Timeport", true, 15},
    {"Ericsson GM22", true, 15},
    {"Tellular", false, 10},
    {"Nokia 30", true, 12},
    {"Sagem", true, 12},
    {"Filephone", false, 10},
}};

// The model field's value before a model is chosen.
inline constexpr std::string_view kAutodetectModel = "Autodetect";

// The driver for a model name (compared in lower case, first rule that matches wins). A name
// no rule knows takes the general PDU driver when the port settings' "PDU mode" box is on,
// else the text-mode one.
int DriverIndexForModel(std::string_view modelName, bool pduModeBox);

// Line settings as indexes into the port settings window's choices.
struct PortDefaults {
    int baud = 19200;
    int dataBitsIndex = 3;  // 8 bits
    int stopBitsIndex = 0;  // 1 bit
    int parityIndex = 0;    // none
    int hwFlowIndex = 2;    // RTS/CTS
    int swFlowIndex = 0;    // none
};

// What a driver chosen for a model starts with.
PortDefaults PortDefaultsFor(int driverIndex, std::string_view modelName);

}  // namespace nimbra::handset
