#include <gtest/gtest.h>

#include "housekeepingsetting.h"
#include "settingsstore.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

TEST(HousekeepingRulesTest, TextsOfTheOptions) {
    struct Case {
        const char* older;
        const char* daily;
        int days;
        bool dailyFolders;
    };
    for (const Case& c :
         {Case{"0", "0", 0, false}, Case{"30", "1", 30, true}, Case{"", "", 0, false},
          Case{"ten", "true", 0, false}, Case{" 5", "1", 0, true}, Case{"-2", "0", -2, false},
          Case{"99999999999", "0", 0, false}}) {
        const HousekeepingRules rules = ParseHousekeepingRules(c.older, c.daily);
        EXPECT_EQ(rules.deleteOlderThanDays, c.days) << c.older;
        EXPECT_EQ(rules.dailyFolders, c.dailyFolders) << c.daily;
    }
}

TEST(HousekeepingRulesTest, EveryReadSeesTheOptionsAsTheyAreNow) {
    testing_support::ScopedSettingsDir settings;
    HousekeepingRules rules = ReadHousekeepingRules();
    EXPECT_EQ(rules.deleteOlderThanDays, 0);
    EXPECT_FALSE(rules.dailyFolders);

    WritePluginSetting("Server", "eOlder", "7");
    WritePluginSetting("Server", "cbDailyLog", "1");
    rules = ReadHousekeepingRules();
    EXPECT_EQ(rules.deleteOlderThanDays, 7);
    EXPECT_TRUE(rules.dailyFolders);
}

}  // namespace
}  // namespace nimbra
