// The requests the engine carries out on its main thread, in the order they were posted.
#include "engine.h"

namespace nimbra {

void Engine::PostMessage(WindowMessage message, long long wParam, long long lParam) {
    host_.Post([this, message, wParam, lParam] { HandleMessage(message, wParam, lParam); });
}

void Engine::PostWithSlot(WindowMessage message, const std::string& id, long long lParam) {
    PostMessage(message, slots_.Store(id), lParam);
}

void Engine::ForEachClient(const std::function<void(EngineClient&)>& action) {
    std::erase_if(clients_, [](const auto& client) { return !client->IsLive(); });
    // A client may be added or leave while it is told; walk a copy.
    const auto clients = clients_;
    for (const auto& client : clients) {
        if (client->IsLive())
            action(*client);
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
            for (const DeviceList::Device& device : devices_.All())
                device->RaiseConnect();
            break;
        case WindowMessage::DisconnectDevices:
            for (const DeviceList::Device& device : devices_.All())
                device->RaiseDisconnect();
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
        case WindowMessage::MessageSentEvent: {
            const std::string id = slots_.Read(wParam);
            ForEachClient([&id](EngineClient& client) { client.MessageSent(id); });
            break;
        }
        case WindowMessage::MessageReceivedEvent: {
            const std::string id = std::to_string(wParam);
            ForEachClient([&id](EngineClient& client) { client.MessageReceived(id); });
            break;
        }
        case WindowMessage::MessageDeletedEvent: {
            const std::string id = slots_.Read(wParam);
            ForEachClient([&id](EngineClient& client) { client.MessageDeleted(id); });
            break;
        }
        case WindowMessage::SendAttemptFailedEvent: {
            const std::string id = slots_.Read(wParam);
            const int code = static_cast<int>(lParam);
            ForEachClient(
                [&id, code](EngineClient& client) { client.SendAttemptFailed(id, code); });
            break;
        }
        case WindowMessage::MessageDeliveredEvent: {
            const std::string id = slots_.Read(wParam);
            ForEachClient([&id](EngineClient& client) { client.MessageDelivered(id); });
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
        case WindowMessage::Exit:
            Exit();
            break;
        default:
            // Plugin requests and window requests: the automation layer and the windows
            // carry them out.
            if (onWindowRequest)
                onWindowRequest(message);
            break;
    }
}

}  // namespace nimbra
