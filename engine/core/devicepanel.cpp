#include "devicepanel.h"

#include <algorithm>

namespace nimbra {

std::string DevicePanel::HeaderLine(const std::string& realName) {
    return "      [" + realName + "]";
}

void DevicePanel::Clear() {
    entries_.clear();
    Changed();
}

DevicePanel::Entry* DevicePanel::Find(const std::string& realName) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.realName == realName; });
    return found == entries_.end() ? nullptr : &*found;
}

DevicePanel::Entry& DevicePanel::FindOrAppend(const std::string& realName) {
    if (Entry* entry = Find(realName))
        return *entry;
    entries_.push_back({realName, {}, {}});
    return entries_.back();
}

std::vector<std::string> DevicePanel::Lines() const {
    std::vector<std::string> lines;
    for (const Entry& entry : entries_) {
        lines.push_back(HeaderLine(entry.realName));
        lines.push_back(entry.status);
    }
    return lines;
}

void DevicePanel::Changed() const {
    if (onChange)
        onChange();
}

}  // namespace nimbra
