#include "storeenvironment.h"

#include <cstdio>
#include <utility>

#include "unStrings.h"

namespace nimbra {
namespace {

std::string YearMonthDay(TDateTime date) {
    const CivilDateTime c = DecodeDateTime(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", c.year, c.month, c.day);
    return text;
}

}  // namespace

HousekeepingRules ParseHousekeepingRules(const std::string& olderThanDays,
                                         const std::string& dailyFolders) {
    HousekeepingRules rules;
    if (!ParseInt32(olderThanDays, rules.deleteOlderThanDays))
        rules.deleteOlderThanDays = 0;
    rules.dailyFolders = dailyFolders == "1";
    return rules;
}

StoreEnvironment::StoreEnvironment(SmsEnvironment& smsEnvironment, std::string homeFolder)
    : sms(smsEnvironment),
      home(std::move(homeFolder)),
      housekeepingRules([] { return HousekeepingRules{}; }),
      shortDate(YearMonthDay) {}

std::string StoreEnvironment::PathOf(const std::string& relative) const {
    if (home.empty())
        return relative;
    return home.back() == '/' ? home + relative : home + "/" + relative;
}

void StoreEnvironment::Log(const std::string& channel, const std::string& text) const {
    if (log)
        log(channel, text);
}

void StoreEnvironment::SetStatus(const std::string& slot, const std::string& text) const {
    if (status)
        status(slot, text);
}

std::string StoreEnvironment::Translate(const std::string& text) const {
    return translate ? translate(text) : text;
}

bool StoreEnvironment::Ask(const std::string& question) const {
    if (sms.notifier)
        return sms.notifier->AskYesNo(question);
    return StderrNotifier().AskYesNo(question);
}

void StoreEnvironment::Progress(std::size_t done, std::size_t total) const {
    if (progress)
        progress(done, total);
}

}  // namespace nimbra
