#pragma once

// What the folder store needs of the engine around it: its home folder, the housekeeping
// settings, the log channels and status slots, translation and progress reporting. Every hook has a
// harmless default, so the store runs alone in tests and tools.

#include <cstddef>
#include <functional>
#include <string>

#include "smsenvironment.h"
#include "unDate.h"

namespace nimbra {

// The two housekeeping options of the "Server" settings section, read on every addition.
struct HousekeepingRules {
    // "Delete messages older than" this many days; 0 keeps every message.
    int deleteOlderThanDays = 0;
    // "Move incoming messages to a new folder each day".
    bool dailyFolders = false;
};

// The rules from the settings' texts: a day count that is not a number counts as 0, and only
// "1" switches day folders on.
HousekeepingRules ParseHousekeepingRules(const std::string& olderThanDays,
                                         const std::string& dailyFolders);

class StoreEnvironment {
public:
    // home: prefix of every store path. The engine runs in its home and passes "", so that
    // stored paths stay relative.
    StoreEnvironment(SmsEnvironment& sms, std::string home);

    SmsEnvironment& sms;
    const std::string home;

    std::function<HousekeepingRules()> housekeepingRules;
    // Writes one line to a log channel ("error", "screen", ...).
    std::function<void(const std::string& channel, const std::string& text)> log;
    // Sets a status slot ("status2", "main", ...).
    std::function<void(const std::string& slot, const std::string& text)> status;
    std::function<std::string(const std::string& text)> translate;
    // The date part of a day folder's name; by default "yyyy/mm/dd".
    std::function<std::string(TDateTime date)> shortDate;
    // Progress of long folder work: done of total; done == total ends it.
    std::function<void(std::size_t done, std::size_t total)> progress;

    // home + "/" + relative.
    std::string PathOf(const std::string& relative) const;
    void Log(const std::string& channel, const std::string& text) const;
    void SetStatus(const std::string& slot, const std::string& text) const;
    std::string Translate(const std::string& text) const;
    void Notify(const std::string& text) const { sms.Notify(text); }
    bool Ask(const std::string& question) const;
    void Progress(std::size_t done, std::size_t total) const;
};

}  // namespace nimbra
