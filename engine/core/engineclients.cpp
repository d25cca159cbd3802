// The engine's side of the client objects of other programs: creation, the client list and
// its listing, the Plugins menu, plugin uninstall, the client lock, the progress bar of long
// work and the program directory the clients ask for.
#include <algorithm>
#include <filesystem>

#include "engine.h"
#include "installation.h"
#include "unStrings.h"

namespace nimbra {

std::shared_ptr<TnbMessageServer> Engine::CreateMessageServer() {
    auto client = std::make_shared<TnbMessageServer>(*this, NextTag());
    AddClient(client);
    return client;
}

std::shared_ptr<TnbEasySMS> Engine::CreateEasySms() {
    auto client = std::make_shared<TnbEasySMS>(*this);
    AddClient(client);
    return client;
}

std::shared_ptr<TnbServiceControl> Engine::CreateServiceControl() {
    auto client = std::make_shared<TnbServiceControl>(*this);
    AddClient(client);
    return client;
}

void Engine::ClientsChanged() {
    if (onClientsChange)
        onClientsChange();
}

void Engine::DropGoneClients() {
    std::vector<const void*> gone;
    std::erase_if(clients_, [&gone](const std::shared_ptr<EngineClient>& client) {
        if (!client->IsGone())
            return false;
        gone.push_back(client.get());
        return true;
    });
    if (gone.empty())
        return;
    // A client that ended between lock and unlock holds up nobody.
    clientLock_.Forget(gone);
    ClientsChanged();
}

void Engine::RaiseAcceptedForDelivery(const std::string& source, const std::string& messageId,
                                      const std::string& record) {
    ForEachClient([&](EngineClient& client) {
        if (auto* server = dynamic_cast<TnbMessageServer*>(&client))
            server->RaiseAcceptedForDelivery(source, messageId, record);
    });
}

void Engine::ClickPluginMenuItem(std::size_t index) {
    const auto& items = pluginMenu_.Items();
    if (index >= items.size())
        return;
    const ServerMenu::Item item = items[index];
    if (item.separator || !item.enabled || item.tag == 0)
        return;
    ForEachClient([&item](EngineClient& client) {
        auto* server = dynamic_cast<TnbMessageServer*>(&client);
        if (server && server->menuTag == item.tag)
            server->RaiseMenuItemClick(item.caption);
    });
}

void Engine::UninstallPlugin(const std::string& plugin) {
    const std::string key = PluginKey(plugin);
    std::shared_ptr<TnbMessageServer> found;
    // Clients met on the way that have gone are dropped; the walk stops at the plugin.
    DropGoneClients();
    for (const auto& client : clients_) {
        auto server = std::dynamic_pointer_cast<TnbMessageServer>(client);
        if (server && server->IsLive() && PluginKey(server->clientName) == key) {
            found = std::move(server);
            break;
        }
    }
    if (!found)
        return;
    std::erase(clients_, std::static_pointer_cast<EngineClient>(found));
    clientLock_.Forget({static_cast<const EngineClient*>(found.get())});
    ClientsChanged();
    // Its commands go before it hears ServerShutdown.
    found->ServerShutdown();
}

std::vector<std::string> Engine::ActiveClientsListing() const {
    std::vector<std::string> names;
    for (const auto& client : clients_) {
        const auto* server = dynamic_cast<const TnbMessageServer*>(client.get());
        if (server && server->IsLive())
            names.push_back(server->realName);
    }
    return names;
}

void Engine::SetProgress(const Progress& progress) {
    progress_ = progress;
    if (onProgress)
        onProgress();
}

std::string Engine::ProgramDirectory() const {
    std::string dir = std::filesystem::absolute(PathOf(".")).lexically_normal().string();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

}  // namespace nimbra
