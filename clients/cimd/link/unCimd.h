#pragma once
// TCIMDclient, the CIMD2 protocol client of the cimd driver: the login exchange, the logout,
// and the loop of the protocol thread that submits one message at a time, takes in messages
// and status reports, answers them and keeps the link alive. Plain C++: the transport, the
// clock, the preference fields and the hand-over to the window thread come from outside.
//
// It speaks one of two variants, chosen by cbStx when it logs in: the line variant (cbStx
// on) with its ">" prompts, CR LF packet ends and its own character combinations, or
// standard CIMD2 (cbStx off) as message centres speak it: framed packets with checksums,
// the login sent at once, the GSM alphabet's combinations, UCS-2 and 8-bit user data.
//
// Contract with the driver frame:
// - The frame MUST call Login on a freshly connected transport and run ThreadLoop on the
//   protocol thread only when Login succeeded; at most one ThreadLoop runs at a time.
// - The frame MUST set busy before Submit and MUST NOT call Submit while busy, unless the
//   window (Window()) is above 1: then it may hand over up to that many messages, each with
//   its own message id. Only standard CIMD2 has a window: its submits go out without
//   waiting for each other, no faster than the rate cap, each under a packet number no
//   other packet in flight holds, and their responses are matched by packet number, each
//   submit with its own response timeout; the loop then waits on the socket instead of
//   polling. The line variant takes one message at a time whatever the setting says.
// - The client MUST report each submitted message exactly once, by LinkEvents::MessageSent
//   or LinkEvents::MessageFailed with its message id, and clear busy once nothing is in
//   flight. With one message at a time, a message not yet submitted stays pending (and busy)
//   across links; with a window, one not submitted when the link ends is handed back
//   (LinkEvents::MessageHandedBack), and every submitted one without a response fails.
// - The client calls LinkEvents and LinkFields from the protocol thread; they MUST NOT block.
// - Logout MUST NOT overlap ThreadLoop on the same transport: set stop, wait for ThreadLoop
//   to return (it does within one poll of the transport), then call Logout.

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "linkinterfaces.h"
#include "periodic.h"
#include "ratecap.h"
#include "unCimdCodec.h"

namespace nimbra::cimd {

// Preference field names of the CIMD2 connection and their defaults.
namespace fields {
inline constexpr std::string_view kHost = "eHost";
inline constexpr std::string_view kPort = "ePort";
inline constexpr std::string_view kUser = "eUser";
inline constexpr std::string_view kPass = "ePass";
inline constexpr std::string_view kOperator = "eOperator";
inline constexpr std::string_view kSender = "eSender";
inline constexpr std::string_view kSourceIp = "eSourceIP";
inline constexpr std::string_view kSourcePort = "eSourcePort";
inline constexpr std::string_view kSkipLogin = "cbLogin";
inline constexpr std::string_view kPlain = "cbStx";
inline constexpr std::string_view kKeepalive = "eKeepalive";
inline constexpr std::string_view kOriginator = "cbOriginator";
inline constexpr std::string_view kLog = "cbLog";
inline constexpr std::string_view kResponseTimeout = "eResponseTimeout";
// Messages in flight at once in standard CIMD2 (1: one at a time, the designed link; up to
// 100), and the most submits a second with more than one in flight (0: no cap).
inline constexpr std::string_view kWindow = "eWindow";
inline constexpr std::string_view kRateCap = "eRateCap";
}  // namespace fields

// Seconds a submit waits for its response when the field holds no usable value.
inline constexpr int kDefaultResponseTimeout = 60;

// The folder below the engine's program folder where the references of the later parts of
// long messages are kept, for the status reports that name them.
inline constexpr std::string_view kPartIdsFolder = "cimdids";

class TCIMDclient {
public:
    TCIMDclient(driver::LinkFields& fields, driver::LinkEvents& events, driver::LinkClock& clock);

    // The engine's program folder, for the references of sent parts. Without one, a status
    // report about a later part of a long message names that part.
    void SetHomeFolder(const std::filesystem::path& folder);

    // Runs the login exchange on a connected transport (or only logs the virtual login when
    // the login sequence is skipped). True when logged in. Runs whether or not stop is set.
    bool Login(driver::ByteTransport& link);
    // Sends the logout packet and waits up to 5 s for its answer, when the link is up. Runs
    // whether or not stop is set.
    void Logout(driver::ByteTransport& link);
    // The protocol thread's loop; returns when stop is set or the link is down. A submitted
    // message still waiting for its response then is reported failed. A submit left without
    // response for eResponseTimeout seconds fails its message and closes the link.
    void ThreadLoop(driver::ByteTransport& link);

    // Reads until the receive buffer holds `terminator`, or `seconds` have passed; returns
    // the packet up to and including the terminator, or empty. Empty at once when stop is set.
    std::string ReadPacket(driver::ByteTransport& link, std::string_view terminator, int seconds);
    // Frames the packet text (standard variant), logs it and writes it.
    void Send(driver::ByteTransport& link, std::string_view packet);

    // A new link starts with an empty receive buffer.
    void ResetReceiveBuffer();

    // A message to submit, with the engine's id of it; sets pending. Called by the frame on
    // the window thread.
    void Submit(std::string sender, std::string receiver, std::string text,
                std::string messageId = {});
    // The messages the link takes at once: the window setting (1 to 100) in standard CIMD2,
    // 1 in the line variant. Safe from any thread.
    int Window() const;

    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> pending{false};
    // The link is to be logged out when the loop ends: a submit response on its way is
    // awaited first. Set by the frame before stop.
    std::atomic<bool> logoutRequested{false};

private:
    enum class OnStop { Return, Continue };
    // A message handed over by the frame and not submitted yet.
    struct Outgoing {
        std::string messageId;
        std::string sender;
        std::string receiver;
        std::string text;
    };
    // A message being submitted: its submit packets (more than one for a concatenated
    // message, sent one after the other), the next one to send, and the centre's reference
    // of the first, which becomes the message's reference.
    struct Submission {
        std::string messageId;
        std::string receiver;
        std::vector<TParamList> parts;
        std::size_t next = 0;
        std::string firstReference;
        // Number of the part whose response is awaited; empty when none is. Other packets
        // sent meanwhile (alive, responses) never take it.
        std::string number;
        long long sentAt = 0;
    };
    enum class Outcome { Sent, Failed };

    std::string ReadUntil(driver::ByteTransport& link, std::string_view terminator, int seconds,
                          OnStop onStop);
    // The first whole packet in the receive buffer, taken out of it; empty when there is none.
    std::string TakePacket(std::string_view terminator);
    // A packet when one is whole after at most one read that waits up to waitMs.
    std::string ReadWaiting(driver::ByteTransport& link, int waitMs);
    // Assembles (numbering it when it has no number yet) and sends.
    void SendPacket(driver::ByteTransport& link, const TParamList& list);
    void Log(std::string_view line) { events_.Log("1", line); }
    // A line about one message: an event with one message at a time, traffic (level "2")
    // with a window, where a line per message would flood the engine's log.
    void LogMessage(std::string_view line);

    // The end of a received packet: CR in the line variant, ETX in the standard one.
    std::string_view PacketEnd() const;
    int KeepalivePeriod();
    int ResponseTimeout();
    // The window of the link in use: the setting in standard CIMD2, else 1 (logged once).
    int LinkWindow();
    void CheckResponseTime(driver::ByteTransport& link, int timeout);
    void SubmitPending(driver::ByteTransport& link);
    // Takes the oldest message handed over and builds its submits; false when none waits or
    // it cannot be built (it failed then).
    bool StartNextMessage();
    void SendNextPart(driver::ByteTransport& link, Submission& submission);
    // A loop pass with a window: submits what the window and the rate cap allow, then waits
    // on the socket for a packet.
    std::string WindowedPass(driver::ByteTransport& link);
    bool HasPartToSend();
    void SubmitNext(driver::ByteTransport& link);
    bool InUse(int number) const;
    bool AnyAwaiting() const;
    // The submission awaiting the response with this packet number, or null.
    Submission* AwaitingFor(const std::string& number);
    // The one submission, when it awaits its response, with one message at a time; else null.
    Submission* OnlyAwaiting();
    // The submission a submit response, or an error response (logged as line), with this
    // number answers; null, logged, when there is none.
    Submission* SubmitAnsweredBy(const std::string& number);
    Submission* ErrorAnsweredBy(const std::string& number, std::string_view line);
    // Reports the message, forgets it and clears busy when nothing else is in flight.
    void Finish(Submission& submission, Outcome outcome, std::string reference = {});
    // Ends the message as failed: logs line (when not empty) and reports it.
    void FailMessage(Submission& submission, std::string_view line);
    // The reference of the message the part sent to receiver under partReference belongs to
    // (itself for a first part).
    std::string MessageReference(const std::string& receiver,
                                 const std::string& partReference) const;
    void RemoveOldPartReferences();
    void CheckLink(driver::ByteTransport& link);
    void HandlePacket(driver::ByteTransport& link, std::string_view text);
    void HandlePacketsIn(driver::ByteTransport& link, std::string_view text);
    void OnDeliver(driver::ByteTransport& link, const TParamList& packet);
    void OnStatusReport(driver::ByteTransport& link, const TParamList& packet);
    void OnSubmitResponse(driver::ByteTransport& link, const TParamList& packet);
    void OnErrorResponse(const TParamList& packet, std::string_view line);
    void ReportLostSubmission();
    void AwaitSubmitResponse(driver::ByteTransport& link);

    driver::LinkFields& fields_;
    driver::LinkEvents& events_;
    driver::LinkClock& clock_;
    CimdNumbering numbering_;
    Framing framing_ = Framing::Line;
    std::string buffer_;
    long long lastActivity_ = 0;
    // The messages being submitted, oldest first; at most the window. Protocol thread only.
    std::vector<Submission> submissions_;
    // The window of the pass under way (1 outside the loop).
    int window_ = 1;
    // The window setting the line variant last logged that it does not use.
    int lineWindowNoted_ = 1;
    driver::RateCap rateCap_;
    // The reference of the last concatenated message.
    std::uint8_t concatenation_;
    std::filesystem::path home_;
    driver::Periodic cleanup_{60 * 60 * 1000};
    // Guards the messages handed over.
    std::mutex outgoingMutex_;
    std::deque<Outgoing> queued_;
};

}  // namespace nimbra::cimd
