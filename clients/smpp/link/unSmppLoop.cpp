// The protocol thread's loop: read and dispatch, submit the parts of the message in flight
// when the line is quiet and the centre is not busy, keep the link alive, give up a link on
// which a submit got no answer, and unbind when stopped.
#include <algorithm>
#include <optional>

#include "partidmap.h"
#include "pducoder.h"
#include "pducoder_parts.h"
#include "smppstatus.h"
#include "unSmpp.h"

namespace nimbra::smpp {

namespace {

// With a window, how long a pass waits on the socket when nothing is to be submitted.
constexpr int kWindowWaitMs = 20;

// The read that brings the centre's last PDUs may also find the link closed; those PDUs are
// still taken in (a submit response among them decides its message).
bool HoldsWholePdu(const std::string& buffer) {
    if (buffer.size() < 4)
        return false;
    const std::uint32_t length = ReadLength(buffer);
    return length >= kHeaderBytes && length <= kMaxPduBytes && buffer.size() >= length;
}

bool IsResponse(std::string_view commandId) {
    return !commandId.empty() && commandId[0] >= '8';
}

}  // namespace

void Tsmppclient::ThreadLoop(driver::ByteTransport& link) {
    lastActivity_ = clock_.Elapsed();
    reconnect = false;
    gaveUp_ = false;
    while (!stop && (link.IsUp() || HoldsWholePdu(buffer_))) {
        RemoveOldFiles();
        window_ = Window();
        if (window_ > 1) {
            const std::string pdu = WindowedPass(link, window_);
            if (!pdu.empty()) {
                lastActivity_ = clock_.Elapsed();
                Dispatch(link, pdu);
            }
        } else {
            const std::string pdu = ReadPdu(link, kPduRestSeconds);
            if (!pdu.empty()) {
                lastActivity_ = clock_.Elapsed();
                Dispatch(link, pdu);
            } else if (link.IsUp() && !paused_ && HasPartToSend(window_)) {
                SubmitNext(link);
            }
        }
        if (!link.IsUp())
            continue;
        ResumeSubmitsWhenDue();
        if (FailOverdue()) {
            gaveUp_ = true;
            link.Close();
        } else if (clock_.Elapsed() - kKeepaliveSeconds > lastActivity_) {
            lastActivity_ = clock_.Elapsed();
            CheckLink(link);
        }
    }
    if (stop && link.IsUp()) {
        if (!abandon)
            AwaitSubmitResponse(link);
        Unbind(link);
    }
    if (!stop && !gaveUp_)
        Log("Connection to the smpp server lost");
    // A link ended by Stop is not rebuilt, whatever broke while it was ending.
    reconnect = !stop;
    EndPause();
    FailInFlight();
    window_ = 1;
}

// Submits first, as many as may go now, so that the window fills in one pass; then the
// socket is waited on, no longer than until the rate cap lets the next submit go.
std::string Tsmppclient::WindowedPass(driver::ByteTransport& link, int window) {
    rateCap_.SetRate(driver::LinkRateCap(fields_.Get(fields::kRateCap)));
    int waitMs = kWindowWaitMs;
    for (int sent = 0; link.IsUp() && !paused_ && HasPartToSend(window) && sent < window; ++sent) {
        const long long nowMs = clock_.ElapsedMs();
        if (!rateCap_.MayGo(nowMs)) {
            waitMs = static_cast<int>(std::min<long long>(waitMs, rateCap_.WaitMs(nowMs)));
            break;
        }
        rateCap_.Went(nowMs);
        SubmitNext(link);
    }
    if (!link.IsUp() && !HoldsWholePdu(buffer_))
        return {};
    return ReadPdu(link, kPduRestSeconds, waitMs);
}

// Every submit has its own timeout. One message in flight: its timeout gives up the link
// (the designed link). Several: each overdue message fails, and the link, whose centre has
// stopped answering, is given up too; the others in flight go back when the loop ends.
bool Tsmppclient::FailOverdue() {
    std::vector<std::string> overdue;
    {
        const std::lock_guard lock(outgoingMutex_);
        for (const Submission& submission : submissions_) {
            if (submission.awaiting && clock_.Elapsed() - kSubmitTimeoutSeconds > submission.sentAt)
                overdue.push_back(submission.messageId);
        }
    }
    for (const std::string& messageId : overdue) {
        Log(window_ > 1 ? "Submit timeout.  " + messageId : "Submit timeout.  ");
        Finish(Outcome::Failed, messageId);
    }
    return !overdue.empty();
}

void Tsmppclient::Dispatch(driver::ByteTransport& link, const std::string& pdu) {
    const PduParts parts = SplitHeader(pdu);
    if (parts.commandId == kIdDeliverSm) {
        OnDeliver(link, parts, false);
    } else if (parts.commandId == kIdDataSm) {
        OnDeliver(link, parts, true);
    } else if (parts.commandId == kIdSubmitSmResp) {
        OnSubmitResponse(parts, ReadSubmitResp(pdu).messageId);
    } else if (parts.commandId == kIdEnquireLink) {
        SendPdu(link, BuildEnquireLinkResp(parts.sequence));
    } else if (parts.commandId == kIdUnbind) {
        OnUnbind(link, parts);
    } else if (parts.commandId == kIdGenericNack) {
        // A nack answers the request with its sequence number: a submit fails or waits by
        // its status, anything else is only logged.
        OnSubmitResponse(parts, {});
    } else if (IsResponse(parts.commandId)) {
        // enquire_link_resp and the like: the traffic itself kept the link alive.
    } else if (parts.commandId == kIdAlertNotification) {
        Log("alert_notification ignored");
    } else {
        Log("Unknown request " + parts.commandId + " answered with generic_nack");
        SendPdu(link, BuildGenericNack(parts.sequence, kStatusInvalidCommandId));
    }
}

// Parts of messages that never completed and ids of parts sent a week ago; once an hour.
void Tsmppclient::RemoveOldFiles() {
    if (home_.empty() || !cleanup_.Due(clock_.ElapsedMs()))
        return;
    driver::PartIdMap(home_ / kPartIdsFolder).RemoveOld();
    PduPartStore(home_ / kPartsFolderName)
        .RemoveWrittenBefore(std::filesystem::file_time_type::clock::now() - kPartFileMaxAge);
}

// The centre takes the link down: it gets its answer, and the link is rebuilt later.
void Tsmppclient::OnUnbind(driver::ByteTransport& link, const PduParts& parts) {
    SendPdu(link, BuildUnbindResp(parts.sequence));
    Log("Unbound by the smpp server");
    gaveUp_ = true;
    link.Close();
}

Tsmppclient::Submission* Tsmppclient::AwaitingFor(const std::string& sequence) {
    for (Submission& submission : submissions_) {
        if (submission.awaiting && submission.sequence == sequence)
            return &submission;
    }
    return nullptr;
}

// Responses are matched to the submits in flight by sequence number, in whatever order they
// come; one nobody waits for (late, repeated, unknown) is not taken for another message. A
// generic_nack answers like a refusal.
void Tsmppclient::OnSubmitResponse(const PduParts& parts, const std::string& messageId) {
    const bool nack = parts.commandId == kIdGenericNack;
    const std::uint32_t status =
        nack && parts.status == kStatusOk ? kStatusInvalidCommandId : ReadHex32(parts.status);
    const bool accepted = !nack && status == 0;
    bool partsGone = false;
    bool lastPart = false;
    std::string firstId;
    std::string engineId;
    {
        const std::lock_guard lock(outgoingMutex_);
        Submission* found = AwaitingFor(parts.sequence);
        if (!found) {
            if (nack)
                Log("generic_nack for sequence " + parts.sequence + ": " + StatusText(status));
            else
                Log(window_ > 1 ? "Unexpected submit response for sequence " + parts.sequence
                                : "Unexpected submit response");
            return;
        }
        Submission& submission = *found;
        engineId = submission.messageId;
        submission.awaiting = false;
        if (accepted)
            submission.ids.push_back(messageId);
        partsGone = !submission.ids.empty();
        lastPart = submission.next == submission.bodies.size();
        firstId = partsGone ? submission.ids.front() : std::string();
        // A receipt for this part may come before the message's last part is accepted.
        if (accepted && submission.ids.size() > 1 && !home_.empty())
            driver::PartIdMap(home_ / kPartIdsFolder).Remember(messageId, firstId);
        // A busy answer after parts have gone: this part goes again after the pause.
        if (!accepted && IsTemporaryRefusal(status) && partsGone)
            --submission.next;
    }
    if (accepted) {
        throttle_.Reset();
        if (!lastPart) {
            LogMessage("Message part sent. " + messageId);
            return;
        }
        LogMessage("Message sent. " + firstId);
        Finish(Outcome::Sent, engineId, firstId);
    } else if (IsTemporaryRefusal(status)) {
        PauseSubmits(status);
        if (!partsGone)
            Finish(Outcome::HandedBack, engineId);
    } else {
        Log("Undeliverable message.  " + (messageId.empty() ? "" : messageId + " ") + "(" +
            StatusText(status) + ")");
        Finish(Outcome::Failed, engineId);
    }
}

void Tsmppclient::Finish(Outcome outcome, const std::string& messageId,
                         const std::string& reference) {
    {
        const std::lock_guard lock(outgoingMutex_);
        const auto it = std::find_if(submissions_.begin(), submissions_.end(),
                                     [&](const Submission& s) { return s.messageId == messageId; });
        if (it != submissions_.end())
            submissions_.erase(it);
        if (submissions_.empty() && queued_.empty())
            busy = false;
    }
    switch (outcome) {
        case Outcome::Sent:
            events_.MessageSent(messageId, reference);
            break;
        case Outcome::Failed:
            events_.MessageFailed(messageId);
            break;
        case Outcome::HandedBack:
            events_.MessageHandedBack(messageId);
            break;
    }
}

void Tsmppclient::LogMessage(std::string_view line) {
    events_.Log(window_ > 1 ? "2" : "1", line);
}

void Tsmppclient::PauseSubmits(std::uint32_t status) {
    const int seconds = throttle_.NextSeconds(fields_.Get(fields::kThrottleSteps));
    pausedUntilMs_ = clock_.ElapsedMs() + seconds * 1000LL;
    Log("The smpp server is busy (" + StatusText(status) + "); submits pause for " +
        std::to_string(seconds) + " s");
    if (!paused_) {
        paused_ = true;
        events_.Info("cansend", "0");
    }
}

void Tsmppclient::ResumeSubmitsWhenDue() {
    if (paused_ && clock_.ElapsedMs() >= pausedUntilMs_) {
        Log("Submits resume");
        EndPause();
    }
}

void Tsmppclient::EndPause() {
    if (!paused_)
        return;
    paused_ = false;
    events_.Info("cansend", "1");
}

// A message part of one in flight goes before a message that waits for room in the window.
bool Tsmppclient::HasPartToSend(int window) const {
    const std::lock_guard lock(outgoingMutex_);
    for (const Submission& submission : submissions_) {
        if (!submission.awaiting && submission.next < submission.bodies.size())
            return true;
    }
    return !queued_.empty() && submissions_.size() < static_cast<std::size_t>(window);
}

// The first part of a message builds all of its submits; a message that cannot be built
// fails without a submit.
void Tsmppclient::SubmitNext(driver::ByteTransport& link) {
    std::optional<TGsmSms> record;
    std::size_t index = 0;
    {
        const std::lock_guard lock(outgoingMutex_);
        const auto waiting = std::find_if(
            submissions_.begin(), submissions_.end(), [](const Submission& submission) {
                return !submission.awaiting && submission.next < submission.bodies.size();
            });
        if (waiting != submissions_.end()) {
            index = static_cast<std::size_t>(waiting - submissions_.begin());
        } else if (!queued_.empty()) {
            record = std::move(queued_.front());
            queued_.pop_front();
            pending = !queued_.empty();
        } else {
            return;
        }
    }
    if (record) {
        LogMessage("Outgoing message [" + record->sender + "][" + record->receiver + "][" +
                   record->text + "]");
        Submits submits =
            BuildSubmits(record->sender, record->receiver, record->text, Options(), nextReference_);
        if (submits.bodies.empty()) {
            Log(submits.error);
            Finish(Outcome::Failed, record->messageId);
            return;
        }
        ++nextReference_;
        const std::lock_guard lock(outgoingMutex_);
        submissions_.push_back(
            Submission{record->messageId, std::move(submits.bodies), 0, {}, false, {}, 0});
        index = submissions_.size() - 1;
    }
    std::string body;
    const std::uint32_t sequence = sequence_.Next();
    {
        const std::lock_guard lock(outgoingMutex_);
        if (index >= submissions_.size())
            return;
        Submission& submission = submissions_[index];
        body = submission.bodies[submission.next++];
        submission.awaiting = true;
        submission.sequence = Hex32(sequence);
        submission.sentAt = clock_.Elapsed();
    }
    SendPdu(link, BuildPdu(kSubmitSm, sequence, body));
    lastActivity_ = clock_.Elapsed();
}

// Whatever arrives first answers the check, and is handled as usual: a message that comes
// at that moment is not dropped.
void Tsmppclient::CheckLink(driver::ByteTransport& link) {
    SendPdu(link, BuildEnquireLink(sequence_.Next()));
    const std::string answer = AwaitPdu(link, kAnswerSeconds);
    if (stop)
        return;
    if (answer.empty()) {
        Log("Keepalive failed");
        gaveUp_ = true;
        link.Close();
        return;
    }
    Dispatch(link, answer);
}

// Before the link ends on a Stop, the response to a submit already on its way is taken in:
// failing that message would send it a second time.
void Tsmppclient::AwaitSubmitResponse(driver::ByteTransport& link) {
    const long long deadline = clock_.Elapsed() + kAnswerSeconds;
    const auto awaiting = [this] {
        const std::lock_guard lock(outgoingMutex_);
        return std::any_of(submissions_.begin(), submissions_.end(),
                           [](const Submission& submission) { return submission.awaiting; });
    };
    while (awaiting() && link.IsUp() && !abandon && clock_.Elapsed() <= deadline) {
        const std::string pdu = ReadPdu(link, kPduRestSeconds);
        if (!pdu.empty())
            Dispatch(link, pdu);
    }
}

// The centre is told the session ends and is given a moment to answer. What else comes
// meanwhile is left unanswered: the centre sends it again on the next link.
void Tsmppclient::Unbind(driver::ByteTransport& link) {
    SendPdu(link, BuildUnbind(sequence_.Next()));
    const long long deadline = clock_.ElapsedMs() + kUnbindWaitMs;
    while (link.IsUp() && clock_.ElapsedMs() < deadline) {
        const std::string pdu = ReadPdu(link, kPduRestSeconds);
        const std::string commandId = SplitHeader(pdu).commandId;
        if (commandId == kIdUnbindResp || commandId == kIdGenericNack)
            return;
    }
}

}  // namespace nimbra::smpp
