#include "serveroptions.h"

#include <algorithm>

#include "settingskeys.h"
#include "settingsstore.h"
#include "unStrings.h"

namespace nimbra {

namespace {

// A resend interval under a second would make the retry timer spin.
constexpr int kShortestResendIntervalMs = 1000;

std::string Read(const char* name, const std::string& def) {
    return ReadPluginSetting(settings::kServerSection, name, def);
}

bool ReadCheck(const char* name, bool def) {
    return Read(name, def ? "1" : "0") == "1";
}

}  // namespace

int ServerOptions::AutostartDelaySeconds() const {
    int seconds = 0;
    if (!ParseInt32(TrimBlanks(autostartSeconds), seconds))
        seconds = 8;
    return std::max(2, seconds);
}

int ServerOptions::InstalledCount(int kindIndex) const {
    int count = 0;
    if (!ParseInt32(TrimBlanks(installed[kindIndex]), count) || count < 0)
        return 0;
    return count;
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
        options.resendIntervalMs = static_cast<int>(
            std::clamp<long long>(minutes * 60000LL, kShortestResendIntervalMs, 24LL * 60 * 60000));
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
    for (std::string_view line : TextLines(Read("lbCOMPlugins", ""))) {
        const std::string name = TrimBlanks(line);
        if (!name.empty())
            options.plugins.push_back(name);
    }
    options.filterIn = Read("cbFilterIn", options.filterIn);
    options.filterOut = Read("cbFilterOut", options.filterOut);
    return options;
}

}  // namespace nimbra
