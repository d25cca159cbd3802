#include "phonemanager.h"

#include <exception>

#include "pducoder.h"
#include "unStrings.h"

namespace nimbra::handset {

TPhoneManager::TPhoneManager(TPhone& phone, HandsetSettings& settings, ManagerShared& shared,
                             ManagerEvents& events)
    : phone_(phone), settings_(settings), shared_(shared), events_(events) {}

bool TPhoneManager::Running() const {
    return shared_.active && !shared_.closing && !shared_.reconnectRequested;
}

void TPhoneManager::Run() {
    try {
        Setup();
        while (Running()) {
            Cycle();
            if (shared_.active && !shared_.closing) {
                phone_.Pause(kCycleSleepMs);
                if (incomingDelay_ > 0)
                    phone_.Pause(incomingDelay_ * 1000);
            }
            // A device that has gone is connected anew.
            if (phone_.port().Lost())
                shared_.reconnectRequested = true;
        }
    } catch (const std::exception&) {
        // The connection ends; the window learns of it when the thread is done.
    }
    if (shared_.reconnectRequested && !shared_.closing)
        events_.Reconnect();
}

void TPhoneManager::Setup() {
    incomingDelay_ = settings_.Seconds(port::kDelayIn, 0);
    outgoingDelay_ = settings_.Seconds(port::kDelayOut, 2);
    // Empty or not a number counts as 0.
    int memorySize = 0;
    if (!ParseInt32(settings_.Port(port::kMemorySize), memorySize))
        memorySize = 0;
    if (memorySize < 1)
        settings_.WritePort(port::kMemorySize, std::to_string(phone_.memorySize()));
    else
        phone_.SetMemorySize(memorySize);
    memory_ = settings_.Port(port::kPreferredMemory);
    if (memory_ == kMemorySim)
        phone_.SendATR("AT+CPMS=\"SM\",\"SM\"");
    else if (memory_ == kMemoryDevice)
        phone_.SendATR("AT+CPMS=\"ME\",\"ME\"");
    else if (memory_ == kMemoryBoth && settings_.PrefChecked(pref::kReceive))
        phone_.InitMemoryRotation();
    for (const std::string& command : settings_.ModemInit())
        phone_.SendATR(command);
    phone_.SendATR("AT+CSCA=" + settings_.ServiceCentre());
    operatorName_ = settings_.OperatorName();
}

void TPhoneManager::Cycle() {
    const bool sending = shared_.sendPending && shared_.active;
    if (sending)
        Send();
    if (memory_ == kMemoryBoth)
        phone_.AdvanceMemorySlot();
    if (!sending && settings_.PrefChecked(pref::kReceive) && shared_.active &&
        !shared_.receivedPending)
        Read();
}

void TPhoneManager::Send() {
    TGsmSms record = shared_.Outgoing();
    events_.Sending(record.Summary());
    const bool sent = phone_.SubmitSms(record);
    phone_.Pause(outgoingDelay_ * 1000);
    shared_.sendPending = false;
    if (sent)
        events_.Sent(record.reference);
    else
        events_.Failed();
}

void TPhoneManager::Read() {
    events_.Reading();
    int slot = 0;
    if (memory_ == kMemoryBoth) {
        slot = phone_.CurrentSlot();
    } else {
        if (readIndex_ > phone_.memorySize())
            readIndex_ = 1;
        slot = readIndex_;
    }
    TGsmSms record;
    if (phone_.ReadSms(slot, record)) {
        // A report that only says the centre still tries is no outcome: it is logged and
        // leaves the device, and the report the centre sends when it delivers or gives up
        // decides. Every other report reaches the engine with its outcome in its status.
        if (record.type == kTypeDeliveryReport && IsReportStillTrying(record.status)) {
            events_.Info("Status report for " + record.reference + " to " + record.sender + ": " +
                         record.status + " (not final)");
            phone_.DeleteSms(slot);
        } else {
            // The message leaves the device only once the engine has stored it; one the
            // engine did not take is read again in a later round.
            shared_.receivedPending = true;
            record.operatorName = operatorName_;
            if (events_.Taken(record.ToText()) && settings_.PortChecked(port::kDeleteRead))
                phone_.DeleteSms(slot);
        }
    }
    ++readIndex_;
}

}  // namespace nimbra::handset
