#pragma once
// TModem, the AT command engine: it writes a command to the port, collects what the device
// answers into lines, derives the final result as the bytes arrive and waits for it with a
// timeout. One command is outstanding at a time (commands from several threads take turns).
// The receive handler runs on the port's thread; the waiting thread looks at the result every
// few milliseconds. Abort ends every wait at once (the driver is closing or gives up).

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "modemport.h"
#include "timings.h"

namespace nimbra::handset {

class TModem {
public:
    TModem(ModemPort& port, ModemClock& clock, PortLog& log, const ModemTimings& timings);
    virtual ~TModem() = default;
    TModem(const TModem&) = delete;
    TModem& operator=(const TModem&) = delete;

    // Opens the port with its settings and gives the device the settle time. False when the
    // port cannot be opened.
    bool OpenPort();
    // Writes command + CR and waits for the final result: "OK", "ERROR", "CMSERROR", "LINE"
    // or "TIMEOUT".
    std::string SendATR(std::string_view command);
    // Writes text as it is (the caller adds Ctrl-Z or CR) and waits for the final result.
    std::string SendTextR(std::string_view text);
    // The receive handler: bytes as they come from the port, in order; any thread.
    void OnReceiveData(std::string_view bytes);

    // The answer of the last command as lines (the last one may still be growing).
    std::vector<std::string> RxLines() const;
    std::string Result() const;

    // Commands wait 15 s; during device autodetection 4 s.
    void SetAutodetectTimeout(bool autodetect) { autodetect_ = autodetect; }
    void Abort() { aborted_ = true; }
    void ClearAbort() { aborted_ = false; }
    bool Aborted() const { return aborted_; }
    // Waits ms; false when an abort ended the wait early.
    bool Pause(int ms);

    // Phones without a device (the test and the file phone): every command gives "TIMEOUT"
    // at once and nothing is written.
    void SetNoDevice() { noDevice_ = true; }

    ModemPort& port() { return port_; }
    ModemClock& clock() { return clock_; }
    const ModemTimings& timings() const { return timings_; }

private:
    std::string Exchange(std::string_view bytes, int timeoutMs);

    ModemPort& port_;
    ModemClock& clock_;
    PortLog& log_;
    const ModemTimings timings_;
    std::atomic<bool> autodetect_ = false;
    std::atomic<bool> aborted_ = false;
    bool noDevice_ = false;

    std::mutex commandMutex_;
    mutable std::mutex mutex_;
    std::vector<std::string> rxLines_;
    std::string rxBuffer_;
    std::string result_;
};

}  // namespace nimbra::handset
