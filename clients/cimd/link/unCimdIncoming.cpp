// What the client does with each packet it receives.
#include "unCimd.h"
#include "unGSMSMS.h"

namespace nimbra::cimd {

void TCIMDclient::HandlePacketsIn(driver::ByteTransport& link, std::string_view text) {
    for (std::size_t end = text.find(kCr); end != std::string_view::npos; end = text.find(kCr)) {
        HandlePacket(link, text.substr(0, end + 1));
        text.remove_prefix(end + 1);
    }
}

void TCIMDclient::HandlePacket(driver::ByteTransport& link, std::string_view text) {
    lastActivity_ = clock_.Elapsed();
    TParamList packet;
    switch (Parse(text, packet)) {
        case ParseResult::Ok:
            break;
        case ParseResult::Empty:
            return;
        case ParseResult::TooManyPieces:
            Log("Packet with more than 50 parameters ignored");
            return;
    }
    const std::string code = packet.name(0);
    if (code == kOpGeneralError)
        OnErrorResponse("General error response received");
    else if (code == kOpNack)
        OnErrorResponse("Nack message received");
    else if (code == kOpDeliver)
        OnDeliver(link, packet);
    else if (code == kOpStatusReport)
        OnStatusReport(link, packet);
    else if (code == kOpSubmitResponse)
        OnSubmitResponse(packet);
}

// An error answer fails the submitted message, if one waits for its response. A message that
// is only pending has not been sent, so the error cannot be about it.
void TCIMDclient::OnErrorResponse(std::string_view line) {
    if (!submitted_.empty()) {
        submitted_.clear();
        numbering_.setAwaited("");
        busy = false;
        events_.Failed();
    }
    Log(line);
}

void TCIMDclient::OnDeliver(driver::ByteTransport& link, const TParamList& packet) {
    TGsmSms record(EpochToDateTime(clock_.Now()));
    record.operatorName = fields_.Get(fields::kOperator);
    record.sender = packet.valueOf("023");
    record.receiver = packet.valueOf("021");
    record.text = DecodeText(packet.valueOf("033"));
    events_.Received(record.ToText());
    Log("Incoming Message [" + record.sender + "][" + record.text + "]");
    SendPacket(link, ResponsePacket(kOpDeliverResponse, packet.value(0)));
}

// Every status report becomes a delivery-report record, whatever its status code.
void TCIMDclient::OnStatusReport(driver::ByteTransport& link, const TParamList& packet) {
    const std::string receiver = packet.valueOf("021");
    const std::string timeStamp = packet.valueOf("060");
    TGsmSms record(EpochToDateTime(clock_.Now()));
    record.type = kTypeDeliveryReport;
    record.operatorName = fields_.Get(fields::kOperator);
    record.sender = fields_.Get(fields::kSender);
    record.receiver = receiver;
    record.reference = timeStamp;
    record.text = "Message delivered to: " + receiver;
    events_.Received(record.ToText());
    Log("Status Report: [" + receiver + "][" + timeStamp + "][" + packet.valueOf("061") + "]");
    SendPacket(link, ResponsePacket(kOpStatusReportResponse, packet.value(0)));
}

// A response with another number than the submit's is still taken as its answer. One that
// comes when no submit waits for its answer (a late or repeated response) is about no message
// the driver holds: reporting it would answer the next message with another's outcome.
void TCIMDclient::OnSubmitResponse(const TParamList& packet) {
    if (submitted_.empty() || packet.value(0) != submitted_)
        Log("Unexpected submit response");
    if (submitted_.empty()) {
        Log("Submit response ignored: no message waits for it");
        return;
    }
    // The flags are cleared before the window thread hears of the outcome, so they never
    // overwrite what it sets for the next message.
    submitted_.clear();
    numbering_.setAwaited("");
    busy = false;
    const std::string error = packet.valueOf("900");
    if (!error.empty()) {
        Log(error == "5" ? "SMSCi error: No response from MC" : "Undeliverable message");
        events_.Failed();
    } else {
        Log("Message sent");
        events_.Sent(packet.valueOf("060"));
    }
}

}  // namespace nimbra::cimd
