// The engine's side of its devices and clients: creation, the heartbeat check, the device
// panel, menu commands and uninstalling.
#include <algorithm>

#include "engine.h"
#include "unDate.h"

namespace nimbra {

std::shared_ptr<TnbSMSPhone> Engine::CreateDevice() {
    return std::make_shared<TnbSMSPhone>(*this, NextTag());
}

void Engine::AddClient(std::shared_ptr<EngineClient> client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(std::move(client));
}

void Engine::ClickServerMenuItem(std::size_t index) {
    const auto& items = serverMenu_.Items();
    if (index >= items.size() || !items[index].enabled || items[index].separator)
        return;
    const ServerMenu::Item item = items[index];
    const int tag = item.tag;
    if (TnbSMSPhone* device =
            devices_.FirstLive([tag](const TnbSMSPhone& d) { return d.menuTag == tag; }))
        device->RaiseMenuItemClick(item.caption);
}

void Engine::RefreshDevicePanel() {
    panel_.Clear();
    ForEachDevice([](TnbSMSPhone& device) { device.RaiseInfo("devicename"); });
}

DeviceList::Device Engine::LastDeviceOfKind(int kind) {
    static const char* const kWords[] = {"gsm", "ucp", "smpp", "cimd"};
    if (kind < 1 || kind > 4)
        return nullptr;
    const std::string label = kind == 1 ? Translate("GSM Device") : "nbunknown";
    return devices_.LastOfKind(kWords[kind - 1], label);
}

void Engine::UninstallDeviceKind(int kind) {
    if (DeviceList::Device device = LastDeviceOfKind(kind)) {
        device->RaiseUnInstall();
        device->RaiseServerShutdown();
        devices_.Remove(device.get());
    }
    RefreshDevicePanel();
}

void Engine::CheckDevices() {
    const long long now = LocalEpochSeconds(Now());
    devices_.DropNotLive();
    bool connecting = false;
    const auto devices = devices_.All();
    for (const DeviceList::Device& device : devices) {
        device->CheckHeartbeat(now);
        connecting = connecting || device->sendState == kConnecting;
    }
    if (!controls_.startButton && !controls_.stopButton && !connecting) {
        controls_.SetStopButton(true);
        controls_.stopMenuItem = true;
    }
}

}  // namespace nimbra
