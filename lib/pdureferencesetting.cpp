#include "pdureferencesetting.h"

#include "settingsstore.h"

namespace nimbra {

std::string SettingsPduReferenceStore::Read() {
    return ReadPluginSetting(kPduSettingsSection, kUdhSourcePortValue, "");
}

void SettingsPduReferenceStore::Write(const std::string& value) {
    WritePluginSetting(kPduSettingsSection, kUdhSourcePortValue, value);
}

}  // namespace nimbra
