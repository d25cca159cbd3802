#pragma once
// Tsmppclient, the SMPP 3.4 protocol client of the smpp driver: the bind, and the loop of
// the protocol thread that submits one message at a time (a long one as several short
// messages, sent when the message centre has taken every part), takes in messages, joined
// when they come in parts, and delivery receipts, answers them, keeps the link alive with
// enquire_link, pauses its submits while the centre says it is busy, gives up a link on
// which a submitted message got no answer for 20 seconds, and unbinds when it is stopped.
// Plain C++: the transport, the clock, the preference fields and the hand-over to the window
// thread come from outside.
//
// Contract with the driver frame:
// - The frame MUST call Login on a freshly connected transport and run ThreadLoop on the
//   protocol thread only when Login succeeded; at most one ThreadLoop runs at a time.
// - The frame MUST set busy before Submit and MUST NOT call Submit while busy, unless the
//   window (Window()) is above 1: then it may hand over up to that many messages, each with
//   its own message id, whose submit_sm go out without waiting for each other and whose
//   responses are matched by sequence number (1 to 0x7FFFFFFF), each with its own timeout,
//   no faster than the rate cap; the loop then waits on the socket instead of polling.
// - The client MUST report each message handed to it exactly once, by LinkEvents::MessageSent,
//   MessageFailed or MessageHandedBack with its message id, and then clear busy once nothing
//   is in flight: when its last part is accepted, on a refused or busy answer, on the submit
//   timeout, and, for whatever is still in flight, when the loop ends (a message submitted
//   without an answer fails; with a window, one not submitted yet is handed back).
// - While submits pause the client tells the engine Info("cansend", "0"), and "1" when they
//   may go again or the loop ends.
// - The client calls LinkEvents and LinkFields from the protocol thread; they MUST NOT block.
// - reconnect tells, once ThreadLoop has returned, that the link failed (keepalive, submit
//   timeout, lost connection, a broken PDU stream, an unbind from the centre) and is to be
//   rebuilt; after a failed Login, retryBind tells whether another bind may succeed.

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backoff.h"
#include "linkinterfaces.h"
#include "periodic.h"
#include "ratecap.h"
#include "unGSMSMS.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {

// Preference field names of the SMPP connection.
namespace fields {
inline constexpr std::string_view kHost = "eHost";
inline constexpr std::string_view kPort = "ePort";
inline constexpr std::string_view kUser = "eUser";
inline constexpr std::string_view kPass = "ePass";
inline constexpr std::string_view kOperator = "eOperator";
inline constexpr std::string_view kSender = "eSender";
inline constexpr std::string_view kSystemType = "eSystemType";
inline constexpr std::string_view kTransmitter = "rbTransmitter";
inline constexpr std::string_view kReceiver = "rbReceiver";
inline constexpr std::string_view kTransceiver = "rbTransceiver";
inline constexpr std::string_view kDelivery = "cbDelivery";
inline constexpr std::string_view kLog = "cbLog";
// The centre's default alphabet.
inline constexpr std::string_view kAlphabetGsm = "rbGsmAlphabet";
inline constexpr std::string_view kAlphabetLatin1 = "rbLatin1";
inline constexpr std::string_view kAlphabetCodePage = "rbCodePage";
// How a long message goes.
inline constexpr std::string_view kLongHeader = "rbLongHeader";
inline constexpr std::string_view kLongSar = "rbLongSar";
inline constexpr std::string_view kLongPayload = "rbLongPayload";
// TON and NPI of the addresses; empty: by the address's form.
inline constexpr std::string_view kSourceTon = "eSourceTon";
inline constexpr std::string_view kSourceNpi = "eSourceNpi";
inline constexpr std::string_view kDestTon = "eDestTon";
inline constexpr std::string_view kDestNpi = "eDestNpi";
// Relative validity period in minutes; empty or 0: none.
inline constexpr std::string_view kValidity = "eValidity";
// Seconds submits pause after busy answers in a row.
inline constexpr std::string_view kThrottleSteps = "eThrottleSteps";
// Messages in flight at once (1: one at a time, the designed link; up to 100), and the most
// submits a second with more than one in flight (empty or 0: no cap).
inline constexpr std::string_view kWindow = "eWindow";
inline constexpr std::string_view kRateCap = "eRateCap";
}  // namespace fields

// Seconds without any PDU, submit or check after which the link is checked; seconds after
// which a submitted message without answer fails, whatever else arrives meanwhile.
inline constexpr int kKeepaliveSeconds = 20;
inline constexpr int kSubmitTimeoutSeconds = 20;
// How long the bind response and the keepalive answer may take to arrive.
inline constexpr int kAnswerSeconds = 5;
// How long the rest of a PDU that has begun may take to arrive.
inline constexpr int kPduRestSeconds = 2;
// How long a Stop waits for the answer to its unbind.
inline constexpr int kUnbindWaitMs = 2000;
// A PDU longer than this is not a PDU but a broken stream.
inline constexpr std::uint32_t kMaxPduBytes = 64 * 1024;

// The folder below the engine's program folder where the ids of sent parts are kept; incoming
// parts wait for the rest of their message in the part store's folder (kPartsFolderName), which
// the engine clears of old parts when it starts.
inline constexpr std::string_view kPartIdsFolder = "smppids";

class Tsmppclient {
public:
    Tsmppclient(driver::LinkFields& fields, driver::LinkEvents& events, driver::LinkClock& clock);

    // The engine's program folder, for the parts of incoming messages and the ids of sent
    // parts. Without one, parts come in as messages of their own and receipts name the part.
    void SetHomeFolder(const std::filesystem::path& folder);

    // Sends the bind the connection mode asks for and reads its response. True when bound.
    // A Stop during the wait ends it at once (false, no verdict logged).
    bool Login(driver::ByteTransport& link);
    // The protocol thread's loop; returns when stop is set, the link went down or failed.
    // Whatever is still in flight then is reported failed (after a Stop, the response of a
    // submit already on its way is awaited first, up to kAnswerSeconds, unless abandon is
    // set); a link ended by Stop is unbound first.
    void ThreadLoop(driver::ByteTransport& link);

    // One PDU as hex text, or empty. Empty after one poll when no PDU has begun to arrive;
    // the rest of one that has begun is awaited up to limitSeconds. A PDU with an impossible
    // command_length, or one that does not complete in time, breaks the stream: it is
    // logged and the link closed.
    // waitMs: how long the socket is waited on for the first bytes; below 0, the designed poll
    // (a 300 ms sleep, then what has come).
    std::string ReadPdu(driver::ByteTransport& link, int limitSeconds, int waitMs = -1);
    // Polls until a PDU arrives or `seconds` pass (or stop is set, or the link goes down).
    std::string AwaitPdu(driver::ByteTransport& link, int seconds);
    // Logs the PDU at level "2" and writes it.
    void SendPdu(driver::ByteTransport& link, std::string_view hex);

    // A new link starts with an empty receive buffer.
    void ResetReceiveBuffer();
    // The message to submit (a copy of the whole record); sets pending. Window thread.
    void Submit(const TGsmSms& record);
    // Reports the message handed over by Submit (pending or submitted) failed, once, and
    // clears busy. A message only marked busy, whose Submit has not come yet, is left alone.
    // For a link that is not running; the loop does this itself when it ends.
    void FailInFlight();
    // The connection's window setting: 1 to 100.
    int Window() const;

    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> pending{false};
    std::atomic<bool> reconnect{false};
    // The driver is closing: nothing is awaited any more, results are not wanted.
    std::atomic<bool> abandon{false};
    // After a failed Login: false when the centre refused the system id or password.
    std::atomic<bool> retryBind{true};

private:
    // The parts of a message in flight, from its first submit until its outcome.
    struct Submission {
        std::string messageId;  // the engine's id of the message
        std::vector<std::string> bodies;
        std::size_t next = 0;          // the body to send next
        std::vector<std::string> ids;  // the message centre's ids of the accepted parts
        bool awaiting = false;         // a submit_sm is out without its response
        std::string sequence;          // its sequence_number, 8 hex digits
        long long sentAt = 0;
    };

    void Log(std::string_view line) { events_.Log("1", line); }
    BindMode Mode() const;
    SubmitOptions Options() const;
    // What data_coding 0 means to the centre, both ways.
    Alphabet CentreAlphabet() const;

    void Dispatch(driver::ByteTransport& link, const std::string& pdu);
    void OnDeliver(driver::ByteTransport& link, const PduParts& parts, bool dataSm);
    // The message's octets when it is whole: at once, or once its last part has come.
    std::optional<std::string> Joined(const DeliverSm& deliver);
    void OnSubmitResponse(const PduParts& parts, const std::string& messageId);
    // A loop pass with several messages in flight: submits what the window and the rate cap
    // allow, then waits on the socket for what comes.
    std::string WindowedPass(driver::ByteTransport& link, int window);
    // Fails every submit whose answer is overdue; true when any was.
    bool FailOverdue();
    void OnUnbind(driver::ByteTransport& link, const PduParts& parts);
    void SubmitNext(driver::ByteTransport& link);
    bool HasPartToSend(int window) const;
    // The submission awaiting the response with this sequence number, or null. Under
    // outgoingMutex_.
    Submission* AwaitingFor(const std::string& sequence);
    enum class Outcome { Sent, Failed, HandedBack };
    // Reports the message and forgets it.
    void Finish(Outcome outcome, const std::string& messageId, const std::string& reference = {});
    // Logs a line about one message: an event with one message in flight, traffic (level
    // "2") with many, where a line per message would flood the engine's log.
    void LogMessage(std::string_view line);
    void PauseSubmits(std::uint32_t status);
    void ResumeSubmitsWhenDue();
    void EndPause();
    void CheckLink(driver::ByteTransport& link);
    void AwaitSubmitResponse(driver::ByteTransport& link);
    void Unbind(driver::ByteTransport& link);
    void RemoveOldFiles();
    // Closes a link whose byte stream can no longer be followed.
    void BreakStream(driver::ByteTransport& link, const std::string& why);

    driver::LinkFields& fields_;
    driver::LinkEvents& events_;
    driver::LinkClock& clock_;
    SmppSequence sequence_;
    std::string buffer_;
    long long lastActivity_ = 0;
    // The link was given up here (broken stream, keepalive, submit timeout, unbind), not lost.
    bool gaveUp_ = false;
    // Submits wait until pausedUntilMs_ (forward clock) after busy answers.
    bool paused_ = false;
    long long pausedUntilMs_ = 0;
    ThrottleBackoff throttle_;
    // Numbers the parts of concatenated messages.
    std::uint16_t nextReference_;
    std::filesystem::path home_;
    driver::Periodic cleanup_{60 * 60 * 1000};
    driver::RateCap rateCap_;
    // The window of the pass under way (1 outside the loop).
    int window_ = 1;
    // Guards pending, the messages handed over and the submissions.
    mutable std::mutex outgoingMutex_;
    // Handed over by the frame, oldest first, and not submitted yet.
    std::deque<TGsmSms> queued_;
    std::vector<Submission> submissions_;
};

}  // namespace nimbra::smpp
