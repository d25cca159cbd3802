#pragma once

// A message store in a temporary home: injectable clock and housekeeping options, the
// operator's messages and every log line and status change recorded.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "recording_notifier.h"
#include "sms.h"
#include "storeenvironment.h"
#include "temp_dir.h"
#include "unDate.h"

namespace nimbra::testing_support {

// 2004-03-17 12:00:00 local time.
inline constexpr TDateTime kStoreNow = 38063.5;
inline constexpr std::int64_t kStoreNowSeconds = 1079524800;
inline constexpr std::int64_t kHour = 3600;

class StoreTest : public testing::Test {
protected:
    StoreTest() : store_(sms_, dir_.path().string()) {
        sms_.clock = [this] { return now_; };
        sms_.notifier = &notifier_;
        store_.housekeepingRules = [this] { return rules_; };
        store_.log = [this](const std::string& channel, const std::string& text) {
            logs_.emplace_back(channel, text);
        };
        store_.status = [this](const std::string& slot, const std::string& text) {
            status_[slot] = text;
        };
    }

    // A message created `age` seconds before now.
    std::unique_ptr<TSms> Message(const std::string& from, const std::string& text,
                                  std::int64_t age = 0) {
        auto message = std::make_unique<TSms>(sms_);
        message->from = from;
        message->to = "+4470000";
        message->text = text;
        message->created = kStoreNowSeconds - age;
        return message;
    }

    std::string Home(const std::string& relative) const { return (dir_ / relative).string(); }

    // Log lines of one channel.
    std::vector<std::string> Logged(const std::string& channel) const {
        std::vector<std::string> lines;
        for (const auto& [logChannel, text] : logs_) {
            if (logChannel == channel)
                lines.push_back(text);
        }
        return lines;
    }

    TempDir dir_;
    SmsEnvironment sms_;
    StoreEnvironment store_;
    RecordingNotifier notifier_;
    HousekeepingRules rules_;
    TDateTime now_ = kStoreNow;
    std::vector<std::pair<std::string, std::string>> logs_;
    std::map<std::string, std::string> status_;
};

}  // namespace nimbra::testing_support
