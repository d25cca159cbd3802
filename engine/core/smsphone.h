#pragma once
// The engine's side of one connected device driver: its name, link state and readiness, its
// operator, its lines in the device panel and commands in the Server menu. The driver's calls
// arrive here; the engine raises the driver's events through the sink the driver advised.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automationvalue.h"
#include "devicesink.h"

namespace nimbra {

class Engine;
class TSms;

inline constexpr const char* kNotConnected = "notconnected";
inline constexpr const char* kConnecting = "connecting";
inline constexpr const char* kConnected = "connected";
inline constexpr const char* kIdle = "idle";
inline constexpr const char* kSending = "sending";

// Seconds without a sign of life after which a device counts as disconnected.
inline constexpr long long kHeartbeatSeconds = 4;

class TnbSMSPhone : public std::enable_shared_from_this<TnbSMSPhone> {
public:
    TnbSMSPhone(Engine& engine, int menuTag);
    TnbSMSPhone(const TnbSMSPhone&) = delete;
    TnbSMSPhone& operator=(const TnbSMSPhone&) = delete;

    // The driver advised (or withdrew, with null) its event sink. A device is live while it
    // has one.
    void SetSink(DeviceEventSink* sink) { sink_ = sink; }
    // The driver let go of the object or left the bus: no sink any more, the device lock
    // forgets it, and the messages it holds go back to the Outbox for another device.
    void Release();
    bool IsLive() const { return sink_ != nullptr; }

    // Calls of the driver.
    std::string login(const std::string& name);
    void logout() {}
    void smsReceived(const std::string& sms);
    void registerMenuItem(const std::string& name);
    void unRegisterMenuItem(const std::string& name);
    void disableMenuItem(const std::string& name);
    void enableMenuItem(const std::string& name);
    void statusInfo(const std::string& info);
    void log(const std::string& context, const std::string& msg);
    void sendSuccess(const std::string& msgId, const std::string& senderPhone);
    void sendFailed(const std::string& msgId, const std::string& reason);
    // granted runs once this device holds the engine's device lock, dropped when the device
    // goes first; unlock releases it, whoever holds it.
    void lock(std::function<void()> granted, std::function<void()> dropped = {});
    void unlock();
    void connectionSuccess() { sendState = kIdle; }
    void connectionFailed() { sendState = kNotConnected; }
    // The answer to a question ("system"); empty when the driver told a setting.
    AutoValue sendInfo(const std::string& name, const std::string& value);
    void deviceInfo(const std::string& info);

    // Events; each is skipped without a sink.
    void RaiseConnect();
    void RaiseDisconnect();
    // Hands message over as record; the device holds it until it answers for its id.
    // operatorBefore: the message's operator before this device was chosen for it.
    void RaiseTransmit(const TSms& message, const std::string& record,
                       const std::string& operatorBefore);
    void RaiseServerShutdown();
    void RaiseMenuItemClick(const std::string& caption);
    void RaiseInfo(const std::string& text);
    void RaiseUnInstall();

    // The heartbeat: a live device silent for too long counts as "notconnected".
    void CheckHeartbeat(long long now);
    // Draws the state picture beside the device's header line, when it has one.
    void RedrawPicture();
    // Can take a message for this operator ("" takes any device's).
    bool CanTake(const std::string& messageOperator) const;
    // How many messages the device takes at once: 1 unless it told a window.
    int Window() const { return window_; }
    // Messages handed over and not answered yet.
    int HeldCount() const { return static_cast<int>(held_.size()); }

    std::string realName = "Unknown";
    std::string connState = kNotConnected;
    std::string sendState = kNotConnected;
    std::string operatorName;
    bool canSend = true;
    std::string progressDots;
    const int menuTag;
    long long lastHeard = 0;

private:
    std::string tr(const std::string& text) const;
    // The Outbox position of the message a report speaks of, or -1.
    int OutboxIndexOf(const std::string& msgId) const;
    void ApplyLinkRules(const std::string& text, std::string& status);
    void UpdateStatusLine(const std::string& text, std::string& status);
    std::string AdvanceDots(bool connectOnFourth);
    // The driver answered for msgId: it holds that message no longer.
    void Answered(const std::string& msgId);
    // The messages this device holds become free in the Outbox again, as they were before
    // the hand-over, without using a retry.
    void GiveBackHeld();

    // A message handed over and not answered yet.
    struct Held {
        int listId;
        std::string messageId;
        std::string operatorBefore;
    };

    Engine& engine_;
    DeviceEventSink* sink_ = nullptr;
    std::vector<Held> held_;
    int window_ = 1;
};

}  // namespace nimbra
