// The protocol thread's loop: read and dispatch, submit when the line is quiet, keep the
// link alive, and give up a link on which a submit got no answer.
#include "unDate.h"
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

}  // namespace

void Tsmppclient::ThreadLoop(driver::ByteTransport& link) {
    lastActivity_ = clock_.Elapsed();
    reconnect = false;
    gaveUp_ = false;
    while (!stop && (link.IsUp() || HoldsWholePdu(buffer_))) {
        const std::string pdu = ReadPdu(link, kPduRestSeconds);
        if (!pdu.empty()) {
            lastActivity_ = clock_.Elapsed();
            Dispatch(link, pdu);
        } else if (pending && link.IsUp()) {
            SubmitPending(link);
        }
        if (!link.IsUp())
            continue;
        if (submitted_ && clock_.Elapsed() - kSubmitTimeoutSeconds > submittedAt_) {
            Log("Submit timeout.  ");
            {
                const std::lock_guard lock(outgoingMutex_);
                submitted_ = false;
            }
            busy = false;
            events_.Failed();
            gaveUp_ = true;
            link.Close();
        } else if (clock_.Elapsed() - kKeepaliveSeconds > lastActivity_) {
            lastActivity_ = clock_.Elapsed();
            CheckLink(link);
        }
    }
    if (stop && !abandon && submitted_ && link.IsUp())
        AwaitSubmitResponse(link);
    if (!stop && !gaveUp_)
        Log("Connection to the smpp server lost");
    // A link ended by Stop is not rebuilt, whatever broke while it was ending.
    reconnect = !stop;
    FailInFlight();
}

void Tsmppclient::Dispatch(driver::ByteTransport& link, const std::string& pdu) {
    const PduParts parts = SplitHeader(pdu);
    if (parts.commandId == kIdDeliverSm)
        OnDeliver(link, parts);
    else if (parts.commandId == kIdSubmitSmResp)
        OnSubmitResponse(pdu);
    else if (parts.commandId == kIdEnquireLink)
        SendPdu(link, BuildEnquireLinkResp(parts.sequence));
}

// A message that came with the read that found the link closed cannot be answered; the
// message centre sends it again on the next link, so it is not taken in twice.
void Tsmppclient::OnDeliver(driver::ByteTransport& link, const PduParts& parts) {
    if (!link.IsUp()) {
        Log("Incoming message left unanswered: the link is closed");
        return;
    }
    const DeliverSm deliver = ReadDeliverSm(parts.body);
    TGsmSms record(EpochToDateTime(clock_.Now()));
    if (deliver.receipt) {
        record.type = kTypeDeliveryReport;
        record.reference = deliver.reference;
    }
    record.operatorName = fields_.Get(fields::kOperator);
    record.sender = deliver.sender;
    record.receiver = deliver.receiver;
    record.text = deliver.text;
    events_.Received(record.ToText());
    Log("Incoming Message [" + record.sender + "][" + record.receiver + "][" + record.text + "]");
    SendPdu(link, BuildDeliverResp(parts.sequence));
}

// Responses are matched to the one submit in flight; one nobody waits for (late, repeated)
// is not taken for another message.
void Tsmppclient::OnSubmitResponse(const std::string& pdu) {
    {
        const std::lock_guard lock(outgoingMutex_);
        if (!submitted_) {
            Log("Unexpected submit response");
            return;
        }
        submitted_ = false;
    }
    const SubmitResp resp = ReadSubmitResp(pdu);
    busy = false;
    if (resp.accepted) {
        Log("Message sent. " + resp.messageId);
        events_.Sent(resp.messageId);
    } else {
        Log("Undeliverable message.  " + resp.messageId);
        events_.Failed();
    }
}

void Tsmppclient::SubmitPending(driver::ByteTransport& link) {
    TGsmSms record;
    {
        const std::lock_guard lock(outgoingMutex_);
        record = outgoing_;
        pending = false;
        submitted_ = true;
        submittedAt_ = clock_.Elapsed();
    }
    Log("Outgoing message [" + record.sender + "][" + record.receiver + "][" + record.text + "]");
    const SubmitBody body = BuildSubmitBody(record.sender, record.receiver, record.text,
                                            fields_.Get(fields::kDelivery) == "1", clock_.Now());
    if (!body.error.empty()) {
        Log(body.error);
        {
            const std::lock_guard lock(outgoingMutex_);
            submitted_ = false;
        }
        busy = false;
        events_.Failed();
        return;
    }
    SendPdu(link, BuildPdu(kSubmitSm, sequence_.Next(), body.hex));
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
    while (submitted_ && link.IsUp() && !abandon && clock_.Elapsed() <= deadline) {
        const std::string pdu = ReadPdu(link, kPduRestSeconds);
        if (!pdu.empty())
            Dispatch(link, pdu);
    }
}

}  // namespace nimbra::smpp
