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

}  // namespace

void TCIMDclient::ThreadLoop(driver::ByteTransport& link) {
    lastActivity_ = clock_.Elapsed();
    const int period = KeepalivePeriod();
    const std::string_view endOfPacket(&kCr, 1);
    while (!stop && (link.IsUp() || buffer_.find(endOfPacket) != std::string::npos)) {
        const std::string text = ReadPacket(link, endOfPacket, kReadSeconds);
        if (!text.empty())
            HandlePacket(link, text);
        else if (pending && !stop && link.IsUp())
            SubmitPending(link);
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
    const std::string_view endOfPacket(&kCr, 1);
    while (!submitted_.empty() && link.IsUp() && clock_.Elapsed() <= deadline) {
        const std::string text = ReadUntil(link, endOfPacket, 1, OnStop::Continue);
        if (!text.empty())
            HandlePacket(link, text);
    }
}

// The field's period when it is a whole number of seconds in range, else the default; the
// field then shows the period in use.
int TCIMDclient::KeepalivePeriod() {
    int period = 0;
    if (!ParseInt32(fields_.Get(fields::kKeepalive), period) || period < kMinKeepalive ||
        period > kMaxKeepalive)
        period = kDefaultKeepalive;
    fields_.Set(fields::kKeepalive, std::to_string(period));
    return period;
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
    // Kept before writing: a write that fails still leaves the message to be reported.
    const std::string packet =
        numbering_.Assemble(SubmitPacket(receiver, sender, text, withOriginator));
    submitted_ = numbering_.last();
    Send(link, packet);
    lastActivity_ = clock_.Elapsed();
}

// The answer to an alive packet is only known to end with ">". Whole packets that arrived
// before it are handled as usual, so a response or a message is not swallowed by the wait.
void TCIMDclient::CheckLink(driver::ByteTransport& link) {
    lastActivity_ = clock_.Elapsed();
    Log("Checking link");
    SendPacket(link, AlivePacket());
    const std::string answer = ReadPacket(link, ">", kAliveAnswerSeconds);
    if (stop)
        return;
    if (answer.empty()) {
        Log("Keepalive failed");
        link.Close();
        return;
    }
    HandlePacketsIn(link, answer);
}

// Nothing is lost with the link: a submitted message whose response can no longer come is
// reported failed once. A message not submitted yet stays pending for the next link.
void TCIMDclient::ReportLostSubmission() {
    if (submitted_.empty())
        return;
    submitted_.clear();
    busy = false;
    Log("Link lost while waiting for the submit response");
    events_.Failed();
}

}  // namespace nimbra::cimd
