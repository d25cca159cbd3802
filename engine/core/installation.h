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
