#include "models.h"

#include "codepage.h"

namespace nimbra::handset {

namespace {

bool Contains(const std::string& name, std::string_view part) {
    return name.find(part) != std::string::npos;
}

}  // namespace

int DriverIndexForModel(std::string_view modelName, bool pduModeBox) {
    const std::string name = LowerAnsi(modelName);
    if (name == "nokia datasuite 3.0" || name == "standard nokia phone")
        return kNokiaDataSuite3;
    if (name == "wavecom")
        return kNokiaDataSuite3;
    if (name == "nokia 30")
        return kNokia30;
    if (Contains(name, "dummy"))
        return kTestPhone;
    if (name == "nokia datasuite 2.0")
        return kNokiaDataSuite2;
    if (Contains(name, "noki"))
        return kNokiaDataSuite3;
    if (name == "telular phonecell sx4")
        return kTellular;
    if (Contains(name, "file"))
        return kFilePhone;
    if (name == "standard sagem phone" || Contains(name, "sage") || Contains(name, "rt-"))
        return kSagem;
    if (name == "siemens m1" || name == "siemens m20")
        return kSiemensM20;
    if (Contains(name, "sieme"))
        return kSiemensC35;
    if (name == "motorola timeport" || Contains(name, "motor"))
        return kTimeport;
    if (name == "ericsson gm22" || name == "ericsson gm25")
        return kEricssonGM22;
    if (Contains(name, "sony"))
        return kEricssonT20;
    if (!Contains(name, "eric"))
        return pduModeBox ? kSiemensC35 : kNokiaDataSuite2;
    return kEricssonT20;
}

PortDefaults PortDefaultsFor(int driverIndex, std::string_view modelName) {
    PortDefaults defaults;
    const bool fast = driverIndex == kNokiaDataSuite3 || driverIndex == kSiemensM20 ||
                      driverIndex == kSiemensC35 || driverIndex == kTellular;
    defaults.baud = fast ? 19200 : 9600;
    const std::string name = LowerAnsi(modelName);
    if (name == "nokia 22")
        defaults.baud = 9600;
    if (name == "wavecom")
        defaults.baud = 115200;
    if (driverIndex == kSagem)
        defaults.baud = 57600;
    return defaults;
}

}  // namespace nimbra::handset
