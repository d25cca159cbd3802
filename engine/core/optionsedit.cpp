#include "optionsedit.h"

#include <algorithm>

#include "adminrefusal.h"
#include "codepage.h"
#include "engine.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "unStrings.h"

namespace nimbra {
namespace {

enum class Kind {
    Check,      // "1" or "0"
    Number,     // a whole number, 0 or more
    Minutes,    // a whole number, 1 or more
    Text,       // not empty
    Group,      // an address-book group, or empty
    FilterIn,   // a library of InFilters, or kNoFilterInstalled
    FilterOut,  // the same of OutFilters
    Installed,  // changes only with install and uninstall
};

struct Option {
    const char* name;
    Kind kind;
    // The message for a value that is not valid.
    const char* invalid = nullptr;
    // The field of a text option or of a check box; neither for the installed lists.
    std::string ServerOptions::*text = nullptr;
    bool ServerOptions::*check = nullptr;
};

constexpr const char* kInstalledOnly = " changes only with install and uninstall";
constexpr const char* kPluginList = "lbCOMPlugins";

// In the order of the options window.
const Option kOptions[] = {
    {kDeviceKinds[0].countOption, Kind::Installed, kInstalledOnly},
    {kDeviceKinds[1].countOption, Kind::Installed, kInstalledOnly},
    {kDeviceKinds[2].countOption, Kind::Installed, kInstalledOnly},
    {kDeviceKinds[3].countOption, Kind::Installed, kInstalledOnly},
    {"cbStartup2", Kind::Check, nullptr, nullptr, &ServerOptions::autostart},
    {"eAutoStart", Kind::Number, "The autostart delay is not valid",
     &ServerOptions::autostartSeconds},
    {"cbShmon", Kind::Check, nullptr, nullptr, &ServerOptions::showMonitor},
    {"cbtips", Kind::Check, nullptr, nullptr, &ServerOptions::tips},
    {"cbSaveAuto", Kind::Check, nullptr, nullptr, &ServerOptions::saveSenders},
    {"cbContact", Kind::Group, "No such address-book group: ", &ServerOptions::senderGroup},
    {"cbAutoSort", Kind::Check, nullptr, nullptr, &ServerOptions::sortByGroup},
    {settings::kDailyLogValue, Kind::Check, nullptr, nullptr, &ServerOptions::dailyFolders},
    {"cbWav", Kind::Check, nullptr, nullptr, &ServerOptions::playSound},
    {settings::kOlderValue, Kind::Number, "The number of days is not valid",
     &ServerOptions::olderThanDays},
    {"eSendRetries", Kind::Number, "The send retry count is not valid",
     &ServerOptions::sendRetries},
    {"eResendDelay", Kind::Minutes, "The send retry interval is not valid",
     &ServerOptions::resendDelay},
    {kPluginList, Kind::Installed, kInstalledOnly},
    {"cbFilterIn", Kind::FilterIn, "No such filter in InFilters: ", &ServerOptions::filterIn},
    {"cbFilterOut", Kind::FilterOut, "No such filter in OutFilters: ", &ServerOptions::filterOut},
    {"eDateFormat", Kind::Text, "The date format is empty", &ServerOptions::dateFormat},
};

std::string ValueOf(const Option& option, const ServerOptions& options) {
    if (option.check)
        return options.*option.check ? "1" : "0";
    if (option.text)
        return options.*option.text;
    if (std::string_view(option.name) == kPluginList) {
        std::string names;
        for (const std::string& name : options.plugins)
            names += (names.empty() ? "" : ",") + name;
        return names;
    }
    for (std::size_t i = 0; i < std::size(kDeviceKinds); ++i) {
        if (std::string_view(option.name) == kDeviceKinds[i].countOption)
            return options.installed[i];
    }
    return {};
}

void SetValue(const Option& option, ServerOptions& options, const std::string& value) {
    if (option.check)
        options.*option.check = value == "1";
    else if (option.text)
        options.*option.text = value;
}

const Option* FindOption(const std::string& name) {
    const std::string key = LowerAnsi(name);
    for (const Option& option : kOptions) {
        if (LowerAnsi(option.name) == key)
            return &option;
    }
    return nullptr;
}

bool IsWholeNumber(const std::string& value, int least) {
    int number = 0;
    return ParseInt32(TrimBlanks(value), number) && number >= least;
}

bool IsFilterOf(Engine& engine, const char* folder, const std::string& value) {
    if (value == kNoFilterInstalled)
        return true;
    const std::vector<std::string> filters = MessageFilter::ListFilters(engine.PathOf(folder));
    return std::find(filters.begin(), filters.end(), value) != filters.end();
}

// The value to store for a change, or AdminRefusal.
std::string Checked(Engine& engine, const Option& option, const std::string& value) {
    switch (option.kind) {
        case Kind::Check:
            if (value != "1" && value != "0")
                throw AdminRefusal(std::string(option.name) +
                                   " is 1 (checked) or 0 (not checked), not \"" + value + "\"");
            return value;
        case Kind::Number:
        case Kind::Minutes:
            if (!IsWholeNumber(value, option.kind == Kind::Minutes ? 1 : 0))
                throw AdminRefusal(option.invalid);
            return TrimBlanks(value);
        case Kind::Text:
            if (value.empty())
                throw AdminRefusal(option.invalid);
            return value;
        case Kind::Group: {
            const std::vector<std::string> groups = engine.AddressBook().GroupNames();
            if (!value.empty() && std::find(groups.begin(), groups.end(), value) == groups.end())
                throw AdminRefusal(option.invalid + value);
            return value;
        }
        case Kind::FilterIn:
        case Kind::FilterOut:
            if (!IsFilterOf(engine, option.kind == Kind::FilterIn ? "InFilters" : "OutFilters",
                            value))
                throw AdminRefusal(option.invalid + value);
            return value;
        case Kind::Installed:
            break;
    }
    throw AdminRefusal(option.name + std::string(option.invalid));
}

// What a changed option does to the running engine beyond its field.
void TakeEffect(Engine& engine, const Option& option) {
    ServerOptions& options = engine.Options();
    const std::string name = option.name;
    if (name == "eSendRetries") {
        ParseInt32(options.sendRetries, options.retries);
        engine.Sms().retries = options.retries;
    } else if (name == "eResendDelay") {
        int minutes = 0;
        ParseInt32(options.resendDelay, minutes);
        options.resendIntervalMs = ResendIntervalMs(minutes);
        if (engine.PutBackTimer().IsActive())
            engine.PutBackTimer().Start(options.resendIntervalMs);
    } else if (name == "eAutoStart") {
        if (engine.AutostartTimer().IsActive())
            engine.AutostartTimer().Start(options.AutostartDelaySeconds() * 1000);
    } else if (option.kind == Kind::FilterIn) {
        engine.IncomingFilter().Load(options.filterIn);
    } else if (option.kind == Kind::FilterOut) {
        engine.OutgoingFilter().Load(options.filterOut);
    }
}

}  // namespace

std::vector<OptionSetting> ServerOptionSettings(Engine& engine) {
    std::vector<OptionSetting> settings;
    for (const Option& option : kOptions)
        settings.push_back({option.name, ValueOf(option, engine.Options())});
    return settings;
}

void ChangeServerOptions(Engine& engine, const std::vector<OptionSetting>& changes) {
    struct Change {
        const Option* option;
        std::string value;
    };
    std::vector<Change> checked;
    for (const OptionSetting& change : changes) {
        const Option* option = FindOption(change.name);
        if (!option)
            throw AdminRefusal("No such option: " + change.name);
        checked.push_back({option, Checked(engine, *option, change.value)});
    }
    SettingValues values;
    for (const Change& change : checked) {
        SetValue(*change.option, engine.Options(), change.value);
        values.emplace_back(change.option->name, change.value);
    }
    WritePluginSettings(settings::kServerSection, values);
    for (const Change& change : checked)
        TakeEffect(engine, *change.option);
}

}  // namespace nimbra
