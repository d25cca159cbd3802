// The protocol thread's loop: read, submit when the line is quiet, keep the link alive.
#include <algorithm>

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
        window_ = LinkWindow();
        if (window_ > 1) {
            const std::string text = WindowedPass(link);
            if (!text.empty())
                HandlePacket(link, text);
        } else {
            const std::string text = ReadPacket(link, endOfPacket, kReadSeconds);
            if (!text.empty())
                HandlePacket(link, text);
            else if (pending && submissions_.empty() && !stop && link.IsUp())
                SubmitPending(link);
        }
        CheckResponseTime(link, responseTimeout);
        if (!stop && link.IsUp() && clock_.Elapsed() - period > lastActivity_)
            CheckLink(link);
    }
    if (logoutRequested)
        AwaitSubmitResponse(link);
    ReportLostSubmission();
    window_ = 1;
}

// Before a logout, the responses to submits already on their way are still taken in: failing
// those messages would send them a second time.
void TCIMDclient::AwaitSubmitResponse(driver::ByteTransport& link) {
    const long long deadline = clock_.Elapsed() + kAliveAnswerSeconds;
    const std::string_view endOfPacket = PacketEnd();
    while (AnyAwaiting() && link.IsUp() && clock_.Elapsed() <= deadline) {
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

int TCIMDclient::LinkWindow() {
    const int setting = driver::LinkWindow(fields_.Get(fields::kWindow));
    if (framing_ == Framing::Standard)
        return setting;
    if (setting > 1 && setting != lineWindowNoted_) {
        lineWindowNoted_ = setting;
        Log("Messages in flight: 1, not " + std::to_string(setting) +
            ": the line variant cannot tell its responses apart (standard CIMD2 can)");
    }
    return 1;
}

// A centre that never answers a submit would keep its message, and the link, busy for
// ever: the message fails for another try and the link is rebuilt.
void TCIMDclient::CheckResponseTime(driver::ByteTransport& link, int timeout) {
    bool overdue = false;
    for (std::size_t i = 0; i < submissions_.size();) {
        Submission& submission = submissions_[i];
        if (!submission.number.empty() && clock_.Elapsed() - submission.sentAt >= timeout) {
            FailMessage(submission,
                        "No response to the submit within " + std::to_string(timeout) + " seconds");
            overdue = true;
        } else {
            ++i;
        }
    }
    if (overdue)
        link.Close();
}

void TCIMDclient::SubmitPending(driver::ByteTransport& link) {
    if (StartNextMessage())
        SendNextPart(link, submissions_.back());
}

bool TCIMDclient::StartNextMessage() {
    Outgoing message;
    {
        const std::lock_guard lock(outgoingMutex_);
        if (queued_.empty()) {
            pending = false;
            return false;
        }
        message = std::move(queued_.front());
        queued_.pop_front();
        pending = !queued_.empty();
    }
    LogMessage("Outgoing message [" + message.receiver + "][" + message.text + "]");
    const bool withOriginator = fields_.Get(fields::kOriginator) == "1";
    Submission submission;
    submission.messageId = message.messageId;
    submission.receiver = message.receiver;
    if (framing_ == Framing::Standard) {
        for (const UserData& data : EncodeMessage(message.text, ++concatenation_))
            submission.parts.push_back(
                SubmitPacket(message.receiver, message.sender, data, withOriginator));
    } else {
        submission.parts.push_back(
            SubmitPacket(message.receiver, message.sender, message.text, withOriginator));
    }
    submissions_.push_back(std::move(submission));
    if (submissions_.back().parts.empty()) {
        FailMessage(submissions_.back(), "Message too long: it would take more than 255 parts");
        return false;
    }
    return true;
}

void TCIMDclient::SendNextPart(driver::ByteTransport& link, Submission& submission) {
    numbering_.SkipInUse([this](int number) { return InUse(number); });
    // Kept before writing: a write that fails still leaves the message to be reported.
    const std::string packet =
        numbering_.Assemble(submission.parts.at(submission.next++), framing_);
    submission.number = numbering_.last();
    submission.sentAt = clock_.Elapsed();
    Send(link, packet);
    lastActivity_ = clock_.Elapsed();
}

bool TCIMDclient::InUse(int number) const {
    return std::any_of(submissions_.begin(), submissions_.end(), [number](const Submission& s) {
        int own = -1;
        return !s.number.empty() && ParseInt32(s.number, own) && own == number;
    });
}

bool TCIMDclient::AnyAwaiting() const {
    return std::any_of(submissions_.begin(), submissions_.end(),
                       [](const Submission& s) { return !s.number.empty(); });
}

// busy is cleared before the window thread hears of the outcome, so it never overwrites what
// the frame sets for the next message.
void TCIMDclient::Finish(Submission& submission, Outcome outcome, std::string reference) {
    const std::string messageId = submission.messageId;
    submissions_.erase(submissions_.begin() + (&submission - submissions_.data()));
    if (submissions_.empty())
        numbering_.setAwaited("");
    {
        const std::lock_guard lock(outgoingMutex_);
        if (submissions_.empty() && queued_.empty())
            busy = false;
    }
    if (outcome == Outcome::Sent)
        events_.MessageSent(messageId, std::move(reference));
    else
        events_.MessageFailed(messageId);
}

void TCIMDclient::FailMessage(Submission& submission, std::string_view line) {
    if (!line.empty())
        Log(line);
    Finish(submission, Outcome::Failed);
}

void TCIMDclient::LogMessage(std::string_view line) {
    events_.Log(window_ > 1 ? "2" : "1", line);
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
// reported failed once (the centre may have it and get it again). With one message at a
// time, a message not submitted yet stays pending for the next link; with a window, the
// messages not submitted go back to the engine untried.
void TCIMDclient::ReportLostSubmission() {
    std::deque<Outgoing> handedBack;
    {
        const std::lock_guard lock(outgoingMutex_);
        if (window_ > 1 || queued_.size() > 1) {
            handedBack.swap(queued_);
            pending = false;
        }
    }
    if (submissions_.size() == 1) {
        FailMessage(submissions_.front(), "Link lost while waiting for the submit response");
    } else if (!submissions_.empty()) {
        Log("Link lost while waiting for the submit responses of " +
            std::to_string(submissions_.size()) + " messages");
        while (!submissions_.empty())
            FailMessage(submissions_.front(), {});
    }
    if (handedBack.empty())
        return;
    {
        const std::lock_guard lock(outgoingMutex_);
        if (queued_.empty())
            busy = false;
    }
    Log(std::to_string(handedBack.size()) + " messages not submitted go back to the engine");
    for (const Outgoing& message : handedBack)
        events_.MessageHandedBack(message.messageId);
}

}  // namespace nimbra::cimd
