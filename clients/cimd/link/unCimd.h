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
// - The frame MUST set busy before Submit and MUST NOT call Submit while busy.
// - The client MUST report each submitted message exactly once, by LinkEvents::Sent or
//   LinkEvents::Failed, and then clear busy; a message not yet submitted stays pending (and
//   busy) across links.
// - The client calls LinkEvents and LinkFields from the protocol thread; they MUST NOT block.
// - Logout MUST NOT overlap ThreadLoop on the same transport: set stop, wait for ThreadLoop
//   to return (it does within one poll of the transport), then call Logout.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "linkinterfaces.h"
#include "periodic.h"
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

    // The message to submit; sets pending. Called by the frame on the window thread.
    void Submit(std::string sender, std::string receiver, std::string text);

    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> pending{false};
    // The link is to be logged out when the loop ends: a submit response on its way is
    // awaited first. Set by the frame before stop.
    std::atomic<bool> logoutRequested{false};

private:
    enum class OnStop { Return, Continue };
    std::string ReadUntil(driver::ByteTransport& link, std::string_view terminator, int seconds,
                          OnStop onStop);
    // Assembles (numbering it when it has no number yet) and sends.
    void SendPacket(driver::ByteTransport& link, const TParamList& list);
    void Log(std::string_view line) { events_.Log("1", line); }

    // The end of a received packet: CR in the line variant, ETX in the standard one.
    std::string_view PacketEnd() const;
    int KeepalivePeriod();
    int ResponseTimeout();
    void CheckResponseTime(driver::ByteTransport& link, int timeout);
    void SubmitPending(driver::ByteTransport& link);
    void SendNextPart(driver::ByteTransport& link);
    // Ends the message in flight as failed: logs line (when not empty) and reports it.
    void FailMessage(std::string_view line);
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
    void OnErrorResponse(std::string_view line);
    void ReportLostSubmission();
    void AwaitSubmitResponse(driver::ByteTransport& link);

    driver::LinkFields& fields_;
    driver::LinkEvents& events_;
    driver::LinkClock& clock_;
    CimdNumbering numbering_;
    Framing framing_ = Framing::Line;
    std::string buffer_;
    long long lastActivity_ = 0;
    // Number of the submit packet whose response is awaited; empty when none is. Other
    // packets sent meanwhile (alive, responses) do not change it.
    std::string submitted_;
    long long submittedAt_ = 0;
    // The submit packets of the message in flight (more than one for a concatenated
    // message, sent one after the other), the next one to send, and the centre's reference
    // of the first, which becomes the message's reference.
    std::vector<TParamList> parts_;
    std::size_t nextPart_ = 0;
    std::string firstReference_;
    std::string partsReceiver_;
    // The reference of the last concatenated message.
    std::uint8_t concatenation_;
    std::filesystem::path home_;
    driver::Periodic cleanup_{60 * 60 * 1000};
    std::mutex outgoingMutex_;
    std::string outSender_;
    std::string outReceiver_;
    std::string outText_;
};

}  // namespace nimbra::cimd
