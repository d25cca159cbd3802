#include "housekeepingsetting.h"

#include "settingskeys.h"
#include "settingsstore.h"

namespace nimbra {

HousekeepingRules ReadHousekeepingRules() {
    using namespace settings;
    return ParseHousekeepingRules(ReadPluginSetting(kServerSection, kOlderValue, kOlderDefault),
                                  ReadPluginSetting(kServerSection, kDailyLogValue, "0"));
}

}  // namespace nimbra
