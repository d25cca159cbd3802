#include "scripted_device.h"

#include "phonemodels.h"

namespace nimbra::handset::testing {

bool ScriptedDevice::Open() {
    ++opens;
    if (refuseOpen)
        return false;
    open = true;
    return true;
}

bool ScriptedDevice::Write(std::string_view bytes) {
    writes.emplace_back(bytes);
    if (lost)
        return false;
    for (const char c : bytes) {
        if (c != '\r' && c != kCtrlZ) {
            pending_.push_back(c);
            continue;
        }
        const std::string command = pending_;
        pending_.clear();
        commands.push_back(command);
        times.push_back(clock_.now);
        const std::string answer = script(command);
        if (!answer.empty() && modem_)
            modem_->OnReceiveData(answer);
    }
    return true;
}

std::string MapSettings::Read(std::string_view section, std::string_view name,
                              std::string_view def) const {
    const auto it = values.find(std::string(section) + "/" + std::string(name));
    return it == values.end() || it->second.empty() ? std::string(def) : it->second;
}

void MapSettings::Write(std::string_view section, std::string_view name, std::string_view value) {
    values[std::string(section) + "/" + std::string(name)] = std::string(value);
}

PhoneBench::PhoneBench(int driverIndex, std::map<std::string, std::string> prefs,
                       std::map<std::string, std::string> portValues) {
    for (const auto& [name, value] : prefs)
        store.values["GSM Device1/" + name] = value;
    for (const auto& [name, value] : portValues)
        store.values["GSM Device1_comport/" + name] = value;
    phone =
        CreatePhone(driverIndex, {device, clock, log, ModemTimings{}, settings, host, references});
    device.Attach(*phone);
}

}  // namespace nimbra::handset::testing
