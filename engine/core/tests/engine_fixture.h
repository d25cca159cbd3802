#pragma once
// An engine in a temporary home with a manual host and the test's clock. Devices and clients
// are in-process objects that record what the engine raises on them.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "manual_host.h"
#include "temp_dir.h"

namespace nimbra::testing_support {

// 2004-03-17 12:00:00 local time.
inline constexpr TDateTime kEngineNow = 38063.5;

class RecordingClient final : public EngineClient {
public:
    bool IsLive() const override { return live; }
    void ServerStarted() override { events.push_back("ServerStarted"); }
    void ServerStopped() override { events.push_back("ServerStopped"); }
    void MessageSent(const std::string& id) override { events.push_back("MessageSent:" + id); }
    void MessageReceived(const std::string& id) override {
        events.push_back("MessageReceived:" + id);
    }
    void MessageDeleted(const std::string& id) override {
        events.push_back("MessageDeleted:" + id);
    }
    void SendAttemptFailed(const std::string& id, int code) override {
        events.push_back("Error" + std::to_string(code) + ":" + id);
    }
    void MessageDelivered(const std::string& id) override {
        events.push_back("MessageDelivered:" + id);
    }
    void ServerShutdown() override { events.push_back("ServerShutdown"); }

    bool live = true;
    std::vector<std::string> events;
};

// Records the events of a message-server client as "Name:arguments" texts.
class RecordingServerSink final : public MessageServerEventSink {
public:
    void ServerStarted() override { events.push_back("ServerStarted"); }
    void ServerStopped() override { events.push_back("ServerStopped"); }
    void MessageSent(const std::string& id) override { events.push_back("MessageSent:" + id); }
    void MessageDelivered(const std::string& id) override {
        events.push_back("MessageDelivered:" + id);
    }
    void MessageReceived(const std::string& record) override {
        events.push_back("MessageReceived:" + record);
    }
    void MessageDeleted(const std::string& id) override {
        events.push_back("MessageDeleted:" + id);
    }
    void Error(int code, const std::string& message, const std::string& data,
               const std::string& level) override {
        events.push_back("Error:" + std::to_string(code) + ":" + message + ":" + data + ":" +
                         level);
    }
    void Info(const std::string& content) override { events.push_back("info:" + content); }
    void ServerShutdown() override { events.push_back("ServerShutdown"); }
    void MessageAcceptedForDelivery(const std::string& source, const std::string& id,
                                    const std::string& record) override {
        events.push_back("Accepted:" + source + ":" + id);
        accepted.push_back(record);
        if (onAccepted)
            onAccepted();
    }
    void MenuItemClick(const std::string& name) override {
        events.push_back("MenuItemClick:" + name);
    }

    std::vector<std::string> events;
    // The records of MessageAcceptedForDelivery.
    std::vector<std::string> accepted;
    std::function<void()> onAccepted;
};

class RecordingEasySink final : public EasySmsEventSink {
public:
    void MessageReceived(const std::string& sender, const std::string& text) override {
        events.push_back("MessageReceived:" + sender + ":" + text);
    }
    void Error(int code, const std::string& message, int param) override {
        events.push_back("Error:" + std::to_string(code) + ":" + message + ":" +
                         std::to_string(param));
    }
    void ServerStarted() override { events.push_back("ServerStarted"); }
    void ServerStopped() override { events.push_back("ServerStopped"); }
    void MessageSent(const std::string& id) override { events.push_back("MessageSent:" + id); }

    std::vector<std::string> events;
};

class RecordingControlSink final : public ServiceControlEventSink {
public:
    void Started() override { events.push_back("Started"); }
    void Stopped() override { events.push_back("Stopped"); }
    void Error(int code, const std::string& message, int param) override {
        events.push_back("Error:" + std::to_string(code) + ":" + message + ":" +
                         std::to_string(param));
    }

    std::vector<std::string> events;
};

class EngineTest : public testing::Test {
protected:
    // Creates the engine and runs its start-up.
    void StartEngine();
    // Starts the server and lets the devices connect.
    void StartServer();
    struct Device {
        std::shared_ptr<TnbSMSPhone> phone;
        std::unique_ptr<RecordingDevice> sink;
    };
    // A device logged in under name, connected and idle.
    Device& AddDevice(const std::string& name = "smpp", const std::string& operatorName = "");
    RecordingClient& AddClient();
    // Queues a message for sending; gives its message id.
    std::string QueueOutgoing(const std::string& to, const std::string& text);
    // One scheduler tick, then the posted requests.
    void Tick();
    TSmsQueue& Folder(SystemFolder folder) const { return engine->Queue(folder); }
    // Files of a folder under the home.
    std::size_t FilesIn(const std::string& relative) const;
    std::vector<std::string> PaneTexts() const;
    // Some line of the log pane contains text.
    bool PaneContains(const std::string& text) const;
    // The whole of a file under the home; empty when it cannot be read.
    std::string ReadHomeFile(const std::string& relative) const;
    // The heartbeat timer, the last one the engine creates.
    ManualTimer& DeviceStatusTimer() const { return *host.timers.back(); }
    // Sets the test clock to seconds after kEngineNow.
    void SecondsLater(double seconds) { now = kEngineNow + seconds / 86400.0; }
    std::string Home(const std::string& relative) const { return (home / relative).string(); }
    // A file under the home, with its folder.
    void Place(const std::string& relative, const std::string& content = "program") const;
    // The full path of a file under the home, as the engine starts programs.
    std::string Absolute(const std::string& relative) const;
    void WriteOption(const std::string& name, const std::string& value) const;

    ScopedSettingsDir settings;
    TempDir home;
    ManualHost host;
    TDateTime now = kEngineNow;
    std::unique_ptr<Engine> engine;
    std::deque<Device> devices;
    std::deque<std::shared_ptr<RecordingClient>> clients;
};

}  // namespace nimbra::testing_support
