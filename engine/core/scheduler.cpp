// The outgoing scheduler: once a second (or at the fast tick while messages wait), while the
// server runs, hand Outbox messages to devices with room for them; failed messages come back
// from "Waiting for resend" one batch per retry delay.
#include <cmath>
#include <filesystem>
#include <vector>

#include "engine.h"
#include "unStrings.h"

namespace nimbra {

namespace {

constexpr int kPutBackBatch = 20;

}  // namespace

bool Engine::AnyDeviceReady() {
    return devices_.FirstLive([](const TnbSMSPhone& d) { return d.CanTake(""); }) != nullptr;
}

TnbSMSPhone* Engine::FindDeviceFor(const TSms& message) {
    const std::string& wanted = message.operatorName;
    return devices_.FirstLive([&wanted](const TnbSMSPhone& d) { return d.CanTake(wanted); });
}

TnbSMSPhone* Engine::ChooseDevice(TSms& message) {
    TnbSMSPhone* device = FindDeviceFor(message);
    if (device)
        message.operatorName = device->operatorName;
    return device;
}

void Engine::PutBack() {
    TSmsQueue& waiting = Queue(SystemFolder::WaitingForResend);
    TSmsQueue& outbox = Queue(SystemFolder::Outbox);
    if (!waiting.loaded)
        waiting.LoadFolder();
    for (int moved = 0; waiting.Count() > 0 && moved < kPutBackBatch; ++moved) {
        if (!MoveMessage(waiting, 0, outbox)) {
            notifier_.ShowMessage("failedback: Could not resend failed messags");
            return;
        }
    }
}

bool Engine::RejectOutgoing(TSmsQueue& outbox, int position, const std::string& reason,
                            bool spaceBeforeLine) {
    const std::string line = outbox.At(position).ListLine();
    const std::string failure = "[System] SMS_SEND_FAILED (" + reason + ")";
    logs_.AppendToPane(NowText(Now()) + " " + failure + (spaceBeforeLine ? " " : "") + line,
                       PaneStyle::BoldRed);
    Log("error", failure + (spaceBeforeLine ? "" : " ") + line);
    const bool moved = MoveMessage(outbox, position, Queue(SystemFolder::CouldNotBeSent));
    SetStatus("status2", std::to_string(queues_->MessageList().RowCount()));
    return moved;
}

void Engine::SendTick() {
    if (!running_)
        return;
    tSend_->Stop();
    if (putBackDue_) {
        PutBack();
        HandleMessage(WindowMessage::RestartPutBack, 0, 0);
    }
    TSmsQueue& outbox = Queue(SystemFolder::Outbox);
    // Messages filed during the tick (one a device gave back at once) wait for the next one.
    const int lastListId = outbox.Count() > 0 ? outbox.At(outbox.Count() - 1).listId : 0;
    std::vector<int> windows;
    for (const DeviceList::Device& device : devices_.All()) {
        if (device->IsLive())
            windows.push_back(device->Window());
    }
    const int limit = SendPacing::HandOverLimit(windows);
    int handedOver = 0;
    for (int position = 0; position < outbox.Count() && handedOver < limit;) {
        // Only a hand-over makes a device busy, so once none is ready none will be in
        // this tick.
        if (!AnyDeviceReady())
            break;
        TSms& message = outbox.At(position);
        const int listId = message.listId;
        if (listId > lastListId)
            break;
        if (NormalizePhoneNumber(message.to).empty()) {
            RejectOutgoing(outbox, position, "Invalid Phone Number", true);
            if (position < outbox.Count() && outbox.At(position).listId == listId)
                ++position;  // it could not be moved; it stays until the next tick
            continue;
        }
        TnbSMSPhone* device = message.IsBusy() ? nullptr : FindDeviceFor(message);
        if (!device || !message.FileExists()) {
            ++position;
            continue;
        }
        const std::string operatorBefore = message.operatorName;
        message.operatorName = device->operatorName;
        message.TryLock();
        if (outFilter_.IsActive())
            message.text = outFilter_.Apply(message.text);
        const TGsmSms record = message.ToRecord();
        if (record.text.empty()) {
            if (!RejectOutgoing(outbox, position, "Empty message", false))
                message.Unlock();
        } else {
            device->RaiseTransmit(message, record.ToText(), operatorBefore);
            ++handedOver;
        }
        // A device may answer at once and move the message; go on after it either way.
        if (position < outbox.Count() && outbox.At(position).listId == listId)
            ++position;
    }
    if (running_) {
        const long long nowMs = std::llround(Now() * 86400000.0);
        tSend_->Start(pacing_.NextIntervalMs(nowMs, outbox.Count() > 0));
    }
}

}  // namespace nimbra
