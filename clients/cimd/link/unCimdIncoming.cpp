// What the client does with each packet it receives.
#include "partidmap.h"
#include "unCimd.h"
#include "unGSMSMS.h"
#include "unStrings.h"

namespace nimbra::cimd {

namespace {

// The status code (061) of a status report about a delivered message.
constexpr std::string_view kStatusCodeDelivered = "4";

// A message centre's reference is its time stamp, unique only for one destination address:
// the parts' references are kept with the last six digits of the address, which stay the
// same however the centre writes the number.
std::string PartKey(const std::string& receiver, const std::string& reference) {
    return RightChars(DigitsOnly(receiver), 6) + "-" + reference;
}

}  // namespace

void TCIMDclient::HandlePacketsIn(driver::ByteTransport& link, std::string_view text) {
    for (std::size_t end = text.find(kCr); end != std::string_view::npos; end = text.find(kCr)) {
        HandlePacket(link, text.substr(0, end + 1));
        text.remove_prefix(end + 1);
    }
}

void TCIMDclient::HandlePacket(driver::ByteTransport& link, std::string_view text) {
    lastActivity_ = clock_.Elapsed();
    TParamList packet;
    const ParseResult parsed =
        framing_ == Framing::Standard ? ParseFrame(text, packet) : Parse(text, packet);
    switch (parsed) {
        case ParseResult::Ok:
            break;
        case ParseResult::Empty:
            return;
        case ParseResult::TooManyPieces:
            Log("Packet with more than 50 parameters ignored");
            return;
        case ParseResult::BadChecksum:
            // Not answered: the centre sends a message or report again when it gets no
            // response, and a response that was lost fails its message by the timeout.
            Log("Packet with a wrong checksum ignored");
            return;
    }
    const std::string code = packet.name(0);
    if (code == kOpGeneralError)
        OnErrorResponse(packet, "General error response received");
    else if (code == kOpNack)
        OnErrorResponse(packet, "Nack message received");
    else if (code == kOpDeliver)
        OnDeliver(link, packet);
    else if (code == kOpStatusReport)
        OnStatusReport(link, packet);
    else if (code == kOpSubmitResponse)
        OnSubmitResponse(link, packet);
}

// An error answer fails the submitted message it answers, if one waits for its response. A
// message that is only pending has not been sent, so the error cannot be about it.
void TCIMDclient::OnErrorResponse(const TParamList& packet, std::string_view line) {
    Submission* submission = ErrorAnsweredBy(packet.value(0), line);
    if (submission)
        FailMessage(*submission, line);
}

void TCIMDclient::OnDeliver(driver::ByteTransport& link, const TParamList& packet) {
    TGsmSms record(EpochToDateTime(clock_.Now()));
    record.operatorName = fields_.Get(fields::kOperator);
    record.sender = packet.valueOf("023");
    record.receiver = packet.valueOf("021");
    record.text =
        framing_ == Framing::Standard ? DecodeUserData(packet) : DecodeText(packet.valueOf("033"));
    // Answered only once the engine has it: unanswered, the centre delivers it again.
    if (!events_.Taken(record.ToText())) {
        Log("Incoming message left unanswered: the engine did not take it");
        return;
    }
    Log("Incoming Message [" + record.sender + "][" + record.text + "]");
    SendPacket(link, ResponsePacket(kOpDeliverResponse, packet.value(0)));
}

// Every status report becomes a delivery-report record. Its status tells the engine the
// outcome: "0" for status 4 (delivered), else the status code, which confirms nothing (1
// in process, 2 validity period expired, 3 delivery failed, 5 and 6 no response, 7 to 9
// cancelled or deleted). A report without a status code is taken as a delivery.
void TCIMDclient::OnStatusReport(driver::ByteTransport& link, const TParamList& packet) {
    const std::string receiver = packet.valueOf("021");
    const std::string timeStamp = packet.valueOf("060");
    const std::string status = packet.valueOf("061");
    const bool delivered = status.empty() || status == kStatusCodeDelivered;
    TGsmSms record(EpochToDateTime(clock_.Now()));
    record.type = kTypeDeliveryReport;
    record.operatorName = fields_.Get(fields::kOperator);
    record.sender = fields_.Get(fields::kSender);
    record.receiver = receiver;
    record.reference = MessageReference(receiver, timeStamp);
    record.status = status.empty() ? "" : delivered ? std::string(kStatusDelivered) : status;
    record.text = delivered ? "Message delivered to: " + receiver
                            : "Message not delivered to: " + receiver + " (status " + status + ")";
    if (!events_.Taken(record.ToText())) {
        Log("Status report left unanswered: the engine did not take it");
        return;
    }
    Log("Status Report: [" + receiver + "][" + timeStamp + "][" + status + "]");
    SendPacket(link, ResponsePacket(kOpStatusReportResponse, packet.value(0)));
}

// With one message at a time, a response with another number than the submit's is still
// taken as its answer; with a window only the submit with the response's number is. One that
// comes when no submit waits for it (a late, repeated or unknown response) is about no
// message the driver holds: reporting it would answer another message with its outcome.
// A concatenated message counts as sent once every part was accepted; its reference is the
// first part's.
void TCIMDclient::OnSubmitResponse(driver::ByteTransport& link, const TParamList& packet) {
    Submission* found = SubmitAnsweredBy(packet.value(0));
    if (!found)
        return;
    Submission& submission = *found;
    const std::string error = packet.valueOf("900");
    if (!error.empty()) {
        FailMessage(submission,
                    error == "5" ? "SMSCi error: No response from MC" : "Undeliverable message");
        return;
    }
    submission.number.clear();
    if (submissions_.size() == 1)
        numbering_.setAwaited("");
    const std::string reference = packet.valueOf("060");
    if (submission.next <= 1) {
        submission.firstReference = reference;
    } else if (!home_.empty()) {
        driver::PartIdMap(home_ / kPartIdsFolder)
            .Remember(PartKey(submission.receiver, reference), submission.firstReference);
    }
    if (submission.next < submission.parts.size()) {
        if (stop || !link.IsUp()) {
            FailMessage(submission, "Message not completed: the link ended between its parts");
            return;
        }
        LogMessage("Part " + std::to_string(submission.next) + " of " +
                   std::to_string(submission.parts.size()) + " sent");
        // With a window the next part waits for its turn under the rate cap.
        if (window_ <= 1)
            SendNextPart(link, submission);
        return;
    }
    LogMessage("Message sent");
    Finish(submission, Outcome::Sent, submission.firstReference);
}

std::string TCIMDclient::MessageReference(const std::string& receiver,
                                          const std::string& partReference) const {
    if (home_.empty())
        return partReference;
    const std::string key = PartKey(receiver, partReference);
    const std::string first = driver::PartIdMap(home_ / kPartIdsFolder).FirstIdOf(key);
    return first == key ? partReference : first;
}

// References of parts sent a week ago; once an hour.
void TCIMDclient::RemoveOldPartReferences() {
    if (!home_.empty() && cleanup_.Due(clock_.ElapsedMs()))
        driver::PartIdMap(home_ / kPartIdsFolder).RemoveOld();
}

}  // namespace nimbra::cimd
