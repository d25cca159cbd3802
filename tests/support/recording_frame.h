#pragma once
// The driver frame as a link sees it, for testing a driver's link on its own: the fields in
// the frame's real field store, whether the engine wants the link, and every call the link
// makes, in order, from whichever thread. The test plays the frame's part where it matters
// (it calls LinkLost after "disconnected", RetryTimer where the retry timer would fire).

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "driverlink.h"
#include "fieldstore.h"

namespace nimbra::testing_support {

class RecordingFrame final : public driver::FrameServices {
public:
    // Level-1 log lines as "log:" + line; "sent:" + reference, "failed", "received:" + record;
    // "connected", "disconnected", "status:" + text, "arm retry", "message box:" + text,
    // "device info:" + text, "thread ended" or "thread ended, reconnect"; "start retry timer",
    // "stop retry timer".
    std::vector<std::string> Calls() const;
    bool Has(std::string_view call) const;
    int Count(std::string_view call) const;
    // Whether a level-1 log line began with prefix.
    bool Logged(std::string_view prefix) const;
    // Whether the link asked for the retry timer in any way.
    bool AskedForRetry() const;
    // The calls, one a line, for failure messages.
    std::string Shown() const;

    void Log(std::string_view level, std::string_view line) override;
    void Sent(std::string reference) override { Note("sent:" + reference); }
    void Failed() override { Note("failed"); }
    void Received(std::string record) override { Note("received:" + record); }
    void PostLinkConnected() override { Note("connected"); }
    void PostLinkDisconnected() override { Note("disconnected"); }
    void PostLinkStatus(std::string text) override { Note("status:" + text); }
    void PostArmRetry() override { Note("arm retry"); }
    void PostShowMessage(std::string text) override { Note("message box:" + text); }
    void PostDeviceInfo(std::string text) override { Note("device info:" + text); }
    void PostThreadEnded(bool reconnect) override {
        Note(reconnect ? "thread ended, reconnect" : "thread ended");
    }
    driver::LinkFields& Fields() override { return fields; }
    bool EngineConnected() const override { return engineConnected; }
    void StartRetryTimer() override { Note("start retry timer"); }
    void StopRetryTimer() override { Note("stop retry timer"); }

    driver::FieldStore fields;
    std::atomic<bool> engineConnected{true};

private:
    void Note(std::string call);

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

}  // namespace nimbra::testing_support
