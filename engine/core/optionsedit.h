#pragma once
// The options of the "Server" settings section read and changed while the engine runs, with
// the checks and the effect of the server options window: a change takes effect at once
// (retry count and delay, date format, autostart, housekeeping, sound, address book, filters)
// and is saved. The device counts and the plugin list are shown but change only through
// installing and uninstalling.
#include <string>
#include <vector>

namespace nimbra {

class Engine;

struct OptionSetting {
    std::string name;  // the value name, as the settings store keeps it
    std::string value;
};

// Every option with its current value, in the order of the options window. Check boxes read
// "1" or "0"; the plugin list is its names joined by ",".
std::vector<OptionSetting> ServerOptionSettings(Engine& engine);

// Checks every change, then applies and saves them all; names match in any case. Throws
// AdminRefusal with the window's message ("The send retry count is not valid", ...) and
// changes nothing when one of them is not valid.
void ChangeServerOptions(Engine& engine, const std::vector<OptionSetting>& changes);

}  // namespace nimbra
