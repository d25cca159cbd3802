#pragma once
// The drivers' log routine, callable from the window thread and the protocol thread. Level
// "1" lines (events) are always kept, other levels (raw traffic) only while the operator
// name reads exactly "debug:on". A kept line goes to the mailbox (and so to the engine as
// device information); every kept line but "Checking link" is stamped with the local time
// and goes to the log view and, while logging to file is on, to "logs/smpp-log.txt" in the
// engine's folder. Failures are ignored: logging never stops a driver.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "postafiok.h"

namespace nimbra::driver {

inline constexpr std::string_view kDebugOperator = "debug:on";
inline constexpr std::string_view kCheckingLink = "Checking link";
// The engine's own logs folder: one folder for every program's logs.
inline constexpr std::string_view kDriverLogFile = "logs/smpp-log.txt";

class DriverLog {
public:
    struct Sources {
        std::function<std::string()> operatorName;  // text of the operator field
        std::function<bool()> logToFile;            // the "Log communication" box
        std::function<std::string()> engineFolder;  // the engine's program folder
        // Appends a stamped line to the log view; must not block (posts to the window).
        std::function<void(std::string)> appendToView;
    };

    DriverLog(TPostafiok& mailbox, Sources sources);

    void Log(std::string_view level, std::string_view line);

private:
    void AppendToFile(const std::string& stamped);

    TPostafiok& mailbox_;
    Sources sources_;
    std::mutex fileMutex_;
};

}  // namespace nimbra::driver
