#include "storedsettings.h"

#include "settingsstore.h"

namespace nimbra::handset {

std::string StoredSettings::Read(std::string_view section, std::string_view name,
                                 std::string_view def) const {
    return ReadPluginSetting(section, name, def);
}

void StoredSettings::Write(std::string_view section, std::string_view name,
                           std::string_view value) {
    WritePluginSetting(section, name, value);
}

}  // namespace nimbra::handset
