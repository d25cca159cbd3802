#include "installation.h"

#include <algorithm>
#include <filesystem>

#include "adminrefusal.h"
#include "codepage.h"
#include "engine.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "unStrings.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

struct KindLimit {
    int most;
    const char* refusal;
};
// In the order of kDeviceKinds.
constexpr KindLimit kLimits[] = {
    {4, "You cannot install more than four devices!"},
    {10, "You cannot install more than ten ucp connections!"},
    {10, "You cannot install more than ten smpp connections!"},
    {10, "You cannot install more than ten CIMD2 connections!"},
};

// The installed count of a kind; a field that does not hold a number refuses the change.
int InstalledNumber(Engine& engine, int kindIndex) {
    const std::string& field = engine.Options().installed[static_cast<std::size_t>(kindIndex)];
    int count = 0;
    if (!ParseInt32(TrimBlanks(field), count) || count < 0)
        throw AdminRefusal(std::string(kDeviceKinds[kindIndex].countOption) +
                           " does not hold a number: \"" + field + "\"");
    return count;
}

void SaveCount(Engine& engine, int kindIndex, int count) {
    const std::string value = std::to_string(count);
    engine.Options().installed[static_cast<std::size_t>(kindIndex)] = value;
    WritePluginSetting(settings::kServerSection, kDeviceKinds[kindIndex].countOption, value);
}

void SavePlugins(Engine& engine) {
    std::string lines;
    for (const std::string& name : engine.Options().plugins)
        lines += (lines.empty() ? "" : "\r\n") + name;
    WritePluginSetting(settings::kServerSection, "lbCOMPlugins", lines);
}

void CheckKind(int kindIndex) {
    if (kindIndex < 0 || kindIndex >= static_cast<int>(std::size(kDeviceKinds)))
        throw AdminRefusal("No such kind of device");
}

}  // namespace

int DeviceKindIndex(const std::string& word) {
    const std::string lower = LowerAnsi(word);
    for (std::size_t i = 0; i < std::size(kDeviceKinds); ++i) {
        if (lower == kDeviceKinds[i].word)
            return static_cast<int>(i);
    }
    return -1;
}

int InstallLimit(int kindIndex) {
    return kLimits[kindIndex].most;
}

int InstallDevice(Engine& engine, int kindIndex) {
    CheckKind(kindIndex);
    const int count = InstalledNumber(engine, kindIndex) + 1;
    if (count > InstallLimit(kindIndex))
        throw AdminRefusal(kLimits[kindIndex].refusal);
    SaveCount(engine, kindIndex, count);
    engine.StartDevice(kindIndex);
    return count;
}

int UninstallDevice(Engine& engine, int kindIndex) {
    CheckKind(kindIndex);
    const int count = InstalledNumber(engine, kindIndex);
    engine.Devices().DropNotLive();
    const int kind = kDeviceKinds[kindIndex].number;
    if (count == 0 && !engine.LastDeviceOfKind(kind))
        throw AdminRefusal("No devices are installed!");
    if (count > 0)
        SaveCount(engine, kindIndex, count - 1);
    // As the window asks for it: the engine ends the device from its event loop.
    engine.PostMessage(WindowMessage::UninstallDevice, 0, kind);
    return std::max(count - 1, 0);
}

void InstallPlugin(Engine& engine, const std::string& name) {
    const std::string path = engine.PathOf("Plugins/" + name);
    std::error_code ec;
    if (!IsPlainFileName(name) || !fs::is_regular_file(path, ec))
        throw AdminRefusal("The plugin cannot be found: " + fs::absolute(path).string());
    engine.Options().plugins.push_back(name);
    SavePlugins(engine);
    engine.Host().StartProgram(fs::absolute(path).string());
}

void UninstallPlugin(Engine& engine, const std::string& name) {
    std::vector<std::string>& plugins = engine.Options().plugins;
    const auto entry = std::find(plugins.begin(), plugins.end(), name);
    if (entry == plugins.end())
        throw AdminRefusal("The plugin is not installed: " + name);
    plugins.erase(entry);
    SavePlugins(engine);
    engine.UninstallPlugin(name);
}

int DeviceKindOfName(const std::string& realName) {
    const std::string lower = LowerAnsi(realName);
    for (const char* word : {"ucp", "cimd", "smpp"}) {
        if (lower.find(word) != std::string::npos)
            return DeviceKindIndex(word);
    }
    return DeviceKindIndex("gsm");
}

bool ConfigureDevice(Engine& engine, const std::string& realName) {
    if (realName.empty())
        return false;
    const std::string prefix = realName + " ";
    const auto& items = engine.Menu().Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].separator && items[i].caption.starts_with(prefix)) {
            engine.ClickServerMenuItem(i);
            return true;
        }
    }
    return false;
}

std::string PluginKey(const std::string& name) {
    std::string key = UpperAscii(name);
    constexpr std::string_view kSuffix = ".EXE";
    if (key.size() > kSuffix.size() && key.ends_with(kSuffix))
        key.resize(key.size() - kSuffix.size());
    return key;
}

bool ConfigurePlugin(Engine& engine, const std::string& name) {
    const std::string key = PluginKey(name);
    const TnbMessageServer* plugin = nullptr;
    for (const auto& client : engine.Clients()) {
        const auto* server = dynamic_cast<const TnbMessageServer*>(client.get());
        if (server && server->IsLive() && PluginKey(server->clientName) == key) {
            plugin = server;
            break;
        }
    }
    if (!plugin)
        return false;
    if (plugin->firstCommand.empty())
        throw AdminRefusal("Cannot locate configuration screen");
    // A click may change the menu; the command is looked up again after each.
    const std::string command = plugin->firstCommand;
    for (std::size_t i = 0; i < engine.PluginMenu().Items().size(); ++i) {
        const ServerMenu::Item& item = engine.PluginMenu().Items()[i];
        if (!item.separator && item.caption == command)
            engine.ClickPluginMenuItem(i);
    }
    return true;
}

void SaveInstallation(Engine& engine) {
    WritePluginSetting(settings::kServerSection, kDeviceKinds[0].countOption,
                       engine.Options().installed[0]);
    SavePlugins(engine);
}

std::vector<InstalledDevice> InstalledDevices(Engine& engine) {
    engine.Devices().DropNotLive();
    std::vector<InstalledDevice> devices;
    for (const DeviceList::Device& device : engine.Devices().All()) {
        const DevicePanel::Entry* entry = engine.Panel().Find(device->realName);
        devices.push_back({device->realName, device->connState, device->sendState,
                           device->operatorName, device->canSend,
                           entry ? entry->status : std::string()});
    }
    return devices;
}

}  // namespace nimbra
