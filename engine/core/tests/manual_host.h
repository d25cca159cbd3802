#pragma once
// A host that runs nothing by itself: timers fire when the caller says so and posted requests
// run when the caller drains them. With a device sink that records what the engine raises.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "devicesink.h"
#include "enginehost.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {

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

}  // namespace nimbra::testing_support
