#include "pdureferencesetting.h"

#include <gtest/gtest.h>

#include "settingsstore.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

// Concatenated messages take their references from the settings store, so that a new codec
// (and a new run of the driver) goes on from the last one used.
TEST(PduReferenceSettingTest, ReferencesGoOnFromTheStore) {
    testing_support::ScopedSettingsDir dir;
    testing_support::TempDir parts;
    PduCodecOptions options;
    options.partsFolder = parts.path();
    const std::string text(153, 'a');  // the first of two parts
    SettingsPduReferenceStore store;
    for (const char* expected : {"61", "62"}) {
        TsmsPduCodec codec(store, options);
        const PduSubmit first = codec.EncodeSubmit("+123", "", text, 2, 1, false);
        EXPECT_NE(first.pdu.find(std::string("050003") + expected + "0201"), std::string::npos);
        EXPECT_EQ(ReadPluginSetting("pducoder", "udhsourceport", ""), expected);
    }
    WritePluginSetting("pducoder", "udhsourceport", "F0");
    TsmsPduCodec codec(store, options);
    codec.EncodeSubmit("+123", "", text, 2, 1, false);
    EXPECT_EQ(ReadPluginSetting("pducoder", "udhsourceport", ""), "3C");
}

}  // namespace
}  // namespace nimbra
