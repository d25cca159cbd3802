#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models.h"

namespace nimbra::handset {
namespace {

TEST(DriverIndexForModel, ModelNamesChooseTheirDriver) {
    struct Case {
        std::string model;
        bool pduBox;
        int index;
    };
    const std::vector<Case> cases = {
        {"Nokia 6310", true, kNokiaDataSuite3},
        {"Nokia 30", true, kNokia30},
        {"Siemens S45", true, kSiemensC35},
        {"Siemens M20", true, kSiemensM20},
        {"Siemens M1", false, kSiemensM20},
        {"Sony Ericsson T68i", true, kEricssonT20},
        {"Ericsson R320", true, kEricssonT20},
        {"Ericsson GM22", true, kEricssonGM22},
        {"Ericsson GM25", false, kEricssonGM22},
        {"Sagem RT 3000", true, kSagem},
        {"Standard Sagem Phone", true, kSagem},
        {"ACME RT-9", true, kSagem},
        {"Dummy phone (for developers)", true, kTestPhone},
        {"File phone (for developers)", true, kFilePhone},
        {"Nokia DataSuite 2.0", true, kNokiaDataSuite2},
        {"Nokia DataSuite 3.0", false, kNokiaDataSuite3},
        {"Standard Nokia Phone", true, kNokiaDataSuite3},
        {"WAVECOM", true, kNokiaDataSuite3},
        {"Telular Phonecell SX4", true, kTellular},
        {"Motorola Timeport", true, kTimeport},
        {"Motorola V3", true, kTimeport},
        // Names no rule knows: the PDU mode box decides.
        {"ACME GSM900", true, kSiemensC35},
        {"ACME GSM900", false, kNokiaDataSuite2},
        {"Autodetect", false, kNokiaDataSuite2},
        // Rule order: "dummy" before "noki", "file" before "sieme".
        {"Dummy Nokia", true, kTestPhone},
        {"Siemens file modem", true, kFilePhone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DriverIndexForModel(c.model, c.pduBox), c.index) << c.model;
    }
}

TEST(PortDefaultsFor, SpeedsByDriverAndModelWithTheFixedLineSettings) {
    struct Case {
        int driver;
        std::string model;
        int baud;
    };
    const std::vector<Case> cases = {
        {kNokiaDataSuite3, "Nokia 6310", 19200}, {kSiemensM20, "Siemens M20", 19200},
        {kSiemensC35, "Siemens S45", 19200},     {kTellular, "Telular Phonecell SX4", 19200},
        {kNokiaDataSuite2, "Nokia 8810", 9600},  {kEricssonT20, "Ericsson T20", 9600},
        {kNokiaDataSuite3, "Nokia 22", 9600},    {kNokiaDataSuite3, "Wavecom", 115200},
        {kSagem, "Sagem RT 3000", 57600},        {kTimeport, "Motorola Timeport", 9600},
    };
    for (const Case& c : cases) {
        const PortDefaults defaults = PortDefaultsFor(c.driver, c.model);
        EXPECT_EQ(defaults.baud, c.baud) << c.model;
        EXPECT_EQ(defaults.dataBitsIndex, 3);
        EXPECT_EQ(defaults.stopBitsIndex, 0);
        EXPECT_EQ(defaults.parityIndex, 0);
        EXPECT_EQ(defaults.hwFlowIndex, 2);
        EXPECT_EQ(defaults.swFlowIndex, 0);
    }
}

}  // namespace
}  // namespace nimbra::handset
