// What a device reports: the outcome of a message it was given, and its link state.
#include <algorithm>

#include "codepage.h"
#include "engine.h"
#include "smsphone.h"
#include "unStrings.h"

namespace nimbra {

namespace {

// The sender and the message centre's reference from a driver's "{sender},{reference}".
std::pair<std::string, std::string> SenderAndReference(const std::string& senderPhone) {
    std::vector<std::string> groups;
    std::string* target = nullptr;
    for (std::size_t i = 0; i < senderPhone.size(); ++i) {
        const char c = senderPhone[i];
        if (c == '{') {
            groups.emplace_back();
            target = &groups.back();
        } else if (c == '}') {
            continue;
        } else if (target) {
            target->push_back(c);
            if (c == '\\' && i + 1 < senderPhone.size())
                target->push_back(senderPhone[++i]);
        }
    }
    groups.resize(std::max<std::size_t>(groups.size(), 2));
    // The comma between the groups separates them; it is not part of the sender.
    std::string sender = groups[0];
    if (!sender.empty() && sender.back() == ',')
        sender.pop_back();
    return {sender, groups[1]};
}

}  // namespace

int TnbSMSPhone::OutboxIndexOf(const std::string& msgId) const {
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    for (int i = 0; i < outbox.Count(); ++i) {
        if (outbox.At(i).messageId == msgId)
            return i;
    }
    return -1;
}

void TnbSMSPhone::Answered(const std::string& msgId) {
    std::erase_if(held_, [&msgId](const Held& held) { return held.messageId == msgId; });
}

void TnbSMSPhone::GiveBackHeld() {
    const std::vector<Held> held = std::move(held_);
    held_.clear();
    // After the shutdown nothing is sent any more; a busy mark does not outlive the run.
    if (held.empty() || engine_.HasShutDown())
        return;
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    for (const Held& entry : held) {
        TSms* message = outbox.FindByListId(entry.listId);
        if (!message || !message->IsBusy())
            continue;
        // The operator was this device's choice, not the message's: any device may take it.
        message->operatorName = entry.operatorBefore;
        message->Unlock();
        engine_.Log("screen", "[" + realName + "] left without answering; back in the Outbox: " +
                                  message->ListLine());
    }
}

void TnbSMSPhone::sendSuccess(const std::string& msgId, const std::string& senderPhone) {
    Answered(msgId);
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    const int index = OutboxIndexOf(msgId);
    if (index >= 0) {
        TSms& message = outbox.At(index);
        if (message.operatorName.empty())
            message.operatorName = operatorName;
        if (!senderPhone.empty() && senderPhone.front() == '{') {
            auto [sender, reference] = SenderAndReference(senderPhone);
            message.SetFrom(sender);
            message.reference = reference;
        } else {
            message.SetFrom(senderPhone);
        }
        const std::string line = "[" + realName + "] " + tr("SMS_SENT") + " (" +
                                 message.operatorName + ") " + message.ListLine();
        engine_.Log("send", line);
        engine_.Log("screen", line);
        const std::string id = message.messageId;
        // A sent message that Sent Items cannot take stays busy in the Outbox, so that it is
        // not sent a second time in this run.
        if (!MoveMessage(outbox, index, engine_.Queue(SystemFolder::SentItems)))
            engine_.Log("error", "[" + realName + "] Cannot file the sent message: " + line);
        if (!id.empty())
            engine_.PostWithSlot(WindowMessage::MessageSentEvent, id);
        engine_.SetStatus("status2", std::to_string(engine_.Queues().MessageList().RowCount()));
    }
    sendState = kIdle;
}

void TnbSMSPhone::sendFailed(const std::string& msgId, const std::string& reason) {
    Answered(msgId);
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    const int index = OutboxIndexOf(msgId);
    if (index >= 0) {
        TSms& message = outbox.At(index);
        engine_.Logs().AppendToPane(DateTimeText(engine_.Now()) + " [" + realName + "] " +
                                        "SMS_SEND_FAILED (" + operatorName + ")" +
                                        message.ListLine(),
                                    PaneStyle::Red);
        const std::string id = message.messageId;
        const int listId = message.listId;
        const int retriesLeft =
            reason == "phone busy" ? message.retriesLeft : message.retriesLeft - 1;
        const bool retry = reason != "phone busy";
        const bool givenUp = retriesLeft < 0;
        const std::string deleted = "[" + realName + "] " + tr("SMS_DELETED") + " (" +
                                    operatorName + ")" + message.ListLine();
        TSmsQueue& target = !retry    ? outbox
                            : givenUp ? engine_.Queue(SystemFolder::CouldNotBeSent)
                                      : engine_.Queue(SystemFolder::WaitingForResend);
        const bool moved = MoveMessage(
            outbox, index, target, [retriesLeft](TSms& copy) { copy.retriesLeft = retriesLeft; });
        if (!moved) {
            // It could not be filed: it stays in the Outbox, counted down, for another try.
            if (TSms* kept = outbox.FindByListId(listId)) {
                kept->retriesLeft = retriesLeft;
                kept->Unlock();
            }
        } else if (retry) {
            // "Will retry" only while a retry is left; the last failure deletes the message.
            if (!givenUp && !id.empty())
                engine_.PostWithSlot(WindowMessage::SendAttemptFailedEvent, id, 1);
            if (givenUp) {
                engine_.Log("screen", deleted);
                engine_.Log("error", deleted);
                engine_.PostWithSlot(WindowMessage::MessageDeletedEvent, id);
            }
        }
        engine_.SetStatus("status2", std::to_string(engine_.Queues().MessageList().RowCount()));
    }
    sendState = kIdle;
}

std::string TnbSMSPhone::AdvanceDots(bool connectOnFourth) {
    if (progressDots == "...") {
        if (connectOnFourth)
            connState = kConnected;
        progressDots = ".";
    } else if (progressDots == "..") {
        progressDots = "...";
    } else {
        progressDots = "..";
    }
    return progressDots;
}

void TnbSMSPhone::ApplyLinkRules(const std::string& text, std::string& status) {
    if (text.find(tr("Could not connect to ")) != std::string::npos) {
        connState = kNotConnected;
        status = text;
    } else if (text.find("Successful login") != std::string::npos) {
        connState = kConnected;
    } else if (text.find("Disconnected") != std::string::npos) {
        connState = kNotConnected;
    } else if (LowerAnsi(text).find("connected") != std::string::npos) {
        connState = kConnecting;
    }
}

void TnbSMSPhone::UpdateStatusLine(const std::string& text, std::string& status) {
    if (text == tr("Reading phone memory")) {
        const std::string dots = progressDots;
        if (connState == kConnected)
            status = tr("Connection: ok");
        else
            status = text + dots;
        AdvanceDots(true);
    } else if (text == tr("Checking link")) {
        status = text + AdvanceDots(false);
    } else {
        status = text;
    }
}

void TnbSMSPhone::deviceInfo(const std::string& info) {
    lastHeard = LocalEpochSeconds(engine_.Now());
    if (info.empty())
        return;
    const bool direct = info.front() == '@';
    if (!direct && !engine_.IsStarting() && !engine_.IsRunning())
        return;
    const std::string text = direct ? info.substr(1) : info;
    DevicePanel::Entry& entry = engine_.Panel().FindOrAppend(realName);
    ApplyLinkRules(text, entry.status);
    UpdateStatusLine(text, entry.status);
    const std::string sending = tr("Sending message");
    if (text != tr("Reading phone memory") && text.compare(0, sending.size(), sending) != 0)
        engine_.Log("screen", "[" + realName + "] " + text);
    RedrawPicture();
}

}  // namespace nimbra
