// The protocol thread's loop: read and dispatch, submit the parts of the message in flight
// when the line is quiet and the centre is not busy, keep the link alive, give up a link on
// which a submit got no answer, and unbind when stopped.
#include "partidmap.h"
#include "pducoder.h"
#include "pducoder_parts.h"
#include "smppstatus.h"
#include "unSmpp.h"

namespace nimbra::smpp {

namespace {

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
        const std::string pdu = ReadPdu(link, kPduRestSeconds);
        if (!pdu.empty()) {
            lastActivity_ = clock_.Elapsed();
            Dispatch(link, pdu);
        } else if (link.IsUp() && !paused_ && HasPartToSend()) {
            SubmitNext(link);
        }
        if (!link.IsUp())
            continue;
        ResumeSubmitsWhenDue();
        bool timedOut = false;
        {
            const std::lock_guard lock(outgoingMutex_);
            timedOut = submission_ && submission_->awaiting &&
                       clock_.Elapsed() - kSubmitTimeoutSeconds > submission_->sentAt;
        }
        if (timedOut) {
            Log("Submit timeout.  ");
            Finish(Outcome::Failed);
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

// Responses are matched to the submit in flight by sequence number; one nobody waits for
// (late, repeated) is not taken for another message. A generic_nack answers like a refusal.
void Tsmppclient::OnSubmitResponse(const PduParts& parts, const std::string& messageId) {
    const bool nack = parts.commandId == kIdGenericNack;
    const std::uint32_t status =
        nack && parts.status == kStatusOk ? kStatusInvalidCommandId : ReadHex32(parts.status);
    const bool accepted = !nack && status == 0;
    bool partsGone = false;
    bool lastPart = false;
    std::string firstId;
    {
        const std::lock_guard lock(outgoingMutex_);
        if (!submission_ || !submission_->awaiting || submission_->sequence != parts.sequence) {
            if (nack)
                Log("generic_nack for sequence " + parts.sequence + ": " + StatusText(status));
            else
                Log("Unexpected submit response");
            return;
        }
        Submission& submission = *submission_;
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
            Log("Message part sent. " + messageId);
            return;
        }
        Log("Message sent. " + firstId);
        Finish(Outcome::Sent, firstId);
    } else if (IsTemporaryRefusal(status)) {
        PauseSubmits(status);
        if (!partsGone)
            Finish(Outcome::HandedBack);
    } else {
        Log("Undeliverable message.  " + (messageId.empty() ? "" : messageId + " ") + "(" +
            StatusText(status) + ")");
        Finish(Outcome::Failed);
    }
}

// Reports the message in flight and forgets it.
void Tsmppclient::Finish(Outcome outcome, const std::string& reference) {
    {
        const std::lock_guard lock(outgoingMutex_);
        submission_.reset();
    }
    busy = false;
    switch (outcome) {
        case Outcome::Sent:
            events_.Sent(reference);
            break;
        case Outcome::Failed:
            events_.Failed();
            break;
        case Outcome::HandedBack:
            events_.HandedBack();
            break;
    }
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

bool Tsmppclient::HasPartToSend() const {
    const std::lock_guard lock(outgoingMutex_);
    return pending || (submission_ && !submission_->awaiting &&
                       submission_->next < submission_->bodies.size());
}

// The first part of a message builds all of its submits; a message that cannot be built
// fails without a submit.
void Tsmppclient::SubmitNext(driver::ByteTransport& link) {
    TGsmSms record;
    bool first = false;
    {
        const std::lock_guard lock(outgoingMutex_);
        first = pending.exchange(false);
        if (first)
            record = outgoing_;
    }
    if (first) {
        Log("Outgoing message [" + record.sender + "][" + record.receiver + "][" + record.text +
            "]");
        Submits submits =
            BuildSubmits(record.sender, record.receiver, record.text, Options(), nextReference_);
        if (submits.bodies.empty()) {
            Log(submits.error);
            Finish(Outcome::Failed);
            return;
        }
        ++nextReference_;
        const std::lock_guard lock(outgoingMutex_);
        submission_ = Submission{std::move(submits.bodies), 0, {}, false, {}, 0};
    }
    std::string body;
    const std::uint32_t sequence = sequence_.Next();
    {
        const std::lock_guard lock(outgoingMutex_);
        if (!submission_)
            return;
        Submission& submission = *submission_;
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
        return submission_ && submission_->awaiting;
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
