#include "unModem.h"

#include <algorithm>

#include "atlines.h"
#include "atresult.h"

namespace nimbra::handset {

namespace {

// What is kept of the answer for the result rules: a device that sends without end costs
// bounded memory and time; the newest bytes are kept.
constexpr std::size_t kMaxBuffer = 64 * 1024;
// Long waits look for an abort this often.
constexpr int kPauseStepMs = 50;

}  // namespace

TModem::TModem(ModemPort& port, ModemClock& clock, PortLog& log, const ModemTimings& timings)
    : port_(port), clock_(clock), log_(log), timings_(timings), result_(kResultNone) {}

bool TModem::OpenPort() {
    if (port_.IsOpen())
        port_.Close();
    if (!port_.Open())
        return false;
    Pause(timings_.settleMs);
    return true;
}

bool TModem::Pause(int ms) {
    const long long end = clock_.NowMs() + ms;
    for (long long now = clock_.NowMs(); now < end; now = clock_.NowMs()) {
        if (aborted_)
            return false;
        clock_.Sleep(static_cast<int>(std::min<long long>(end - now, kPauseStepMs)));
    }
    return !aborted_;
}

std::string TModem::SendATR(std::string_view command) {
    std::string bytes(command);
    bytes += '\r';
    return Exchange(bytes, autodetect_ ? timings_.autodetectTimeoutMs : timings_.commandTimeoutMs);
}

std::string TModem::SendTextR(std::string_view text) {
    return Exchange(text, timings_.textTimeoutMs);
}

std::string TModem::Exchange(std::string_view bytes, int timeoutMs) {
    if (noDevice_)
        return std::string(kResultTimeout);
    std::lock_guard command(commandMutex_);
    {
        std::lock_guard lock(mutex_);
        rxLines_.clear();
        rxBuffer_.clear();
        result_ = kResultNone;
    }
    const long long deadline = clock_.NowMs() + timeoutMs;
    log_.Line("<" + std::string(bytes));
    const std::vector<std::string> pieces = CommandPieces(bytes);
    for (std::size_t i = 0; i < pieces.size() && !aborted_; ++i) {
        if (i > 0)
            Pause(timings_.pieceDelayMs);
        // A write the port could not take is never answered: the wait ends in a timeout.
        if (!port_.Write(pieces[i]))
            break;
    }
    Pause(timings_.answerWaitMs);
    while (!aborted_ && !port_.Lost() && clock_.NowMs() < deadline) {
        if (Result() != kResultNone)
            break;
        clock_.Sleep(timings_.pollMs);
    }
    std::lock_guard lock(mutex_);
    if (result_ == kResultNone)
        result_ = kResultTimeout;
    return result_;
}

void TModem::OnReceiveData(std::string_view bytes) {
    log_.Line(">" + std::string(bytes));
    std::lock_guard lock(mutex_);
    rxBuffer_.append(bytes);
    if (rxBuffer_.size() > kMaxBuffer)
        rxBuffer_.erase(0, rxBuffer_.size() - kMaxBuffer);
    result_ = DeriveResult(rxBuffer_);
    AppendToLines(rxLines_, bytes);
}

std::vector<std::string> TModem::RxLines() const {
    std::lock_guard lock(mutex_);
    return rxLines_;
}

std::string TModem::Result() const {
    std::lock_guard lock(mutex_);
    return result_;
}

}  // namespace nimbra::handset
