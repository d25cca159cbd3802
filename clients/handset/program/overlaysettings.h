#pragma once
// Settings as a window shows them before they are kept: the values given for one section
// stand in front of the store; everything else, and every write, goes to the store.

#include <map>
#include <string>

#include "handsetsettings.h"

namespace nimbra::handset {

class OverlaySettings final : public SettingsSource {
public:
    using Values = std::map<std::string, std::string, std::less<>>;
    OverlaySettings(SettingsSource& base, std::string section, Values values)
        : base_(base), section_(std::move(section)), values_(std::move(values)) {}

    std::string Read(std::string_view section, std::string_view name,
                     std::string_view def) const override {
        if (section == section_) {
            const auto it = values_.find(name);
            if (it != values_.end())
                return it->second;
        }
        return base_.Read(section, name, def);
    }
    void Write(std::string_view section, std::string_view name, std::string_view value) override {
        base_.Write(section, name, value);
    }

private:
    SettingsSource& base_;
    std::string section_;
    Values values_;
};

}  // namespace nimbra::handset
