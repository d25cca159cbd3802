#include "driverlog.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fieldstore.h"
#include "file_text.h"
#include "postafiok.h"
#include "temp_dir.h"

namespace nimbra::driver {
namespace {

TEST(MailboxTest, SlotsRunRoundTheRingAndKeepTheirText) {
    std::vector<int> notified;
    TPostafiok mailbox([&](int slot) { notified.push_back(slot); });
    for (int i = 0; i < 102; ++i) {
        mailbox.Post("line " + std::to_string(i));
    }
    ASSERT_EQ(notified.size(), 102u);
    EXPECT_EQ(notified[0], 0);
    EXPECT_EQ(notified[100], 100);
    EXPECT_EQ(notified[101], 0);  // the 102nd post reuses slot 0
    EXPECT_EQ(mailbox.Take(0), "line 101");
    EXPECT_EQ(mailbox.Take(0), "line 101");  // taking does not clear
    EXPECT_EQ(mailbox.Take(100), "line 100");
    EXPECT_EQ(mailbox.Take(101), "");
    EXPECT_EQ(mailbox.Take(-1), "");
}

class DriverLogTest : public ::testing::Test {
protected:
    DriverLog MakeLog() {
        return DriverLog(mailbox_,
                         {.operatorName = [this] { return fields_.Get("eOperator"); },
                          .logToFile = [this] { return fields_.Get("cbLog") == "1"; },
                          .engineFolder = [this] { return home_.path().string(); },
                          .appendToView = [this](std::string line) { view_.push_back(line); }});
    }
    std::string LogFile() const {
        return testing_support::ReadFileText(home_.path() / "logs" / "smpp-log.txt");
    }

    testing_support::TempDir home_;
    FieldStore fields_;
    std::vector<std::string> posted_;
    TPostafiok mailbox_{[this](int slot) { posted_.push_back(mailbox_.Take(slot)); }};
    std::vector<std::string> view_;
};

TEST_F(DriverLogTest, TrafficLinesOnlyWhileTheOperatorFieldReadsDebugOn) {
    struct Case {
        const char* operatorName;
        const char* level;
        bool kept;
    } cases[] = {
        {"T-mobile", "1", true},  {"T-mobile", "2", false},  {"debug:on", "2", true},
        {"Debug:on", "2", false}, {"debug:on ", "2", false}, {"", "2", false},
    };
    for (const Case& c : cases) {
        posted_.clear();
        view_.clear();
        fields_.Set("eOperator", c.operatorName);
        DriverLog log = MakeLog();
        log.Log(c.level, "-> 51:1");
        EXPECT_EQ(posted_.size(), c.kept ? 1u : 0u) << c.operatorName << " " << c.level;
        EXPECT_EQ(view_.size(), c.kept ? 1u : 0u) << c.operatorName << " " << c.level;
    }
}

TEST_F(DriverLogTest, StampedLinesGoToViewAndFileButCheckingLinkOnlyToTheEngine) {
    fields_.Set("cbLog", "1");
    DriverLog log = MakeLog();
    log.Log("1", "Successful login");
    log.Log("1", "Checking link");
    EXPECT_EQ(posted_, (std::vector<std::string>{"Successful login", "Checking link"}));
    ASSERT_EQ(view_.size(), 1u);
    // "2004-03-17 09:05:41 Successful login"
    EXPECT_EQ(view_[0].size(), 19u + 1u + 16u);
    EXPECT_EQ(view_[0].substr(4, 1), "-");
    EXPECT_EQ(view_[0].substr(20), "Successful login");
    EXPECT_EQ(LogFile(), view_[0] + "\r\n");

    fields_.Set("cbLog", "0");
    log.Log("1", "Message sent");
    EXPECT_EQ(LogFile(), view_[0] + "\r\n");  // the file is left alone while logging is off
    EXPECT_EQ(view_.size(), 2u);
}

TEST_F(DriverLogTest, TheLogFileJoinsTheEnginesLogsFolder) {
    std::filesystem::create_directories(home_.path() / "logs");
    testing_support::WriteFileText(home_.path() / "logs" / "screen-log.txt", "engine\r\n");
    fields_.Set("cbLog", "1");
    DriverLog log = MakeLog();
    log.Log("1", "Successful login");
    EXPECT_EQ(LogFile(), view_.at(0) + "\r\n");
    // One folder holds every program's logs, also on a file system that tells case apart.
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(home_.path()))
        entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"logs"});
}

TEST_F(DriverLogTest, AnUnwritableLogFileIsIgnored) {
    fields_.Set("cbLog", "1");
    // "logs" is a file, so the log file cannot be made.
    testing_support::WriteFileText(home_.path() / "logs", "x");
    DriverLog log = MakeLog();
    log.Log("1", "Message sent");
    EXPECT_EQ(posted_.size(), 1u);
    EXPECT_EQ(view_.size(), 1u);
}

TEST(FieldStoreTest, ReportsOnlyRealChanges) {
    FieldStore store;
    std::vector<std::string> changes;
    store.OnChange(
        [&](std::string name, std::string value) { changes.push_back(name + "=" + value); });
    store.Set("eKeepalive", "30");
    store.Set("eKeepalive", "30");
    store.Set("eKeepalive", "300");
    EXPECT_EQ(store.Get("eKeepalive"), "300");
    EXPECT_EQ(store.Get("eMissing"), "");
    EXPECT_EQ(changes, (std::vector<std::string>{"eKeepalive=30", "eKeepalive=300"}));
}

}  // namespace
}  // namespace nimbra::driver
