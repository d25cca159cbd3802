// The client's transport (reading packets, sending them), the login and the logout.
#include "unCimd.h"

namespace nimbra::cimd {

namespace {

constexpr int kPollSleepMs = 30;
constexpr int kReadWaitMs = 10;
// Received bytes kept while waiting for a packet end; more is line noise or a broken peer.
constexpr std::size_t kMaxBuffered = 64 * 1024;
// The greeting and the login answer end with this prompt.
constexpr std::string_view kPrompt = "\n>";
constexpr int kAnswerSeconds = 5;
constexpr std::string_view kLineEnd = "\r";
constexpr std::string_view kFrameEnd = "\x03";

}  // namespace

TCIMDclient::TCIMDclient(driver::LinkFields& fields, driver::LinkEvents& events,
                         driver::LinkClock& clock)
    : fields_(fields),
      events_(events),
      clock_(clock),
      // Concatenation references start where the clock says, so that a restarted driver
      // does not begin with the references it used before.
      concatenation_(static_cast<std::uint8_t>(clock.Now())) {}

void TCIMDclient::SetHomeFolder(const std::filesystem::path& folder) {
    home_ = folder;
}

std::string TCIMDclient::ReadPacket(driver::ByteTransport& link, std::string_view terminator,
                                    int seconds) {
    return ReadUntil(link, terminator, seconds, OnStop::Return);
}

std::string TCIMDclient::ReadUntil(driver::ByteTransport& link, std::string_view terminator,
                                   int seconds, OnStop onStop) {
    const long long deadline = clock_.Elapsed() + seconds;
    do {
        if (onStop == OnStop::Return && stop)
            return {};
        // Packets that came with the read that found the link closed are still taken in.
        if (buffer_.find(terminator) == std::string::npos) {
            clock_.Sleep(kPollSleepMs);
            if (onStop == OnStop::Return && stop)
                return {};
            if (!link.Read(buffer_, kReadWaitMs))
                return {};
        }
        std::string packet = TakePacket(terminator);
        if (!packet.empty())
            return packet;
    } while (clock_.Elapsed() <= deadline);
    return {};
}

std::string TCIMDclient::TakePacket(std::string_view terminator) {
    const std::size_t end = buffer_.find(terminator);
    if (end != std::string::npos) {
        std::string packet = buffer_.substr(0, end + terminator.size());
        buffer_.erase(0, packet.size());
        events_.Log("2", "-> " + Visible(packet));
        return packet;
    }
    if (buffer_.size() > kMaxBuffered) {
        Log("Received data without packet end discarded (" + std::to_string(buffer_.size()) +
            " bytes)");
        buffer_.clear();
    }
    return {};
}

// The socket is waited on, not polled: the read returns as soon as bytes come. The rest of a
// packet that has begun comes with a later pass.
std::string TCIMDclient::ReadWaiting(driver::ByteTransport& link, int waitMs) {
    const std::string_view terminator = PacketEnd();
    if (buffer_.find(terminator) == std::string::npos && !link.Read(buffer_, waitMs))
        return {};
    return TakePacket(terminator);
}

void TCIMDclient::Send(driver::ByteTransport& link, std::string_view packet) {
    const std::string frame =
        framing_ == Framing::Standard ? StandardFrame(packet) : std::string(packet);
    events_.Log("2", "<- " + Visible(frame));
    link.Write(frame);
}

void TCIMDclient::SendPacket(driver::ByteTransport& link, const TParamList& list) {
    if (list.value(0).empty())
        numbering_.SkipInUse([this](int number) { return InUse(number); });
    Send(link, numbering_.Assemble(list, framing_));
}

std::string_view TCIMDclient::PacketEnd() const {
    return framing_ == Framing::Standard ? kFrameEnd : kLineEnd;
}

void TCIMDclient::ResetReceiveBuffer() {
    buffer_.clear();
}

void TCIMDclient::Submit(std::string sender, std::string receiver, std::string text,
                         std::string messageId) {
    {
        const std::lock_guard lock(outgoingMutex_);
        queued_.push_back(
            {std::move(messageId), std::move(sender), std::move(receiver), std::move(text)});
        pending = true;
    }
}

int TCIMDclient::Window() const {
    return fields_.Get(fields::kPlain) == "0" ? driver::LinkWindow(fields_.Get(fields::kWindow))
                                              : 1;
}

// A Stop during the login ends it at once, without a verdict. The line variant waits for
// the centre's greeting and prompt before it sends the login; a standard centre expects the
// login at once and may or may not greet first (a greeting line is passed over).
bool TCIMDclient::Login(driver::ByteTransport& link) {
    framing_ = fields_.Get(fields::kPlain) == "0" ? Framing::Standard : Framing::Line;
    if (fields_.Get(fields::kSkipLogin) == "1") {
        Log("Successful login (virtual login)");
        return true;
    }
    std::string answer;
    const bool standard = framing_ == Framing::Standard;
    if (standard || !ReadUntil(link, kPrompt, kAnswerSeconds, OnStop::Return).empty()) {
        numbering_.Restart();
        SendPacket(link, LoginPacket(fields_.Get(fields::kUser), fields_.Get(fields::kPass)));
        answer = ReadUntil(link, standard ? PacketEnd() : kPrompt, kAnswerSeconds, OnStop::Return);
    }
    if (stop)
        return false;
    if (answer.empty()) {
        Log("Login failed. No response from server.");
        return false;
    }

    TParamList packet;
    if (standard)
        ParseFrame(answer, packet);
    else
        Parse(answer, packet);
    const std::string code = packet.name(0);
    const std::string error = packet.valueOf("900");
    if (code == kOpLoginResponse && error.empty()) {
        Log("Successful login");
        return true;
    }
    if (code == kOpLoginResponse && error == "102") {
        Log("Login failed. Too many users with this login id.");
        Logout(link);
        link.Close();
    } else if (code == kOpLoginResponse || code == kOpNack) {
        Log("Login failed. Incorrect username or password.");
    } else {
        Log("Login failed. Unexpected result code: " + code);
    }
    return false;
}

// The driver logs out after the protocol thread was asked to stop, so this does not heed stop.
void TCIMDclient::Logout(driver::ByteTransport& link) {
    if (!link.IsUp())
        return;
    SendPacket(link, LogoutPacket());
    ReadUntil(link, PacketEnd(), kAnswerSeconds, OnStop::Continue);
}

}  // namespace nimbra::cimd
