#pragma once
// The engine's options of the "Server" settings section: installed devices and plugins,
// start-up, message handling and filters. Values are kept as the option fields hold them.
#include <string>
#include <vector>

#include "notifier.h"

namespace nimbra {

inline const std::string kNoFilterInstalled = "No filter is installed";

// One kind of device program.
struct DeviceKind {
    int number;               // 1 gsm, 2 ucp, 3 smpp, 4 cimd
    const char* word;         // what its devices' names contain
    const char* program;      // under the engine home
    const char* countOption;  // the option holding how many are installed
};
inline constexpr DeviceKind kDeviceKinds[] = {
    {1, "gsm", "Devices/handset", "eInstalledNumber"},
    {2, "ucp", "Devices/ucp", "eUCPInstalledNumber"},
    {3, "smpp", "Devices/smpp", "eSMPPInstalledNumber"},
    {4, "cimd", "Devices/cimd", "eCIMDInstalledNumber"},
};

// Programs of one device kind started at most, whatever the settings say.
inline constexpr int kMostInstalledOfAKind = 24;
inline constexpr int kLongestAutostartDelaySeconds = 24 * 60 * 60;

struct ServerOptions {
    std::string dateFormat = "c";
    std::string sendRetries = "5";
    std::string resendDelay = "1";
    // Installed count per device kind, in the order of kDeviceKinds.
    std::string installed[4] = {"1", "0", "0", "0"};
    bool autostart = false;
    std::string autostartSeconds = "8";
    bool showMonitor = true;
    bool tips = true;
    bool saveSenders = false;
    std::string senderGroup;
    bool sortByGroup = false;
    bool dailyFolders = false;
    bool playSound = true;
    std::string olderThanDays = "0";
    std::vector<std::string> plugins;
    std::string filterIn = kNoFilterInstalled;
    std::string filterOut = kNoFilterInstalled;
    // Milliseconds between scheduler ticks while messages wait ("eFastSendTickMs"); "0" or
    // empty keeps the designed tick of a second.
    std::string fastSendTick = "0";

    // The retry count of new messages and the resend interval in milliseconds, as taken at
    // start-up: a field that is not a whole number is reset ("6", "3") and the operator told.
    int retries = 5;
    int resendIntervalMs = 60000;
    // Seconds after start-up for the automatic start: not a number 8, at least 2, at most a
    // day.
    int AutostartDelaySeconds() const;
    // How many programs of a kind to start: the count as a number, 0 when it is not one, at
    // most kMostInstalledOfAKind.
    int InstalledCount(int kindIndex) const;
};

// The resend interval in milliseconds for a delay in minutes: at least a minute.
int ResendIntervalMs(int minutes);

// A name that stays inside the folder it is joined to: not empty, no "/", not "." or "..".
bool IsPlainFileName(const std::string& name);

// Reads the options from the settings store and settles the retry fields, telling the
// operator about a field that is not a whole number.
ServerOptions LoadServerOptions(Notifier& notifier);

}  // namespace nimbra
