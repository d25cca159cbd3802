#pragma once
// Tsmppclient, the SMPP 3.4 protocol client of the smpp driver: the bind, and the loop of
// the protocol thread that submits one message at a time, takes in messages and delivery
// receipts, answers them, keeps the link alive with enquire_link and gives up a link on
// which a submitted message got no answer for 20 seconds. Plain C++: the transport, the
// clock, the preference fields and the hand-over to the window thread come from outside.
//
// Contract with the driver frame:
// - The frame MUST call Login on a freshly connected transport and run ThreadLoop on the
//   protocol thread only when Login succeeded; at most one ThreadLoop runs at a time.
// - The frame MUST set busy before Submit and MUST NOT call Submit while busy.
// - The client MUST report each message handed to it exactly once, by LinkEvents::Sent or
//   LinkEvents::Failed, and then clear busy: on its submit_sm_resp, on a refused submit, on
//   the submit timeout, and, for whatever is still in flight, when the loop ends.
// - The client calls LinkEvents and LinkFields from the protocol thread; they MUST NOT block.
// - reconnect tells, once ThreadLoop has returned, that the link failed (keepalive, submit
//   timeout, lost connection, a broken PDU stream) and is to be rebuilt.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "linkinterfaces.h"
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
}  // namespace fields

// Seconds without any PDU, submit or check after which the link is checked; seconds after
// which a submitted message without answer fails, whatever else arrives meanwhile.
inline constexpr int kKeepaliveSeconds = 20;
inline constexpr int kSubmitTimeoutSeconds = 20;
// How long the bind response and the keepalive answer may take to arrive.
inline constexpr int kAnswerSeconds = 5;
// How long the rest of a PDU that has begun may take to arrive.
inline constexpr int kPduRestSeconds = 2;
// A PDU longer than this is not a PDU but a broken stream.
inline constexpr std::uint32_t kMaxPduBytes = 64 * 1024;

class Tsmppclient {
public:
    Tsmppclient(driver::LinkFields& fields, driver::LinkEvents& events, driver::LinkClock& clock);

    // Sends the bind the connection mode asks for and reads its response. True when bound.
    // A Stop during the wait ends it at once (false, no verdict logged).
    bool Login(driver::ByteTransport& link);
    // The protocol thread's loop; returns when stop is set, the link went down or failed.
    // Whatever is still in flight then is reported failed (after a Stop, the response of a
    // submit already on its way is awaited first, up to kAnswerSeconds, unless abandon is
    // set).
    void ThreadLoop(driver::ByteTransport& link);

    // One PDU as hex text, or empty. Empty after one poll when no PDU has begun to arrive;
    // the rest of one that has begun is awaited up to limitSeconds. A PDU with an impossible
    // command_length, or one that does not complete in time, breaks the stream: it is
    // logged and the link closed.
    std::string ReadPdu(driver::ByteTransport& link, int limitSeconds);
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

    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> pending{false};
    std::atomic<bool> reconnect{false};
    // The driver is closing: nothing is awaited any more, results are not wanted.
    std::atomic<bool> abandon{false};

private:
    void Log(std::string_view line) { events_.Log("1", line); }
    BindMode Mode() const;

    void Dispatch(driver::ByteTransport& link, const std::string& pdu);
    void OnDeliver(driver::ByteTransport& link, const PduParts& parts);
    void OnSubmitResponse(const std::string& pdu);
    void SubmitPending(driver::ByteTransport& link);
    void CheckLink(driver::ByteTransport& link);
    void AwaitSubmitResponse(driver::ByteTransport& link);
    // Closes a link whose byte stream can no longer be followed.
    void BreakStream(driver::ByteTransport& link, const std::string& why);

    driver::LinkFields& fields_;
    driver::LinkEvents& events_;
    driver::LinkClock& clock_;
    SmppSequence sequence_;
    std::string buffer_;
    long long lastActivity_ = 0;
    // A submit_sm went out (at submittedAt_) and its response has not come yet. Guarded by
    // outgoingMutex_ together with pending and the outgoing record.
    bool submitted_ = false;
    long long submittedAt_ = 0;
    // The link was given up here (broken stream, keepalive, submit timeout), not lost.
    bool gaveUp_ = false;
    std::mutex outgoingMutex_;
    TGsmSms outgoing_;
};

}  // namespace nimbra::smpp
