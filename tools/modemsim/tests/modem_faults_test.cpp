// The faults the modem shows on command, and answers that come late, on a clock the test
// moves.

#include <string>

#include <gtest/gtest.h>

#include "modem_fixture.h"

namespace modemsim {
namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kHello = "0001000B916303112233F4000005E8329BFD06";

Fault MakeFault(Fault::Kind kind, std::string prefix = {}, int count = -1) {
    Fault fault;
    fault.kind = kind;
    fault.code = 500;
    fault.prefix = std::move(prefix);
    fault.remaining = count;
    return fault;
}

struct FaultCase {
    std::string name;
    Fault fault;
    std::string answer;  // to "AT+CSQ\r" with echo on
};

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, ReplacesTheAnswer) {
    ModemSettings settings;
    settings.fault = GetParam().fault;
    test::ModemFixture fixture(settings);
    EXPECT_EQ(fixture.Say("AT+CSQ\r"), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FaultTest,
    ::testing::Values(
        FaultCase{"None", MakeFault(Fault::Kind::kNone), "AT+CSQ\r\r\n+CSQ: 24,99\r\n" + kOk},
        FaultCase{"Silent", MakeFault(Fault::Kind::kSilent), ""},
        FaultCase{"Error", MakeFault(Fault::Kind::kError), "AT+CSQ\r\r\nERROR\r\n"},
        FaultCase{"CmsError", MakeFault(Fault::Kind::kCmsError), "AT+CSQ\r\r\n+CMS ERROR: 500\r\n"},
        FaultCase{"Garbage", MakeFault(Fault::Kind::kGarbage),
                  std::string("AT+CSQ\r\xFF\xFE\x00\x7F\x80\x81\x94#~junk\r+CM", 24) +
                      "\r\n+CSQ: 24,99\r\n" + kOk},
        FaultCase{"OtherCommandsOnly", MakeFault(Fault::Kind::kSilent, "at+cmgr"),
                  "AT+CSQ\r\r\n+CSQ: 24,99\r\n" + kOk},
        FaultCase{"ThisCommand", MakeFault(Fault::Kind::kError, "at+csq"),
                  "AT+CSQ\r\r\nERROR\r\n"}),
    [](const ::testing::TestParamInfo<FaultCase>& param) { return param.param.name; });

TEST(FaultTest, ACountedFaultEndsAfterItsLines) {
    ModemSettings settings = test::Quiet();
    settings.fault = MakeFault(Fault::Kind::kSilent, "AT+CMGR", 2);
    test::ModemFixture fixture(settings);
    EXPECT_EQ(fixture.Say("AT+CMGR=1\r"), "");
    EXPECT_EQ(fixture.Say("AT\r"), kOk);  // not counted: another command
    EXPECT_EQ(fixture.Say("AT+CMGR=2\r"), "");
    EXPECT_EQ(fixture.Say("AT+CMGR=3\r"), "\r\n+CMS ERROR: 321\r\n");
    EXPECT_FALSE(fixture.modem.fault().active());
}

TEST(FaultTest, AnErrorFaultLeavesTheCommandUndone) {
    ModemSettings settings = test::Quiet();
    settings.fault = MakeFault(Fault::Kind::kError, "AT+CMGD", 1);
    test::ModemFixture fixture(settings);
    fixture.modem.Deliver("+3620", "x");
    EXPECT_EQ(fixture.Say("AT+CMGD=1\r"), "\r\nERROR\r\n");
    EXPECT_EQ(fixture.modem.storedCount(), 1);
}

TEST(FaultTest, AFaultOnSendingComesAfterTheMessageAndNothingIsSent) {
    ModemSettings settings = test::Quiet();
    settings.fault = MakeFault(Fault::Kind::kCmsError, "AT+CMGS", 1);
    test::ModemFixture fixture(settings);
    EXPECT_EQ(fixture.Say("AT+CMGS=18\r"), "\r\n> ");
    EXPECT_EQ(fixture.Say(kHello + "\x1A"), "\r\n+CMS ERROR: 500\r\n");
    EXPECT_TRUE(fixture.modem.sent().empty());
    EXPECT_EQ(fixture.Say("AT+CMGS=18\r"), "\r\n> ");
    EXPECT_EQ(fixture.Say(kHello + "\x1A"), "\r\n+CMGS: 1\r\n" + kOk);
}

TEST(FaultTest, ASilentSendGivesNoPrompt) {
    ModemSettings settings;
    settings.fault = MakeFault(Fault::Kind::kSilent, "AT+CMGS");
    test::ModemFixture fixture(settings);
    EXPECT_EQ(fixture.Say("AT+CMGS=18\r"), "");
    EXPECT_EQ(fixture.Say("AT\r"), "AT\r" + kOk);
}

TEST(DelayTest, AnswersComeLateAndWhatFollowsWaitsForThem) {
    ModemSettings settings;
    settings.delayMs = 500;
    test::ModemFixture fixture(settings);
    EXPECT_EQ(fixture.Say("AT\r"), "AT\r");  // the echo at once
    EXPECT_EQ(fixture.modem.NextDueMs(), 500);
    EXPECT_EQ(fixture.Say("AT+CSQ\r"), "");  // held while the modem is busy
    EXPECT_EQ(fixture.After(499), "");
    EXPECT_EQ(fixture.After(1), kOk + "AT+CSQ\r");
    EXPECT_EQ(fixture.After(500), "\r\n+CSQ: 24,99\r\n" + kOk);
    EXPECT_FALSE(fixture.modem.NextDueMs());
}

TEST(DelayTest, APromptComesLateToo) {
    ModemSettings settings = test::Quiet();
    test::ModemFixture fixture(settings);
    fixture.modem.SetDelay(200);
    EXPECT_EQ(fixture.Say("AT+CMGS=18\r"), "");
    EXPECT_EQ(fixture.After(200), "\r\n> ");
    EXPECT_EQ(fixture.Say(kHello + "\x1A"), "");
    EXPECT_EQ(fixture.After(200), "\r\n+CMGS: 1\r\n" + kOk);
}

TEST(FaultTextTest, ReadsWhatItWrites) {
    for (const char* text : {"none", "silent", "error", "cms:321", "garbage"}) {
        Fault fault;
        const std::optional<Fault::Kind> kind = ParseFaultKind(text, fault.code);
        ASSERT_TRUE(kind) << text;
        fault.kind = *kind;
        EXPECT_EQ(FaultText(fault), text);
    }
    int code = 0;
    for (const char* bad : {"", "cms", "cms:", "cms:x", "cms:1000", "Silent"})
        EXPECT_FALSE(ParseFaultKind(bad, code)) << bad;
}

}  // namespace
}  // namespace modemsim
