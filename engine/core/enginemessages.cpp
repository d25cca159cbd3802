// The requests the engine carries out on its main thread, in the order they were posted.
#include "engine.h"

namespace nimbra {

void Engine::PostMessage(WindowMessage message, long long wParam, long long lParam) {
    host_.Post([this, message, wParam, lParam] { HandleMessage(message, wParam, lParam); });
}

void Engine::PostWithSlot(WindowMessage message, const std::string& id, long long lParam) {
    // The slot keeps the id for whoever reads the table; the request carries it as well, so
    // that a burst of more requests than slots never hands a client the wrong id.
    slots_.Store(id);
    host_.Post([this, message, id, lParam] {
        if (!shutDown_)
            RaiseMessageEvent(message, id, lParam);
    });
}

void Engine::ForEachClient(const std::function<void(EngineClient&)>& action) {
    DropGoneClients();
    // A client may be added or leave while it is told; walk a copy. A client without a sink
    // or a name yet is skipped and stays listed.
    const auto clients = clients_;
    for (const auto& client : clients) {
        if (client->IsLive())
            action(*client);
    }
}

void Engine::ForEachDevice(const std::function<void(TnbSMSPhone&)>& action) {
    // Devices whose drivers let go leave the list; a device may log in or leave while it is
    // told, so the walk goes over a copy.
    devices_.DropNotLive();
    const auto devices = devices_.All();
    for (const DeviceList::Device& device : devices)
        action(*device);
}

void Engine::RaiseMessageEvent(WindowMessage message, const std::string& id, long long lParam) {
    switch (message) {
        case WindowMessage::MessageSentEvent:
            ForEachClient([&id](EngineClient& client) { client.MessageSent(id); });
            break;
        case WindowMessage::MessageDeletedEvent:
            ForEachClient([&id](EngineClient& client) { client.MessageDeleted(id); });
            break;
        case WindowMessage::SendAttemptFailedEvent: {
            const int code = static_cast<int>(lParam);
            ForEachClient(
                [&id, code](EngineClient& client) { client.SendAttemptFailed(id, code); });
            break;
        }
        case WindowMessage::MessageDeliveredEvent:
            ForEachClient([&id](EngineClient& client) { client.MessageDelivered(id); });
            break;
        default:
            break;
    }
}

void Engine::HandleMessage(WindowMessage message, long long wParam, long long lParam) {
    if (shutDown_)
        return;
    switch (message) {
        case WindowMessage::RestartPutBack:
            RestartPutBackTimer();
            break;
        case WindowMessage::UninstallDevice:
            UninstallDeviceKind(static_cast<int>(lParam));
            break;
        case WindowMessage::ConnectDevices:
            ForEachDevice([](TnbSMSPhone& device) { device.RaiseConnect(); });
            break;
        case WindowMessage::DisconnectDevices:
            ForEachDevice([](TnbSMSPhone& device) { device.RaiseDisconnect(); });
            break;
        case WindowMessage::ServerStartedEvents:
            ForEachClient([](EngineClient& client) { client.ServerStarted(); });
            break;
        case WindowMessage::ServerStoppedEvents:
            ForEachClient([](EngineClient& client) { client.ServerStopped(); });
            break;
        case WindowMessage::Shutdown:
            Shutdown();
            break;
        case WindowMessage::MessageSentEvent:
        case WindowMessage::MessageDeletedEvent:
        case WindowMessage::SendAttemptFailedEvent:
        case WindowMessage::MessageDeliveredEvent:
            RaiseMessageEvent(message, slots_.Read(wParam), lParam);
            break;
        case WindowMessage::MessageReceivedEvent: {
            const std::string id = std::to_string(wParam);
            ForEachClient([&id](EngineClient& client) { client.MessageReceived(id); });
            break;
        }
        case WindowMessage::PressStart:
            if (controls_.startButton)
                StartbtnClick(true);
            break;
        case WindowMessage::RefreshDevicePanel:
            RefreshDevicePanel();
            break;
        case WindowMessage::RestartListSort:
            tScreenrefresh_->Start(kListSortDelayMs);
            break;
        default:
            // Window requests (the exit command, which asks first, among them) and plugin
            // requests: the windows and the automation layer carry them out.
            if (onWindowRequest)
                onWindowRequest(message);
            break;
    }
}

}  // namespace nimbra
