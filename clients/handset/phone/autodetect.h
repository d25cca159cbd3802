#pragma once
// Finding out which device sits on a port: the speed it answers at, who it says it is, and
// whether (and in which format) it handles short messages. Runs on a bare modem, never the
// phone manager, with the short autodetection timeout; the window shows the progress and the
// messages. Plain C++.

#include <array>
#include <string>

#include "atanswers.h"
#include "unModem.h"

namespace nimbra::handset {

// The speeds tried, fastest first (14400 and those below 9600 are not).
inline constexpr std::array<int, 6> kAutodetectSpeeds = {115200, 57600, 56000, 38400, 19200, 9600};

inline constexpr char kAutodetectOk[] = "OK";
inline constexpr char kAutodetectNoPort[] = "Cannot open port";
inline constexpr char kAutodetectNoAnswer[] = "Cannot communicate with phone";
inline constexpr char kAutodetectNoSms[] = "ERROR";
// The status field's text for a model name that came from detection.
inline constexpr char kAutodetected[] = "Autodetected";

// What detection shows and changes; called on the detecting thread.
class AutodetectView {
public:
    virtual ~AutodetectView() = default;
    // The status field (eAutodetect).
    virtual void Status(const std::string& text) = 0;
    // The port settings' speed, used by the port from its next opening on.
    virtual void SelectSpeed(int baud) = 0;
    // The port settings' "PDU mode".
    virtual void SetPduMode(bool on) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual std::string Translate(const std::string& text) = 0;
};

struct AutodetectResult {
    std::string result;          // one of the kAutodetect... texts
    std::string identification;  // manufacturer and model, once the device answered
};

// The answer of a command: the last line that is neither empty nor "OK"; empty unless the
// command answered OK.
std::string AnswerLine(const std::string& result, const Lines& lines);

// Probes the device on modem's port (portName only names it in messages).
AutodetectResult Autodetect(TModem& modem, const std::string& portName, AutodetectView& view);

}  // namespace nimbra::handset
