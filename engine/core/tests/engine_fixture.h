#pragma once
// An engine in a temporary home with a host that runs nothing by itself: timers fire when a
// test says so, posted requests run when the test drains them, and the clock is the test's.
// Devices and clients are in-process objects that record what the engine raises on them.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "temp_dir.h"

namespace nimbra::testing_support {

// 2004-03-17 12:00:00 local time.
inline constexpr TDateTime kEngineNow = 38063.5;

class ManualTimer final : public EngineTimer {
public:
    ManualTimer(std::function<void()> action, bool singleShot)
        : action_(std::move(action)), singleShot_(singleShot) {}
    void Start(int intervalMs) override {
        interval_ = intervalMs;
        active_ = true;
    }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    int Interval() const override { return interval_; }
    // Fires like the event loop would: only an active timer.
    void Fire() {
        if (!active_)
            return;
        if (singleShot_)
            active_ = false;
        action_();
    }

private:
    std::function<void()> action_;
    bool singleShot_;
    bool active_ = false;
    int interval_ = 0;
};

class ManualHost final : public EngineHost {
public:
    std::unique_ptr<EngineTimer> CreateTimer(std::function<void()> action,
                                             bool singleShot) override;
    void Post(std::function<void()> action) override { posted.push_back(std::move(action)); }
    bool StartProgram(const std::string& path) override {
        started.push_back(path);
        return true;
    }
    void PlaySound(const std::string& path) override { sounds.push_back(path); }
    std::unique_ptr<FilterLibrary> LoadFilterLibrary(const std::string& path,
                                                     std::string& error) override;
    void TellHandsetToClose() override { handsetTold = true; }
    void Quit() override { quit = true; }
    std::string ProcessId() const override { return "4242"; }

    // Runs posted requests, including those they post, until none is left.
    void RunPosted();

    std::deque<std::function<void()>> posted;
    std::vector<ManualTimer*> timers;
    std::vector<std::string> started;
    std::vector<std::string> sounds;
    // Filter libraries by file name; a file of that name must exist in the filter folder.
    std::map<std::string, FilterEntries> libraries;
    bool handsetTold = false;
    bool quit = false;
};

// Records every event; optionally answers a transmitted message at once.
class RecordingDevice final : public DeviceEventSink {
public:
    void Connect() override { events.push_back("Connect"); }
    void Disconnect() override { events.push_back("Disconnect"); }
    void Transmit(const std::string& record) override;
    void ServerShutdown() override { events.push_back("ServerShutdown"); }
    void MenuItemClick(const std::string& caption) override {
        events.push_back("MenuItemClick:" + caption);
    }
    void Info(const std::string& text) override { events.push_back("info:" + text); }
    void UnInstall() override { events.push_back("unInstall"); }

    std::vector<std::string> events;
    std::vector<TGsmSms> transmitted;
    std::function<void(const TGsmSms&)> answer;
};

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
