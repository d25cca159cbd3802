#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <latch>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "file_text.h"
#include "recording_notifier.h"
#include "sms.h"
#include "temp_dir.h"
#include "unDate.h"
#include "unStrings.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

using testing_support::ReadFileText;
using testing_support::RecordingNotifier;
using testing_support::TempDir;
using testing_support::WriteFileText;

// Address book keyed by normalised number, giving the display form as stored.
class FakeAddressBook : public AddressLookup {
public:
    std::string DisplayName(const std::string& text) const override {
        const auto it = entries.find(NormalizePhoneNumber(text));
        return TrimBlanks(it == entries.end() ? text : it->second);
    }
    std::map<std::string, std::string> entries;
};

TDateTime FixedNow() {
    TDateTime t = 0;
    EXPECT_TRUE(TryEncodeDateTime({2004, 3, 17, 9, 5, 41, 0}, t));
    return t;
}

std::string JoinLines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string out;
    for (const std::string& line : lines)
        out += line + end;
    return out;
}

// clang-format off
// The lines a message file must hold for FullMessage() below.
const std::vector<std::string> kFullLines = {
    "Ann (+4412345)", "Bob (555)", "Hi {you} \\ \t\x80\xff", "2004-03-17 09:05:42", "3",
    "2004-03-17 09:05:40", "GSMSMS_DELIVERY_REPORT", "ref7", "s1", "", "s2", "12", "s3",
    "424242", "ex", "src", "mms", "1079514341"};

// Every stored field in file order (line 10 is always empty), then the path.
std::vector<std::string> Stored(const TSms& s) {
    return {s.from, s.to, s.text, s.receivedTime, std::to_string(s.retriesLeft), s.sentTime,
            s.type, s.reference, s.spare1, "", s.spare2, std::to_string(s.iconIndex), s.spare3,
            s.messageId, s.extra, s.idSource, s.operatorName, std::to_string(s.created), s.path};
}
// clang-format on

class SmsTest : public testing::Test {
protected:
    SmsTest() {
        env_.clock = [] { return FixedNow(); };
        env_.notifier = &notifier_;
        env_.retries = 4;
    }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    // Names of all entries of the test directory, sorted.
    std::vector<std::string> DirectoryNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // A message with a distinct, non-empty value in every stored field.
    std::unique_ptr<TSms> FullMessage() {
        auto sms = std::make_unique<TSms>(env_);
        sms->from = "Ann (+4412345)";
        sms->to = "Bob (555)";
        sms->text = "Hi {you} \\ \t\x80\xff";
        sms->receivedTime = "2004-03-17 09:05:42";
        sms->retriesLeft = 3;
        sms->sentTime = "2004-03-17 09:05:40";
        sms->type = "GSMSMS_DELIVERY_REPORT";
        sms->reference = "ref7";
        sms->spare1 = "s1";
        sms->spare2 = "s2";
        sms->iconIndex = kIconDeliveryConfirmed;
        sms->spare3 = "s3";
        sms->messageId = "424242";
        sms->extra = "ex";
        sms->idSource = "src";
        sms->operatorName = "mms";
        sms->created = 1079514341;
        return sms;
    }

    TempDir temp_;
    const fs::path& dir_ = temp_.path();
    RecordingNotifier notifier_;
    FakeAddressBook book_;
    SmsEnvironment env_;
};

TEST_F(SmsTest, NewMessageDefaults) {
    TSms sms(env_);
    EXPECT_EQ(sms.retriesLeft, 4);
    EXPECT_EQ(sms.type, "GSMSMS");
    EXPECT_EQ(sms.sentTime, "2004-03-17 09:05:41");
    EXPECT_EQ(sms.receivedTime, "2004-03-17 09:05:41");
    EXPECT_EQ(sms.created, 1079514341);
    EXPECT_EQ(sms.iconIndex, kIconNew);
    EXPECT_FALSE(sms.IsBusy());
    int id = -1;
    ASSERT_TRUE(ParseInt32(sms.messageId, id)) << sms.messageId;
    EXPECT_GE(id, 0);
    EXPECT_LE(id, 999999998);
}

TEST_F(SmsTest, SaveWritesEighteenCrLfLinesAndLoadsBack) {
    auto sms = FullMessage();
    const std::string path = PathOf("full.sms");
    WriteFileText(path, std::string(5000, 'o'));  // an older file is replaced
    ASSERT_TRUE(sms->Save(path));
    EXPECT_EQ(sms->path, path);
    EXPECT_EQ(ReadFileText(path), JoinLines(kFullLines));
    EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"full.sms"});  // no temp file left

    TSms loaded(env_);
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(Stored(loaded), Stored(*sms));
    EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(SmsTest, SaveDropsLineBreaksFromEveryField) {
    auto sms = FullMessage();
    sms->text = "one\r\ntwo\nthree\rfour\r\n";
    // Records carry raw line breaks in any field; none may shift the lines after it.
    sms->extra = "e\nx";
    sms->messageId = "42\r\n42";
    sms->operatorName = "";
    ASSERT_TRUE(sms->Save(PathOf("breaks.sms")));
    EXPECT_EQ(sms->text, "onetwothreefour");
    TSms loaded(env_);
    ASSERT_TRUE(loaded.Load(PathOf("breaks.sms")));
    EXPECT_EQ(loaded.text, "onetwothreefour");
    EXPECT_EQ(loaded.spare3, "s3");
    EXPECT_EQ(loaded.messageId, "4242");
    EXPECT_EQ(loaded.extra, "ex");
    EXPECT_EQ(loaded.idSource, "src");
    EXPECT_EQ(loaded.operatorName, "");
    EXPECT_EQ(loaded.created, 1079514341);
}

TEST_F(SmsTest, SaveFailureNotifiesAndLeavesNoTempFile) {
    auto sms = FullMessage();
    sms->text = "a\nb";
    const std::string missing = PathOf("no/such/dir/x.sms");
    EXPECT_FALSE(sms->Save(missing));
    EXPECT_EQ(notifier_.messages,
              std::vector<std::string>{"Could not save SMS message: " + missing});
    EXPECT_EQ(sms->from, "Ann (+4412345)");
    EXPECT_EQ(sms->path, missing);

    // A directory in the target's place: the temp file can be written but not renamed.
    notifier_.messages.clear();
    fs::create_directory(dir_ / "taken.sms");
    EXPECT_FALSE(sms->Save(PathOf("taken.sms")));
    EXPECT_EQ(notifier_.messages,
              std::vector<std::string>{"Could not save SMS message: " + PathOf("taken.sms")});
    EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"taken.sms"});
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.sms"));
}

TEST_F(SmsTest, LoadAcceptsOrRefusesFiles) {
    auto with = [](std::size_t line, const std::string& value) {
        std::vector<std::string> lines = kFullLines;
        lines[line - 1] = value;
        return JoinLines(lines);
    };
    const std::string full = JoinLines(kFullLines);
    const std::vector<std::string> eleven(kFullLines.begin(), kFullLines.begin() + 11);
    const std::int64_t now = LocalEpochSeconds(FixedNow()) + 1;
    env_.clock = [] { return FixedNow() + 1.0 / 86400; };
    const struct {
        const char* name;
        std::string content;
        bool loads;
        int retries = 3;
        std::int64_t created = 1079514341;
    } cases[] = {
        {"complete file", full, true},
        {"LF line ends", JoinLines(kFullLines, "\n"), true},
        {"no line end after the last line", full.substr(0, full.size() - 2), true},
        {"lines past the 18th ignored", full + "extra\r\n", true},
        {"empty line 5", with(5, ""), true, 6},
        {"negative retries", with(5, "-1"), true, -1},
        {"empty line 18", with(18, ""), true, 3, now},
        {"17 lines", JoinLines({kFullLines.begin(), kFullLines.end() - 1}), true, 3, now},
        {"11 lines", JoinLines(eleven), false},
        {"11 lines and an empty 12th", JoinLines(eleven) + "\r\n", false},
        {"empty file", "", false},
        {"line 5 not a number", with(5, "three"), false},
        {"line 5 with trailing garbage", with(5, "3x"), false},
        {"line 12 not a number", with(12, "new"), false},
        {"line 12 empty", with(12, ""), false},
        {"line 18 not a number", with(18, "1079514341z"), false},
        {"line 18 beyond 32 bits", with(18, "99999999999"), true, 3, 99999999999},
        {"line 18 beyond 64 bits", with(18, "9223372036854775808"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf("case.sms");
        WriteFileText(path, c.content);
        TSms sms(env_);
        sms.created = -5;  // must be overwritten from the file or the clock
        EXPECT_EQ(sms.Load(path), c.loads);
        EXPECT_EQ(sms.path, path);
        if (c.loads) {
            EXPECT_EQ(sms.text, kFullLines[2]);
            EXPECT_EQ(sms.iconIndex, 12);
            EXPECT_EQ(sms.retriesLeft, c.retries);
            EXPECT_EQ(sms.created, c.created);
        }
    }
}

TEST_F(SmsTest, LoadLooksUpAddresses) {
    book_.entries = {{"+4412345", "Alice (+4412345)"}};
    env_.addressBook = &book_;
    std::vector<std::string> lines = kFullLines;
    lines[0] = " +4412345";
    lines[1] = " 999 ";
    WriteFileText(PathOf("a.sms"), JoinLines(lines));
    TSms sms(env_);
    ASSERT_TRUE(sms.Load(PathOf("a.sms")));
    EXPECT_EQ(sms.from, "Alice (+4412345)");
    EXPECT_EQ(sms.to, "999");
}

// A file without creation line is stamped and written again in the current layout; lines
// the file lacks leave the fields as they were.
TEST_F(SmsTest, LoadUpgradesOlderFiles) {
    env_.clock = [] { return FixedNow() + 1.0 / 86400; };
    for (std::size_t count : {std::size_t{17}, std::size_t{12}}) {
        SCOPED_TRACE(count);
        std::vector<std::string> lines(kFullLines.begin(), kFullLines.begin() + count);
        const std::string path = PathOf("old.sms");
        WriteFileText(path, JoinLines(lines));
        TSms sms(env_);
        sms.spare3 = "kept";
        sms.messageId = "m";
        sms.extra = "e";
        sms.created = -5;
        ASSERT_TRUE(sms.Load(path));
        if (count == 12)
            lines.insert(lines.end(), {"kept", "m", "e", "", ""});
        lines.push_back("1079514342");
        EXPECT_EQ(ReadFileText(path), JoinLines(lines));
        EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"old.sms"});
    }
}

TEST_F(SmsTest, LoadOfMissingFileFails) {
    TSms sms(env_);
    sms.from = "before";
    EXPECT_FALSE(sms.Load(PathOf("absent.sms")));
    EXPECT_EQ(sms.from, "before");
    EXPECT_EQ(sms.path, PathOf("absent.sms"));
    EXPECT_TRUE(DirectoryNames().empty());
}

TEST_F(SmsTest, FileExistsAndDeleteFile) {
    TSms sms(env_);
    sms.SetPath(PathOf("d.sms"));
    EXPECT_FALSE(sms.FileExists());
    sms.DeleteFile();  // missing file: silently nothing
    ASSERT_TRUE(sms.Save(PathOf("d.sms")));
    EXPECT_TRUE(sms.FileExists());
    sms.DeleteFile();
    EXPECT_FALSE(fs::exists(PathOf("d.sms")));
    EXPECT_FALSE(sms.FileExists());
    EXPECT_TRUE(notifier_.messages.empty());

    // Something in the file's place that cannot be removed: the operator is told.
    fs::create_directories(dir_ / "full.sms" / "inner");
    sms.SetPath(PathOf("full.sms"));
    sms.DeleteFile();
    EXPECT_EQ(notifier_.messages, std::vector<std::string>{"Could not delete " + sms.path});
}

TEST_F(SmsTest, NewFileName) {
    TSms sms(env_);
    sms.from = "Bob (+4412)";
    sms.to = "555\xe9";
    EXPECT_EQ(sms.NewFileName(), "1_Bob__+4412__555__2004_03_17_09_05_41.sms");
    EXPECT_EQ(sms.NewFileName(), "2_Bob__+4412__555__2004_03_17_09_05_41.sms");

    sms.from = std::string(38, 'x');
    sms.to = "AB";
    EXPECT_EQ(sms.NewFileName(), "3_" + std::string(38, 'x') + "_A.sms");

    env_.fileCounter = 65534;
    sms.from = std::string(60, 'y');
    EXPECT_EQ(sms.NewFileName(), "65535_" + std::string(40, 'y') + ".sms");
    EXPECT_EQ(sms.NewFileName(), "0_" + std::string(40, 'y') + ".sms");
    EXPECT_EQ(sms.NewFileName(), "1_" + std::string(40, 'y') + ".sms");
}

TEST_F(SmsTest, SetFromAndSetToUseAddressBook) {
    book_.entries = {{"+4412345", "Alice (+4412345) "}, {"5550100", " 555 0100"}, {"123", "Never"}};
    const struct {
        std::string input;
        std::string stored;
    } cases[] = {
        {" +44 12-345 ", "Alice (+4412345)"},  // entry with a name
        {"555-0100", "555 0100"},              // entry without a name: its stored number
        {"  999  ", "999"},                    // no entry: the input, trimmed
        {" Bob (123) ", "Bob (123)"},          // display form already: only trimmed
        {"x(", "x("},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        for (bool withBook : {true, false}) {
            env_.addressBook = withBook ? &book_ : nullptr;
            TSms sms(env_);
            sms.SetFrom(c.input);
            sms.SetTo(c.input);
            const bool looksUp = withBook && c.input.find('(') == std::string::npos;
            EXPECT_EQ(sms.from, looksUp ? c.stored : TrimBlanks(c.input));
            EXPECT_EQ(sms.to, sms.from);
        }
    }
}

TEST_F(SmsTest, ToRecord) {
    auto sms = FullMessage();
    sms->to = "Bob (+44 12-345)";
    // Receiver normalised; reference not copied; status empty.
    EXPECT_EQ(sms->ToRecord().ToText(),
              "{GSMSMS_DELIVERY_REPORT}{mms}{Ann (+4412345)}{+4412345}{Hi \\{you\\} \\\\ "
              "\t\x80\xff}{424242}{ex}{src}{}{2004-03-17 09:05:40}{2004-03-17 09:05:42}"
              "{1079514341}{}");
}

TEST_F(SmsTest, FromRecord) {
    book_.entries = {{"+4412345", "Alice (+4412345)"}};
    env_.addressBook = &book_;
    TGsmSms r(FixedNow());
    r.FromText("{T}{op}{+4412345}{ 999 }{text}{id}{ex}{src}{netref}{st}{rt}{77}{0}");
    TSms sms(env_);
    sms.reference = "mine";
    sms.SetPath("p");
    sms.FromRecord(r);
    EXPECT_EQ(Stored(sms), (std::vector<std::string>{"Alice (+4412345)", "999", "text", "rt", "4",
                                                     "st", "T", "mine", "", "", "", "0", "", "id",
                                                     "ex", "src", "op", "77", "p"}));

    const struct {
        std::string created;
        std::int64_t stored;
        std::string writtenBack;
    } cases[] = {
        {"123", 123, "123"},
        {"abc", 77, "abc"},
        {"99999999999", 99999999999, "99999999999"},
        {"9223372036854775808", 77, "9223372036854775808"},
        {"", 77, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.created);
        sms.created = 77;
        r.created = c.created;
        sms.FromRecord(r);
        EXPECT_EQ(sms.created, c.stored);
        EXPECT_EQ(r.created, c.writtenBack);
    }
}

// Creation times are written as 64-bit numbers; every one of them must come back, the
// seconds past 2038-01-19 03:14:07 included.
TEST_F(SmsTest, CreationTimesPast2038LoadBack) {
    const std::int64_t cases[] = {2147483647, 2147483648, 4102444800, 253402300799};
    for (const std::int64_t created : cases) {
        SCOPED_TRACE(created);
        auto sms = FullMessage();
        sms->created = created;
        ASSERT_TRUE(sms->Save(PathOf("late.sms")));
        TSms loaded(env_);
        ASSERT_TRUE(loaded.Load(PathOf("late.sms")));
        EXPECT_EQ(loaded.created, created);

        TGsmSms record = sms->ToRecord();
        TSms received(env_);
        received.FromRecord(record);
        EXPECT_EQ(received.created, created);
    }
}

TEST_F(SmsTest, CloneCopiesEveryField) {
    auto sms = FullMessage();
    sms->SetPath(PathOf("c.sms"));
    sms->listId = 17;
    ASSERT_TRUE(sms->TryLock());
    auto copy = sms->Clone();
    EXPECT_EQ(Stored(*copy), Stored(*sms));
    EXPECT_EQ(copy->listId, 17);
    EXPECT_TRUE(copy->IsBusy());
    EXPECT_FALSE(copy->TryLock());

    sms->Unlock();
    copy->text = "changed";
    EXPECT_TRUE(copy->IsBusy());
    EXPECT_EQ(sms->text, "Hi {you} \\ \t\x80\xff");
    EXPECT_FALSE(sms->Clone()->IsBusy());
}

TEST_F(SmsTest, TryLockAndUnlock) {
    TSms sms(env_);
    EXPECT_TRUE(sms.TryLock());
    EXPECT_FALSE(sms.TryLock());
    EXPECT_TRUE(sms.IsBusy());
    sms.Unlock();
    EXPECT_FALSE(sms.IsBusy());
    EXPECT_TRUE(sms.TryLock());

    constexpr int kThreads = 8;
    for (int round = 0; round < 50; ++round) {
        TSms contested(env_);
        std::atomic<int> winners{0};
        std::latch start(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                start.arrive_and_wait();
                if (contested.TryLock())
                    ++winners;
            });
        }
        for (std::thread& t : threads)
            t.join();
        ASSERT_EQ(winners.load(), 1) << "round " << round;
    }
}

TEST_F(SmsTest, ListLine) {
    TSms sms(env_);
    sms.from = "Ann";
    sms.to = "Bob";
    sms.receivedTime = "2004-03-17 09:05:41";
    sms.text = "hello";
    EXPECT_EQ(sms.ListLine(), "Ann Bob 2004-03-17 09:05:41 hello");
    sms.from.clear();
    sms.receivedTime.clear();
    EXPECT_EQ(sms.ListLine(), "Bob hello");
    sms.type = "GSMSMS_DELIVERY_REPORT";
    EXPECT_EQ(sms.ListLine(), "Bob Message Delivered");
    sms.to.clear();
    sms.type = "GSMSMS";
    sms.text.clear();
    EXPECT_EQ(sms.ListLine(), "");
}

}  // namespace
}  // namespace nimbra
