#include "handsetsettings.h"

#include <map>
#include <utility>

#include "models.h"
#include "unStrings.h"

namespace nimbra::handset {

namespace {

using Defaults = std::map<std::string, std::string, std::less<>>;

const Defaults& PrefDefaults() {
    static const Defaults defaults = {
        {pref::kModel, std::string(kAutodetectModel)},
        {pref::kPort, pref::kPortDefault},
        {pref::kOperator, pref::kOperatorDefault},
        {pref::kPhoneNumber, pref::kPhoneNumberDefault},
        {pref::kServiceCentre, pref::kServiceCentreDefault},
        {pref::kSend, "1"},
        {pref::kReceive, "1"},
        {pref::kDeliveryReport, "0"},
        {pref::kNetworkMonitoring, "0"},
        {pref::kDriver, std::to_string(kDefaultDriver)},
    };
    return defaults;
}

const Defaults& PortDefaultValues() {
    static const Defaults defaults = {
        {port::kMemorySize, "10"},     {port::kPreferredMemory, std::string(kMemoryBoth)},
        {port::kViewLog, "0"},         {port::kLogToFile, "0"},
        {port::kConvertGsmChars, "1"}, {port::kConvertUnicode, "0"},
        {port::kDecodePdu, "1"},       {port::kIncludeServiceCentre, "0"},
        {port::kDeleteRead, "1"},      {port::kModemInit, "AT"},
        {port::kDelayIn, "0"},         {port::kLeaveOnDevice, "0"},
        {port::kTimeout, "15"},        {port::kTimeoutSent, "1"},
        {port::kTimeoutNotSent, "0"},  {port::kDelayOut, "2"},
        {port::kPduMode, "1"},
    };
    return defaults;
}

std::string DefaultOf(const Defaults& defaults, std::string_view name) {
    const auto it = defaults.find(name);
    return it == defaults.end() ? std::string() : it->second;
}

class PortSectionValues final : public StoredPortValues {
public:
    PortSectionValues(const SettingsSource& source, std::string section)
        : source_(source), section_(std::move(section)) {}
    std::string Value(std::string_view name) const override {
        return source_.Read(section_, name, "");
    }

private:
    const SettingsSource& source_;
    std::string section_;
};

}  // namespace

HandsetSettings::HandsetSettings(SettingsSource& source, std::string realName)
    : source_(source), realName_(std::move(realName)) {}

std::string HandsetSettings::Pref(std::string_view name) const {
    return source_.Read(realName_, name, DefaultOf(PrefDefaults(), name));
}

std::string HandsetSettings::Port(std::string_view name) const {
    return source_.Read(PortSection(), name, DefaultOf(PortDefaultValues(), name));
}

void HandsetSettings::WritePort(std::string_view name, std::string_view value) {
    source_.Write(PortSection(), name, value);
}

int HandsetSettings::DriverIndex() const {
    int stored = 0;
    if (ParseInt32(source_.Read(realName_, pref::kDriver, ""), stored) && stored >= 0 &&
        stored < kDriverCount)
        return stored;
    return DriverIndexForModel(Model(), PortChecked(port::kPduMode));
}

PortSettings HandsetSettings::LineSettings() const {
    const PortDefaults defaults = PortDefaultsFor(DriverIndex(), Model());
    return ReadPortSettings(PortSectionValues(source_, PortSection()), PortName(), defaults);
}

std::vector<std::string> HandsetSettings::ModemInit() const {
    const std::string text = Port(port::kModemInit);
    std::vector<std::string> commands;
    for (const std::string_view line : TextLines(text)) {
        if (!line.empty())
            commands.emplace_back(line);
    }
    return commands;
}

int HandsetSettings::Seconds(std::string_view name, int fallback) const {
    int value = 0;
    return ParseInt32(Port(name), value) && value >= 0 ? value : fallback;
}

std::string HandsetSettings::FilePhoneFolder(bool outgoing) const {
    return outgoing ? source_.Read(kFilePhoneSection, kFilePhoneOut, kFilePhoneOutDefault)
                    : source_.Read(kFilePhoneSection, kFilePhoneIn, kFilePhoneInDefault);
}

}  // namespace nimbra::handset
