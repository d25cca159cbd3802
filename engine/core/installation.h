#pragma once
// Installing and uninstalling device programs and plugins, as the server options window does
// it: the installed count of a device kind and the plugin list change in the "Server" settings
// section at once, a newly installed program starts at once, and an uninstalled device or
// plugin is told to end. Refusals throw AdminRefusal and change nothing.
#include <string>
#include <vector>

namespace nimbra {

class Engine;

// The index in kDeviceKinds of a kind word ("gsm", "ucp", "smpp", "cimd", in any case), or -1.
int DeviceKindIndex(const std::string& word);
// The most devices of a kind an install allows: four GSM devices, ten of each connection.
int InstallLimit(int kindIndex);

// One more device of the kind: its count raised and saved, one more program started (a
// missing program is told in the screen log and tried again at the next start). Gives the
// new count.
int InstallDevice(Engine& engine, int kindIndex);
// One device of the kind fewer: its count lowered (not below 0) and saved, and the last
// logged-in device of the kind gets unInstall and ServerShutdown. Refused when the kind has
// neither an installed count nor a device logged in. Gives the new count.
int UninstallDevice(Engine& engine, int kindIndex);

// The kind index of a listed device, from its name as the options window reads it: "ucp",
// then "cimd", then "smpp" anywhere in it (in any case); any other name is a GSM device.
int DeviceKindOfName(const std::string& realName);

// Raises MenuItemClick on the logged-in device of that name with its configuration command:
// the first command of the Server menu whose caption is the name followed by a space (a
// driver registers realName + " Configuration" first). False when there is none.
bool ConfigureDevice(Engine& engine, const std::string& realName);

// A plugin's name as clients and the installed list are compared: upper case, without an
// ".EXE" suffix, so that a plugin that logs in with its file name matches either way.
std::string PluginKey(const std::string& name);

// Raises MenuItemClick with the first command the running plugin registered, on every Plugins
// menu command of that caption. AdminRefusal "Cannot locate configuration screen" when it
// registered none; false when the plugin does not run.
bool ConfigurePlugin(Engine& engine, const std::string& name);

// Writes the GSM device count and the plugin list as they stand, as OK of the options window
// saves them with the options it edits.
void SaveInstallation(Engine& engine);

// Adds a program of the Plugins folder to the installed plugins, starts it and saves the list.
void InstallPlugin(Engine& engine, const std::string& name);
// Ends the plugin's client (ServerShutdown), takes the name off the list and saves it.
void UninstallPlugin(Engine& engine, const std::string& name);

// A logged-in device as the options window lists it, with its state and its status line
// in the device pane.
struct InstalledDevice {
    std::string name;
    std::string connection;  // connState
    std::string state;       // sendState
    std::string operatorName;
    bool canSend = true;
    std::string status;  // empty when the device has not reported progress
};
std::vector<InstalledDevice> InstalledDevices(Engine& engine);

}  // namespace nimbra
