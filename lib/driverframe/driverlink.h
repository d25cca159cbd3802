#pragma once
// The contract between the driver frame and a driver's link to its message centre.
//
// The frame (window thread):
// - MUST call Start, Stop, EngineConnect, EngineDisconnect, LinkLost and RetryTimer on the
//   window thread only, and Submit only after SetBusy(true) and only when nothing is in flight;
//   with a Window above 1, Submit up to that many messages, each with its own message id,
//   before their outcomes come (busy then tells that any is in flight).
// The link:
// - MUST NOT call the engine; it reports through FrameServices, which posts to the window
//   thread and never blocks.
// - MUST answer every submitted message exactly once (FrameServices::Sent or Failed); a
//   message not yet submitted SHOULD wait for the next link rather than fail.
// - MUST end its protocol thread within a moment of Stop, and Shutdown MUST return only when
//   the thread has ended.

#include <string>

#include "linkinterfaces.h"
#include "unGSMSMS.h"

namespace nimbra::driver {

// What the frame offers the link. The LinkEvents part and the posting calls are safe from
// any thread; the rest is for the window thread.
class FrameServices : public LinkEvents {
public:
    // The TCP component's events: connected, disconnected (after a link that was up), and a
    // status text for the status panel.
    virtual void PostLinkConnected() = 0;
    virtual void PostLinkDisconnected() = 0;
    virtual void PostLinkStatus(std::string text) = 0;
    // Starts the one-shot retry timer from the protocol thread.
    virtual void PostArmRetry() = 0;
    // A message box for the operator.
    virtual void PostShowMessage(std::string text) = 0;
    // Device information for the engine (window message WM_DRV_DEVICEINFO).
    virtual void PostDeviceInfo(std::string text) = 0;
    // The protocol thread ended; reconnect asks for the retry timer.
    virtual void PostThreadEnded(bool reconnect) = 0;

    virtual LinkFields& Fields() = 0;

    // The engine's program folder, where the drivers keep their files.
    virtual std::string EngineFolder() const = 0;

    // Window thread only.
    virtual bool EngineConnected() const = 0;
    // Starts the one-shot retry timer with its own interval, or with delayMs when that is
    // above 0.
    virtual void StartRetryTimer(int delayMs = 0) = 0;
    virtual void StopRetryTimer() = 0;
};

class DriverLink {
public:
    virtual ~DriverLink() = default;

    // tbStartClick: connect and log in; tbStopClick: end the link.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    // The engine's Connect (before Start) and Disconnect events.
    virtual void EngineConnect() {}
    virtual void EngineDisconnect() = 0;
    // The link that was up went down (after the status panel shows "Disconnected").
    virtual void LinkLost() = 0;
    // The one-shot retry timer fired.
    virtual void RetryTimer() = 0;
    // The engine is shutting down the driver.
    virtual void EngineShutdown() {}

    // How many messages the link takes at once (the connection's window setting); 1 is the
    // designed link, one message at a time.
    virtual int Window() const { return 1; }
    virtual bool Busy() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // Hands over the message to submit and marks it pending.
    virtual void Submit(const TGsmSms& record) = 0;

    // Stops the link and waits for the protocol thread to end.
    virtual void Shutdown() = 0;
};

}  // namespace nimbra::driver
