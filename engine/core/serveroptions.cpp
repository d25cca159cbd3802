#include "serveroptions.h"

#include <algorithm>

#include "settingskeys.h"
#include "settingsstore.h"
#include "unStrings.h"

namespace nimbra {

namespace {

// Under a minute the retry timer would hand failed messages back almost at once and use up
// their retries in seconds; the timer's interval is an int of milliseconds.
constexpr long long kShortestResendIntervalMs = 60000;
constexpr long long kLongestResendIntervalMs = 2147483647;

std::string Read(const char* name, const std::string& def) {
    return ReadPluginSetting(settings::kServerSection, name, def);
}

bool ReadCheck(const char* name, bool def) {
    return Read(name, def ? "1" : "0") == "1";
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

int ResendIntervalMs(int minutes) {
    return static_cast<int>(
        std::clamp(minutes * 60000LL, kShortestResendIntervalMs, kLongestResendIntervalMs));
}

int ServerOptions::AutostartDelaySeconds() const {
    int seconds = 0;
    if (!ParseInt32(TrimBlanks(autostartSeconds), seconds))
        seconds = 8;
    return std::clamp(seconds, 2, kLongestAutostartDelaySeconds);
}

int ServerOptions::InstalledCount(int kindIndex) const {
    int count = 0;
    if (!ParseInt32(TrimBlanks(installed[kindIndex]), count) || count < 0)
        return 0;
    return std::min(count, kMostInstalledOfAKind);
}

ServerOptions LoadServerOptions(Notifier& notifier) {
    ServerOptions options;
    options.dateFormat = Read("eDateFormat", options.dateFormat);

    options.sendRetries = Read("eSendRetries", options.sendRetries);
    if (!ParseInt32(TrimBlanks(options.sendRetries), options.retries)) {
        notifier.ShowMessage("The send retry count is not valid");
        options.sendRetries = "6";
        options.retries = 6;
    }
    options.resendDelay = Read("eResendDelay", options.resendDelay);
    int minutes = 0;
    if (ParseInt32(TrimBlanks(options.resendDelay), minutes)) {
        options.resendIntervalMs = ResendIntervalMs(minutes);
    } else {
        notifier.ShowMessage("The send retry interval is not valid");
        options.resendDelay = "3";
        options.resendIntervalMs = 180000;
    }

    for (int i = 0; i < 4; ++i)
        options.installed[i] = Read(kDeviceKinds[i].countOption, options.installed[i]);
    options.autostart = ReadCheck("cbStartup2", options.autostart);
    options.autostartSeconds = Read("eAutoStart", options.autostartSeconds);
    options.showMonitor = ReadCheck("cbShmon", options.showMonitor);
    options.tips = ReadCheck("cbtips", options.tips);
    options.saveSenders = ReadCheck("cbSaveAuto", options.saveSenders);
    options.senderGroup = Read("cbContact", options.senderGroup);
    options.sortByGroup = ReadCheck("cbAutoSort", options.sortByGroup);
    options.dailyFolders = ReadCheck(settings::kDailyLogValue, options.dailyFolders);
    options.playSound = ReadCheck("cbWav", options.playSound);
    options.olderThanDays = Read(settings::kOlderValue, options.olderThanDays);
    // The lines point into the text, which must outlive the loop.
    const std::string plugins = Read("lbCOMPlugins", "");
    for (std::string_view line : TextLines(plugins)) {
        const std::string name = TrimBlanks(line);
        if (!name.empty())
            options.plugins.push_back(name);
    }
    options.filterIn = Read("cbFilterIn", options.filterIn);
    options.filterOut = Read("cbFilterOut", options.filterOut);
    options.fastSendTick = Read("eFastSendTickMs", options.fastSendTick);
    return options;
}

}  // namespace nimbra
