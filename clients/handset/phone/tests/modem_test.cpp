#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atresult.h"
#include "scripted_device.h"

namespace nimbra::handset::testing {
namespace {

TEST(TModem, CommandsGoWithCrAndTheAnswerIsLookedAtAfterTheAnswerWait) {
    PhoneBench bench(kSiemensM20);
    EXPECT_EQ(bench.phone->SendATR("AT"), "OK");
    EXPECT_EQ(bench.device.writes, std::vector<std::string>{"AT\r"});
    EXPECT_EQ(bench.clock.now, 700);
    EXPECT_EQ(bench.log.lines.front(), "<AT\r");
    EXPECT_EQ(bench.log.lines.back(), ">\r\nOK\r\n");
}

TEST(TModem, ResultsOfTheScriptedAnswers) {
    struct Case {
        std::string answer;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"\r\nOK\r\n", "OK"},
        {"\r\nERROR\r\n", "ERROR"},
        {"\r\n+CMS ERROR: 500\r\n", "CMSERROR"},
        {"\r\n> ", "LINE"},
        {"", "TIMEOUT"},
        {"\r\nOK", "TIMEOUT"},  // half a line never ends the wait
    };
    for (const Case& c : cases) {
        PhoneBench bench(kSiemensM20);
        bench.device.script = [&](const std::string&) { return c.answer; };
        EXPECT_EQ(bench.phone->SendATR("AT+CMGS=23"), c.result) << c.answer;
    }
}

TEST(TModem, ALongCommandIsWrittenIn48CharacterPiecesWithPauses) {
    PhoneBench bench(kSiemensM20);
    const std::string command(100, 'A');
    bench.phone->SendATR(command);
    ASSERT_EQ(bench.device.writes.size(), 3u);
    EXPECT_EQ(bench.device.writes[0], command.substr(0, 48));
    EXPECT_EQ(bench.device.writes[1], command.substr(48, 48));
    EXPECT_EQ(bench.device.writes[2], "AAAA\r");
    // Two pauses of 125 ms before the answer wait.
    EXPECT_EQ(bench.device.times.front(), 250);
}

TEST(TModem, NoAnswerTimesOutAfter15SecondsOr4DuringAutodetection) {
    PhoneBench bench(kSiemensM20);
    bench.device.script = [](const std::string&) { return std::string(); };
    EXPECT_EQ(bench.phone->SendATR("AT"), "TIMEOUT");
    EXPECT_GE(bench.clock.now, 15000);
    EXPECT_LT(bench.clock.now, 15100);
    bench.phone->SetAutodetectTimeout(true);
    const long long before = bench.clock.now;
    EXPECT_EQ(bench.phone->SendATR("ATZ"), "TIMEOUT");
    EXPECT_GE(bench.clock.now - before, 4000);
    EXPECT_LT(bench.clock.now - before, 4100);
}

TEST(TModem, ALostPortOrAnAbortEndsTheWaitAtOnce) {
    PhoneBench lost(kSiemensM20);
    lost.device.lost = true;
    EXPECT_EQ(lost.phone->SendATR("AT"), "TIMEOUT");
    EXPECT_LE(lost.clock.now, 700);

    PhoneBench aborted(kSiemensM20);
    aborted.device.script = [&](const std::string&) {
        aborted.phone->Abort();
        return std::string();
    };
    EXPECT_EQ(aborted.phone->SendATR("AT"), "TIMEOUT");
    EXPECT_EQ(aborted.clock.now, 0);
    EXPECT_FALSE(aborted.phone->Pause(1000));
    aborted.phone->ClearAbort();
    EXPECT_TRUE(aborted.phone->Pause(1000));
}

TEST(TModem, GarbageAndEndlessLinesAreSurvivedWithBoundedLines) {
    PhoneBench bench(kSiemensM20);
    bench.device.script = [](const std::string&) {
        std::string noise(10000, 'x');
        noise += "\xFF\x01\x80";
        return noise;
    };
    EXPECT_EQ(bench.phone->SendATR("AT"), "TIMEOUT");
    const std::vector<std::string> lines = bench.phone->RxLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LE(lines[0].size(), 4096u);
    // The next command starts afresh.
    bench.device.script = [](const std::string&) { return std::string("\r\nOK\r\n"); };
    EXPECT_EQ(bench.phone->SendATR("AT"), "OK");
    EXPECT_EQ(bench.phone->RxLines(), (std::vector<std::string>{"", "OK", ""}));
}

TEST(TModem, OpenPortGivesTheDeviceTwoSecondsToSettle) {
    PhoneBench bench(kSiemensM20);
    EXPECT_TRUE(bench.phone->OpenPort());
    EXPECT_EQ(bench.clock.now, 2000);
    EXPECT_TRUE(bench.phone->OpenPort());
    EXPECT_EQ(bench.device.opens, 2);
    bench.device.refuseOpen = true;
    EXPECT_FALSE(bench.phone->OpenPort());
}

TEST(Timings, TheScaleShortensEveryWait) {
    const ModemTimings t = ScaledTimings(0.1);
    EXPECT_EQ(t.commandTimeoutMs, 1500);
    EXPECT_EQ(t.autodetectTimeoutMs, 400);
    EXPECT_EQ(t.settleMs, 200);
    EXPECT_EQ(t.partPauseMs, 700);
    EXPECT_EQ(t.answerWaitMs, 70);
    EXPECT_EQ(t.reconnectPauseMs, 200);
    EXPECT_EQ(ScaledTimings(0.00001).pieceDelayMs, 1);
}

}  // namespace
}  // namespace nimbra::handset::testing
