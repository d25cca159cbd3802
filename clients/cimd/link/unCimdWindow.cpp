// Several messages in flight on one standard CIMD2 link: each pass submits what the window
// and the rate cap allow, then waits on the socket; responses find their submit by packet
// number.
#include <algorithm>

#include "unCimd.h"
#include "unStrings.h"

namespace nimbra::cimd {

namespace {

// How long a pass waits on the socket when nothing is to be submitted.
constexpr int kWindowWaitMs = 20;

// Packet numbers compare as numbers: "003" of a standard packet is the client's 3.
bool SamePacketNumber(const std::string& a, const std::string& b) {
    int x = 0;
    int y = 0;
    return ParseInt32(a, x) && ParseInt32(b, y) ? x == y : a == b;
}

}  // namespace

// Submits first, as many as may go now, so that the window fills in one pass; then the
// socket is waited on, no longer than until the rate cap lets the next submit go.
std::string TCIMDclient::WindowedPass(driver::ByteTransport& link) {
    rateCap_.SetRate(driver::LinkRateCap(fields_.Get(fields::kRateCap)));
    int waitMs = kWindowWaitMs;
    for (int sent = 0; !stop && link.IsUp() && sent < window_ && HasPartToSend(); ++sent) {
        const long long nowMs = clock_.ElapsedMs();
        if (!rateCap_.MayGo(nowMs)) {
            waitMs = static_cast<int>(std::min<long long>(waitMs, rateCap_.WaitMs(nowMs)));
            break;
        }
        rateCap_.Went(nowMs);
        SubmitNext(link);
    }
    return ReadWaiting(link, std::max(waitMs, 1));
}

// A later part of a message in flight goes before a message that waits for room.
bool TCIMDclient::HasPartToSend() {
    for (const Submission& submission : submissions_) {
        if (submission.number.empty() && submission.next < submission.parts.size())
            return true;
    }
    const std::lock_guard lock(outgoingMutex_);
    return !queued_.empty() && submissions_.size() < static_cast<std::size_t>(window_);
}

void TCIMDclient::SubmitNext(driver::ByteTransport& link) {
    for (Submission& submission : submissions_) {
        if (submission.number.empty() && submission.next < submission.parts.size()) {
            SendNextPart(link, submission);
            return;
        }
    }
    if (StartNextMessage())
        SendNextPart(link, submissions_.back());
}

TCIMDclient::Submission* TCIMDclient::AwaitingFor(const std::string& number) {
    for (Submission& submission : submissions_) {
        if (!submission.number.empty() && SamePacketNumber(submission.number, number))
            return &submission;
    }
    return nullptr;
}

TCIMDclient::Submission* TCIMDclient::OnlyAwaiting() {
    if (window_ > 1 || submissions_.size() != 1 || submissions_.front().number.empty())
        return nullptr;
    return &submissions_.front();
}

// With one message at a time the submit awaiting its response takes any number (the
// mismatch is logged); with a window only its own.
TCIMDclient::Submission* TCIMDclient::SubmitAnsweredBy(const std::string& number) {
    if (window_ > 1 || submissions_.size() > 1) {
        Submission* found = AwaitingFor(number);
        if (!found)
            Log("Unexpected submit response for packet number " + number +
                ": no submit in flight has it");
        return found;
    }
    Submission* awaiting = OnlyAwaiting();
    if (!awaiting || !SamePacketNumber(number, awaiting->number))
        Log("Unexpected submit response");
    if (!awaiting)
        Log("Submit response ignored: no message waits for it");
    return awaiting;
}

TCIMDclient::Submission* TCIMDclient::ErrorAnsweredBy(const std::string& number,
                                                      std::string_view line) {
    if (window_ > 1 || submissions_.size() > 1) {
        Submission* found = AwaitingFor(number);
        if (!found)
            Log(std::string(line) + " for packet number " + number +
                ": no submit in flight has it");
        return found;
    }
    Submission* awaiting = OnlyAwaiting();
    if (!awaiting)
        Log(line);
    return awaiting;
}

}  // namespace nimbra::cimd
