#pragma once
// The handset's settings in the settings store shared by all programs; each read sees what
// another program wrote last.

#include "handsetsettings.h"

namespace nimbra::handset {

class StoredSettings final : public SettingsSource {
public:
    std::string Read(std::string_view section, std::string_view name,
                     std::string_view def) const override;
    void Write(std::string_view section, std::string_view name, std::string_view value) override;
};

}  // namespace nimbra::handset
