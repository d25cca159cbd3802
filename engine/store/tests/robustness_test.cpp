// Damaged and hostile message files: random bytes, random line counts, cut-off files and huge
// lines. Load must never fault (the sanitizer build watches for that), its verdict must follow
// the file's lines, and whatever it accepts must come back unchanged through Save and Load.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "durablewrites.h"
#include "file_text.h"
#include "flush_recorder.h"
#include "recording_notifier.h"
#include "sms.h"
#include "temp_dir.h"
#include "unDate.h"
#include "unStrings.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

constexpr TDateTime kNow = 38063.5;  // 2004-03-17 12:00:00
constexpr std::int64_t kNowSeconds = 1079524800;

using testing_support::RecordingNotifier;
using testing_support::TempDir;

class SmsRobustnessTest : public testing::Test {
protected:
    SmsRobustnessTest() {
        env_.clock = [] { return kNow; };
        env_.notifier = &notifier_;
    }
    std::string Write(const std::string& content) {
        const std::string path = (dir_ / "m.sms").string();
        testing_support::WriteFileText(path, content);
        return path;
    }

    // A loaded message must survive Save and Load unchanged.
    void ExpectStableThroughSave(const TSms& loaded) {
        auto copy = loaded.Clone();
        const std::string path = (dir_ / "again.sms").string();
        ASSERT_TRUE(copy->Save(path));
        TSms again(env_);
        ASSERT_TRUE(again.Load(path));
        EXPECT_EQ(again.from, loaded.from);
        EXPECT_EQ(again.to, loaded.to);
        EXPECT_EQ(again.text, loaded.text);
        EXPECT_EQ(again.retriesLeft, loaded.retriesLeft);
        EXPECT_EQ(again.iconIndex, loaded.iconIndex);
        EXPECT_EQ(again.spare3, loaded.spare3);
        EXPECT_EQ(again.operatorName, loaded.operatorName);
        EXPECT_EQ(again.created, loaded.created);
    }

    // Thousands of files checked for their contents; their flushing is tested on its own.
    testing_support::ScopedNoFlush noFlush_{ProcessDurableWrites()};
    TempDir temp_;
    const fs::path& dir_ = temp_.path();
    RecordingNotifier notifier_;
    SmsEnvironment env_;
};

std::string RandomBytes(std::mt19937& rng, std::size_t maxLength, bool lineBreaks) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(length(rng), ' ');
    for (char& c : s) {
        do {
            c = static_cast<char>(byte(rng));
        } while (!lineBreaks && (c == '\r' || c == '\n'));
    }
    return s;
}

// Contents for lines 5, 12 and 18: numbers (the empty line counts, except on line 12) and not.
// Lines 5 and 12 hold 32-bit numbers, line 18 (the creation time) a 64-bit one.
const std::vector<std::string> kNumbers = {"0", "7", "-12", "+3", "2147483647", "-2147483648", ""};
const std::vector<std::string> kNotNumbers = {"x",          "1.5", "12a",
                                              "2147483648", "--1", std::string("\0001", 2)};
const std::vector<std::string> kNumbers64 = {"0", "-12", "+3", "2147483648", "-9223372036854775808",
                                             ""};
const std::vector<std::string> kNotNumbers64 = {"x", "12a", "9223372036854775808",
                                                std::string("\0001", 2)};

TEST_F(SmsRobustnessTest, RandomLineFilesFollowTheirNumberLines) {
    std::mt19937 rng(18);
    std::uniform_int_distribution<std::size_t> lineCount(0, 22);
    std::bernoulli_distribution number(0.85), lfOnly(0.3), hugeLine(0.001), noFinalBreak(0.3);
    int loadedCount = 0;
    for (int i = 0; i < 1500; ++i) {
        const std::size_t count = lineCount(rng);
        std::vector<std::string> lines;
        bool loads = count >= 12;
        for (std::size_t n = 1; n <= count; ++n) {
            if (n == 5 || n == 12 || n == 18) {
                const bool valid = number(rng);
                const std::vector<std::string>& pool = n == 18
                                                           ? (valid ? kNumbers64 : kNotNumbers64)
                                                           : (valid ? kNumbers : kNotNumbers);
                lines.push_back(pool[rng() % pool.size()]);
                loads = loads && valid && !(n == 12 && lines.back().empty());
            } else {
                lines.push_back(hugeLine(rng) ? std::string(1 << 18, 'h')
                                              : RandomBytes(rng, 40, false));
            }
        }
        const std::string end = lfOnly(rng) ? "\n" : "\r\n";
        std::string content;
        for (const std::string& line : lines)
            content += line + end;
        if (!lines.empty() && !lines.back().empty() && noFinalBreak(rng))
            content.resize(content.size() - end.size());

        TSms sms(env_);
        SCOPED_TRACE("file " + std::to_string(i));
        ASSERT_EQ(sms.Load(Write(content)), loads) << testing::PrintToString(content);
        if (!loads)
            continue;
        ++loadedCount;
        EXPECT_EQ(sms.from, TrimBlanks(lines[0]));
        EXPECT_EQ(sms.text, lines[2]);
        EXPECT_EQ(sms.spare2, lines[10]);
        EXPECT_EQ(std::to_string(sms.iconIndex),
                  lines[11].starts_with('+') ? lines[11].substr(1) : lines[11]);
        if (lines[4].empty()) {
            EXPECT_EQ(sms.retriesLeft, 6);
        }
        if (count < 18 || lines[17].empty()) {
            EXPECT_EQ(sms.created, kNowSeconds);
        } else {
            EXPECT_EQ(sms.created, std::stoll(lines[17]));
        }
        ExpectStableThroughSave(sms);
        if (testing::Test::HasFailure())
            FAIL() << "content: " << testing::PrintToString(content);
    }
    EXPECT_GT(loadedCount, 50);  // the generator must exercise the accepting side too
}

TEST_F(SmsRobustnessTest, RandomAndMutatedBytes) {
    const std::string valid =
        "Ann\r\nBob\r\ntext\r\nrt\r\n3\r\nst\r\nGSMSMS\r\nref\r\n\r\n\r\n\r\n12\r\n\r\nid\r\n"
        "\r\n\r\nop\r\n1079514341\r\n";
    std::mt19937 rng(1079514341);
    std::uniform_int_distribution<int> byte(0, 255);
    int loadedCount = 0;
    for (int i = 0; i < 1000; ++i) {
        std::string content;
        if (i % 2) {
            content = RandomBytes(rng, 300, true);
        } else {
            // A valid file with a few bytes overwritten, inserted or erased.
            content = valid;
            for (int m = 0, mutations = 1 + i % 4; m < mutations && !content.empty(); ++m) {
                const std::size_t at = rng() % content.size();
                constexpr char kLikely[] = {'\r', '\n', '\0', 'x', '5', '-'};
                const char replacement =
                    rng() % 3 ? kLikely[rng() % sizeof kLikely] : static_cast<char>(byte(rng));
                switch (rng() % 3) {
                    case 0:
                        content[at] = replacement;
                        break;
                    case 1:
                        content.insert(at, 1, replacement);
                        break;
                    default:
                        content.erase(at, 1);
                }
            }
        }
        TSms sms(env_);
        SCOPED_TRACE("file " + std::to_string(i));
        if (sms.Load(Write(content))) {
            ++loadedCount;
            ExpectStableThroughSave(sms);
        }
        if (testing::Test::HasFailure())
            FAIL() << "content: " << testing::PrintToString(content);
    }
    EXPECT_GT(loadedCount, 100);
}

TEST_F(SmsRobustnessTest, CutOffFile) {
    const std::vector<std::string> lines = {"Ann",    "Bob",
                                            "text",   "2004-03-17 09:05:42",
                                            "3",      "2004-03-17 09:05:40",
                                            "GSMSMS", "ref",
                                            "s1",     "",
                                            "s2",     "12",
                                            "s3",     "id",
                                            "ex",     "src",
                                            "op",     "1079514341"};
    std::string full;
    std::size_t line12Start = 0;
    std::size_t line18Start = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (n == 11)
            line12Start = full.size();
        if (n == 17)
            line18Start = full.size();
        full += lines[n] + "\r\n";
    }
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        TSms sms(env_);
        const bool loaded = sms.Load(Write(full.substr(0, cut)));
        ASSERT_EQ(loaded, cut > line12Start);
        if (!loaded)
            continue;
        EXPECT_EQ(sms.iconIndex, cut == line12Start + 1 ? 1 : 12);
        if (cut > line18Start) {
            const std::string digits = full.substr(line18Start, cut - line18Start);
            EXPECT_EQ(std::to_string(sms.created), digits.substr(0, digits.find('\r')));
        } else {
            EXPECT_EQ(sms.created, kNowSeconds);
        }
    }
    EXPECT_EQ(notifier_.messages.size(), 0u);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_NE(entry.path().extension(), ".tmp");
}

TEST_F(SmsRobustnessTest, HugeFiles) {
    constexpr std::size_t kBig = 1 << 20;
    std::string hugeText = "from\r\nto\r\n" + std::string(kBig, 't') + std::string(9, '\n') + "0";
    std::string manyLines;
    for (int n = 0; n < 100000; ++n)
        manyLines += "1\r\n";
    const struct {
        const char* name;
        std::string content;
        bool loads;
    } cases[] = {
        {"huge text line", hugeText, true},
        {"many number lines", manyLines, true},
        {"one huge line", std::string(kBig, '7'), false},
        {"many empty lines", std::string(1 << 17, '\n'), false},
        {"huge number line", std::string(11, '\n') + std::string(kBig, '9'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSms sms(env_);
        EXPECT_EQ(sms.Load(Write(c.content)), c.loads);
        if (c.loads) {
            EXPECT_EQ(sms.text.size(), c.content.size() > kBig ? kBig : 1u);
        }
    }
}

}  // namespace
}  // namespace nimbra
