// The client's transport (reading and sending PDUs), the bind and the hand-over of messages.
#include "unSmpp.h"

#include <algorithm>

#include "pducoder_septets.h"
#include "smppstatus.h"

namespace nimbra::smpp {

namespace {

constexpr int kPollSleepMs = 300;
constexpr int kReadWaitMs = 10;
// With a window, the rest of a PDU that has begun is waited for at least this long a read.
constexpr int kRestWaitMs = 10;

}  // namespace

Tsmppclient::Tsmppclient(driver::LinkFields& fields, driver::LinkEvents& events,
                         driver::LinkClock& clock)
    : fields_(fields),
      events_(events),
      clock_(clock),
      nextReference_(static_cast<std::uint16_t>(clock.Now() & 0xFFFF)) {}

void Tsmppclient::SetHomeFolder(const std::filesystem::path& folder) {
    home_ = folder;
}

// A PDU already whole in the buffer is taken without the poll's sleep, so a burst of PDUs
// is not read at one per poll.
//
// With a window the socket is waited on instead: the read returns as soon as bytes come.
std::string Tsmppclient::ReadPdu(driver::ByteTransport& link, int limitSeconds, int waitMs) {
    const long long deadline = clock_.Elapsed() + limitSeconds;
    do {
        const std::size_t expected = buffer_.size() >= 4 ? ReadLength(buffer_) : 0;
        if (expected < kHeaderBytes || buffer_.size() < expected) {
            bool read = false;
            if (waitMs < 0) {
                clock_.Sleep(kPollSleepMs);
                read = link.Read(buffer_, kReadWaitMs);
            } else {
                read = link.Read(buffer_, buffer_.empty() ? waitMs : std::max(waitMs, kRestWaitMs));
            }
            if (!read)
                return {};
        }
        // Fewer than four bytes: no PDU has begun that this read has to wait for.
        if (buffer_.size() < 4)
            return {};
        const std::uint32_t length = ReadLength(buffer_);
        if (length < kHeaderBytes || length > kMaxPduBytes) {
            BreakStream(link, "Invalid PDU length " + std::to_string(length));
            return {};
        }
        if (buffer_.size() >= length) {
            std::string pdu = pdu::HexOfBytes(std::string_view(buffer_).substr(0, length));
            buffer_.erase(0, length);
            events_.Log("2", "-> " + pdu);
            return pdu;
        }
    } while (clock_.Elapsed() <= deadline);
    BreakStream(link, "Incomplete PDU (" + std::to_string(buffer_.size()) + " of " +
                          std::to_string(ReadLength(buffer_)) + " bytes)");
    return {};
}

std::string Tsmppclient::AwaitPdu(driver::ByteTransport& link, int seconds) {
    const long long deadline = clock_.Elapsed() + seconds;
    do {
        if (stop)
            return {};
        std::string pdu = ReadPdu(link, kPduRestSeconds);
        if (!pdu.empty() || !link.IsUp())
            return pdu;
    } while (clock_.Elapsed() <= deadline);
    return {};
}

void Tsmppclient::SendPdu(driver::ByteTransport& link, std::string_view hex) {
    events_.Log("2", "<- " + std::string(hex));
    link.Write(pdu::BytesOfHex(hex));
}

// After a broken length or a PDU that never completed, nothing that follows can be framed.
void Tsmppclient::BreakStream(driver::ByteTransport& link, const std::string& why) {
    Log(why + "; the link is closed");
    buffer_.clear();
    gaveUp_ = true;
    link.Close();
}

void Tsmppclient::ResetReceiveBuffer() {
    buffer_.clear();
}

void Tsmppclient::Submit(const TGsmSms& record) {
    const std::lock_guard lock(outgoingMutex_);
    TGsmSms copy;
    copy.FromText(record.ToText());
    queued_.push_back(std::move(copy));
    pending = true;
}

int Tsmppclient::Window() const {
    return driver::LinkWindow(fields_.Get(fields::kWindow));
}

// Only a message fully handed over is reported: the window thread marks busy before it
// hands the record over, and a link ending in between must not report a message it never
// had. Each goes back once: a submitted one fails (the centre may have it), one that never
// left waits for the next link when several are in flight, and fails otherwise.
void Tsmppclient::FailInFlight() {
    std::deque<TGsmSms> queued;
    std::vector<Submission> submitted;
    {
        const std::lock_guard lock(outgoingMutex_);
        queued.swap(queued_);
        submitted.swap(submissions_);
        pending = false;
    }
    if (queued.empty() && submitted.empty())
        return;
    const bool windowed = queued.size() + submitted.size() > 1 || Window() > 1;
    busy = false;
    for (const Submission& submission : submitted)
        events_.MessageFailed(submission.messageId);
    for (const TGsmSms& record : queued) {
        if (windowed)
            events_.MessageHandedBack(record.messageId);
        else
            events_.MessageFailed(record.messageId);
    }
}

BindMode Tsmppclient::Mode() const {
    if (fields_.Get(fields::kTransmitter) == "1")
        return BindMode::Transmitter;
    if (fields_.Get(fields::kReceiver) == "1")
        return BindMode::Receiver;
    return BindMode::Transceiver;
}

namespace {

std::optional<int> Number(const std::string& text) {
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

SubmitOptions Tsmppclient::Options() const {
    SubmitOptions options;
    options.alphabet = CentreAlphabet();
    if (fields_.Get(fields::kLongSar) == "1")
        options.longMessages = LongMessages::Sar;
    else if (fields_.Get(fields::kLongPayload) == "1")
        options.longMessages = LongMessages::Payload;
    options.deliveryReport = fields_.Get(fields::kDelivery) == "1";
    options.sourceTon = Number(fields_.Get(fields::kSourceTon));
    options.sourceNpi = Number(fields_.Get(fields::kSourceNpi));
    options.destTon = Number(fields_.Get(fields::kDestTon));
    options.destNpi = Number(fields_.Get(fields::kDestNpi));
    const std::string validity = fields_.Get(fields::kValidity);
    if (!validity.empty() && validity.size() <= 6 &&
        validity.find_first_not_of("0123456789") == std::string::npos)
        options.validityMinutes = std::stoi(validity);
    return options;
}

Alphabet Tsmppclient::CentreAlphabet() const {
    if (fields_.Get(fields::kAlphabetLatin1) == "1")
        return Alphabet::Latin1;
    if (fields_.Get(fields::kAlphabetCodePage) == "1")
        return Alphabet::CodePage;
    return Alphabet::Gsm;
}

// A bind the centre refused for its system id or password waits for the next start; any
// other failure may pass.
bool Tsmppclient::Login(driver::ByteTransport& link) {
    sequence_.Reset();
    sequence_.SetWide(Window() > 1);
    retryBind = true;
    SendPdu(link, BuildBind(Mode(), fields_.Get(fields::kUser), fields_.Get(fields::kPass),
                            fields_.Get(fields::kSystemType), sequence_.Next()));
    const std::string pdu = AwaitPdu(link, kAnswerSeconds);
    sequence_.Reset();
    if (stop)
        return false;
    if (pdu.empty()) {
        Log("Login failed. No response from server.");
        return false;
    }
    const PduParts parts = SplitHeader(pdu);
    if (parts.commandId == kIdGenericNack) {
        Log("Bind refused: " + StatusText(ReadHex32(parts.status)));
        return false;
    }
    const BindResp resp = ReadBindResp(pdu);
    if (!resp.isBindResp) {
        Log("Unknown response");
        return false;
    }
    if (!resp.accepted) {
        if (IsWrongLogin(resp.status)) {
            retryBind = false;
            Log("Invalid username or password: " + StatusText(resp.status));
        } else {
            Log("Bind refused: " + StatusText(resp.status));
        }
        return false;
    }
    Log(resp.systemId.empty() ? "Successful login" : "Successful login: " + resp.systemId);
    return true;
}

}  // namespace nimbra::smpp
