#pragma once
// TPhoneManager, the worker that does all message traffic with a connected device: it sends
// the message the engine handed over and, between sends, reads the device's memory slot by
// slot. The driver holds at most one outgoing and one incoming message at a time. Results go
// to the driver window as window messages (ManagerEvents); the window makes the engine calls.
//
// The window and the manager share ManagerShared:
// - the window MUST write the outgoing record before it sets sendPending, and release it
//   only after the manager has cleared sendPending and reported the outcome;
// - the manager sets receivedPending before it reports a message; the window clears it once
//   the engine has the message. The manager reads nothing while a message waits for the
//   engine (a concatenated message's parts leave the part store when it is read).

#include <atomic>
#include <mutex>
#include <string>
#include <utility>

#include "handsetsettings.h"
#include "unGSMSMS.h"
#include "unPhone.h"

namespace nimbra::handset {

struct ManagerShared {
    std::atomic<bool> active = false;
    std::atomic<bool> closing = false;
    std::atomic<bool> reconnectRequested = false;
    std::atomic<bool> sendPending = false;
    std::atomic<bool> receivedPending = false;

    void SetOutgoing(const TGsmSms& record) {
        std::lock_guard lock(mutex_);
        outgoing_ = record;
    }
    TGsmSms Outgoing() const {
        std::lock_guard lock(mutex_);
        return outgoing_;
    }

private:
    mutable std::mutex mutex_;
    TGsmSms outgoing_;
};

// The window messages of the manager. Every call returns at once, but Taken.
class ManagerEvents {
public:
    virtual ~ManagerEvents() = default;
    virtual void Sending(std::string summary) = 0;  // a send starts
    virtual void Reading() = 0;                     // a read step starts
    virtual void Sent(std::string reference) = 0;   // the outgoing message went out
    virtual void Failed() = 0;                      // it did not
    virtual void Received(std::string record) = 0;  // a message or report, as record text
    // The same for a message the device keeps until the engine has stored it: waits for the
    // engine's answer and says whether it took the message.
    virtual bool Taken(std::string record) {
        Received(std::move(record));
        return true;
    }
    virtual void Info(std::string line) = 0;  // a line for the engine's log
    virtual void Reconnect() = 0;             // the manager ended for a reconnect
};

class TPhoneManager {
public:
    // Sleep between cycles.
    static constexpr int kCycleSleepMs = 50;

    TPhoneManager(TPhone& phone, HandsetSettings& settings, ManagerShared& shared,
                  ManagerEvents& events);

    // Setup, then cycles while the device is active, not closing and no reconnect is asked
    // for; a reconnect request is reported last. An error inside ends it quietly.
    void Run();
    // The delays, the memory size and memory choice, the modem initialisation and the
    // service centre.
    void Setup();
    void Cycle();

    int readIndex() const { return readIndex_; }

private:
    bool Running() const;
    void Send();
    void Read();

    TPhone& phone_;
    HandsetSettings& settings_;
    ManagerShared& shared_;
    ManagerEvents& events_;
    int incomingDelay_ = 0;
    int outgoingDelay_ = 2;
    int readIndex_ = 1;
    std::string memory_;
    std::string operatorName_;
};

}  // namespace nimbra::handset
