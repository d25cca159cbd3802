// The protocol thread's loop: read, submit when the line is quiet, keep the link alive.
#include "unCimd.h"
#include "unStrings.h"

namespace nimbra::cimd {

namespace {

constexpr int kReadSeconds = 2;
constexpr int kAliveAnswerSeconds = 5;
constexpr int kDefaultKeepalive = 300;
constexpr int kMinKeepalive = 3;
constexpr int kMaxKeepalive = 10000;
constexpr int kMinResponseTimeout = 1;
constexpr int kMaxResponseTimeout = 3600;

// The field's whole number of seconds when it lies in [min, max], else fallback; the field
// then shows the value in use.
int SecondsField(driver::LinkFields& fields, std::string_view name, int min, int max,
                 int fallback) {
    int seconds = 0;
    if (!ParseInt32(fields.Get(name), seconds) || seconds < min || seconds > max)
        seconds = fallback;
    fields.Set(name, std::to_string(seconds));
    return seconds;
}

}  // namespace

void TCIMDclient::ThreadLoop(driver::ByteTransport& link) {
    lastActivity_ = clock_.Elapsed();
    const int period = KeepalivePeriod();
    const int responseTimeout = ResponseTimeout();
    const std::string_view endOfPacket = PacketEnd();
    while (!stop && (link.IsUp() || buffer_.find(endOfPacket) != std::string::npos)) {
        RemoveOldPartReferences();
        const std::string text = ReadPacket(link, endOfPacket, kReadSeconds);
        if (!text.empty())
            HandlePacket(link, text);
        else if (pending && !stop && link.IsUp())
            SubmitPending(link);
        CheckResponseTime(link, responseTimeout);
        if (!stop && link.IsUp() && clock_.Elapsed() - period > lastActivity_)
            CheckLink(link);
    }
    if (logoutRequested)
        AwaitSubmitResponse(link);
    ReportLostSubmission();
}

// Before a logout, the response to a submit already on its way is still taken in: failing
// that message would send it a second time.
void TCIMDclient::AwaitSubmitResponse(driver::ByteTransport& link) {
    const long long deadline = clock_.Elapsed() + kAliveAnswerSeconds;
    const std::string_view endOfPacket = PacketEnd();
    while (!submitted_.empty() && link.IsUp() && clock_.Elapsed() <= deadline) {
        const std::string text = ReadUntil(link, endOfPacket, 1, OnStop::Continue);
        if (!text.empty())
            HandlePacket(link, text);
    }
}

int TCIMDclient::KeepalivePeriod() {
    return SecondsField(fields_, fields::kKeepalive, kMinKeepalive, kMaxKeepalive,
                        kDefaultKeepalive);
}

int TCIMDclient::ResponseTimeout() {
    return SecondsField(fields_, fields::kResponseTimeout, kMinResponseTimeout, kMaxResponseTimeout,
                        kDefaultResponseTimeout);
}

// A centre that never answers a submit would keep its message, and the link, busy for
// ever: the message fails for another try and the link is rebuilt.
void TCIMDclient::CheckResponseTime(driver::ByteTransport& link, int timeout) {
    if (submitted_.empty() || clock_.Elapsed() - submittedAt_ < timeout)
        return;
    FailMessage("No response to the submit within " + std::to_string(timeout) + " seconds");
    link.Close();
}

void TCIMDclient::SubmitPending(driver::ByteTransport& link) {
    pending = false;
    std::string sender, receiver, text;
    {
        const std::lock_guard lock(outgoingMutex_);
        sender = outSender_;
        receiver = outReceiver_;
        text = outText_;
    }
    Log("Outgoing message [" + receiver + "][" + text + "]");
    const bool withOriginator = fields_.Get(fields::kOriginator) == "1";
    parts_.clear();
    if (framing_ == Framing::Standard) {
        for (const UserData& data : EncodeMessage(text, ++concatenation_))
            parts_.push_back(SubmitPacket(receiver, sender, data, withOriginator));
    } else {
        parts_.push_back(SubmitPacket(receiver, sender, text, withOriginator));
    }
    nextPart_ = 0;
    firstReference_.clear();
    partsReceiver_ = receiver;
    if (parts_.empty()) {
        FailMessage("Message too long: it would take more than 255 parts");
        return;
    }
    SendNextPart(link);
}

void TCIMDclient::SendNextPart(driver::ByteTransport& link) {
    // Kept before writing: a write that fails still leaves the message to be reported.
    const std::string packet = numbering_.Assemble(parts_.at(nextPart_++), framing_);
    submitted_ = numbering_.last();
    submittedAt_ = clock_.Elapsed();
    Send(link, packet);
    lastActivity_ = clock_.Elapsed();
}

// The flags are cleared before the window thread hears of the outcome, so they never
// overwrite what it sets for the next message.
void TCIMDclient::FailMessage(std::string_view line) {
    submitted_.clear();
    numbering_.setAwaited("");
    parts_.clear();
    busy = false;
    if (!line.empty())
        Log(line);
    events_.Failed();
}

// In the line variant the answer to an alive packet is only known to end with ">"; whole
// packets that arrived before it are handled as usual, so a response or a message is not
// swallowed by the wait. A standard centre answers with an alive response; any packet
// shows the link alive.
void TCIMDclient::CheckLink(driver::ByteTransport& link) {
    lastActivity_ = clock_.Elapsed();
    Log("Checking link");
    SendPacket(link, AlivePacket());
    const bool standard = framing_ == Framing::Standard;
    const std::string answer = ReadPacket(link, standard ? PacketEnd() : ">", kAliveAnswerSeconds);
    if (stop)
        return;
    if (answer.empty()) {
        Log("Keepalive failed");
        link.Close();
        return;
    }
    if (standard)
        HandlePacket(link, answer);
    else
        HandlePacketsIn(link, answer);
}

// Nothing is lost with the link: a submitted message whose response can no longer come is
// reported failed once. A message not submitted yet stays pending for the next link.
void TCIMDclient::ReportLostSubmission() {
    if (!submitted_.empty())
        FailMessage("Link lost while waiting for the submit response");
}

}  // namespace nimbra::cimd
