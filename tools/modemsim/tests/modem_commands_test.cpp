// The answers the modem gives to the commands the driver variants and the autodetection send,
// byte for byte, since the driver's answer rules look for exactly these shapes.

#include <string>

#include <gtest/gtest.h>

#include "modem_fixture.h"

namespace modemsim {
namespace {

struct Exchange {
    std::string name;
    std::string input;  // one or more command lines
    std::string answer;
};

std::string Ok(const std::string& info = {}) {
    return (info.empty() ? "" : "\r\n" + info + "\r\n") + "\r\nOK\r\n";
}
const std::string kError = "\r\nERROR\r\n";
std::string Cms(int code) {
    return "\r\n+CMS ERROR: " + std::to_string(code) + "\r\n";
}

class CommandTest : public ::testing::TestWithParam<Exchange> {};

TEST_P(CommandTest, AnswersAsAModemDoes) {
    test::ModemFixture fixture;
    EXPECT_EQ(fixture.Say(GetParam().input), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTest,
    ::testing::Values(
        Exchange{"At", "AT\r", Ok()}, Exchange{"LowerCase", "at\r", Ok()},
        Exchange{"LineFeedIgnored", "AT\r\n", Ok()}, Exchange{"Backspace", "AX\bT\r", Ok()},
        Exchange{"JunkBeforeAt", "\x01zzAT\r", Ok()}, Exchange{"NotACommandLine", "hello\r\r", ""},
        Exchange{"Reset", "ATZ\r", Ok()}, Exchange{"EchoOff", "ATE0\r", Ok()},
        Exchange{"EchoBad", "ATE2\r", kError}, Exchange{"Dial", "ATD+3620;\r", kError},
        Exchange{"Unknown", "AT+XYZ\r", kError}, Exchange{"Malformed", "AT+\r", kError},
        Exchange{"FormatSet", "AT+CMGF=0\r", Ok()},
        Exchange{"FormatText", "AT+CMGF=1\rAT+CMGF?\r", Ok() + Ok("+CMGF: 1")},
        Exchange{"FormatBad", "AT+CMGF=2\r", kError},
        Exchange{"FormatRead", "AT+CMGF?\r", Ok("+CMGF: 0")},
        Exchange{"FormatTest", "AT+CMGF=?\r", Ok("+CMGF: (0,1)")},
        Exchange{"Indications", "AT+CNMI=1,1,0,2,1\rAT+CNMI?\r", Ok() + Ok("+CNMI: 1,1,0,2,1")},
        Exchange{"IndicationsOff", "AT+CNMI=0,0,0,0,0\r", Ok()},
        Exchange{"IndicationsBad", "AT+CNMI=1,1,0,3,1\r", Cms(303)},
        Exchange{"MemoryPhone", "AT+CPMS=\"ME\"\r", Ok("+CPMS: 0,30,0,20,0,20")},
        Exchange{"MemoryBoth", "AT+CPMS=\"SM\",\"SM\"\r", Ok("+CPMS: 0,20,0,20,0,20")},
        Exchange{"MemoryAll", "AT+CPMS=\"MT\",\"ME\",\"SM\"\rAT+CPMS?\r",
                 Ok("+CPMS: 0,50,0,30,0,20") + Ok("+CPMS: \"MT\",0,50,\"ME\",0,30,\"SM\",0,20")},
        Exchange{"MemoryBad", "AT+CPMS=\"XX\"\r", Cms(302)},
        Exchange{"MemoryTest", "AT+CPMS=?\r",
                 Ok("+CPMS: (\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\")")},
        Exchange{"CentreUnquoted", "AT+CSCA=+36301234567\rAT+CSCA?\r",
                 Ok() + Ok("+CSCA: \"+36301234567\",145")},
        Exchange{"CentreQuoted", "AT+CSCA=\"06301234567\",129\rAT+CSCA?\r",
                 Ok() + Ok("+CSCA: \"06301234567\",129")},
        Exchange{"CentreEmpty", "AT+CSCA=\r", kError},
        Exchange{"Signal", "AT+CSQ\r", Ok("+CSQ: 24,99")},
        Exchange{"Registration", "AT+CREG?\r", Ok("+CREG: 0,1")},
        Exchange{"RegistrationMode", "AT+CREG=2\rAT+CREG?\r", Ok() + Ok("+CREG: 2,1")},
        Exchange{"Manufacturer", "AT+GMI\r", Ok("Nimbra")},
        Exchange{"Manufacturer27007", "AT+CGMI\r", Ok("Nimbra")},
        Exchange{"Model", "AT+GMM\r", Ok("Simulated GSM modem")},
        Exchange{"Identification", "ATI\r", Ok("Simulated GSM modem")},
        Exchange{"Pin", "AT+CPIN?\r", Ok("+CPIN: READY")},
        Exchange{"Register", "ATS3?\r", Ok("013")},
        Exchange{"OneLineManyCommands", "AT+CMGF=0;+CSQ;E0\r", Ok("+CSQ: 24,99")},
        Exchange{"StopsAtTheFirstError", "AT+CSQ;+XYZ;+CREG?\r", "\r\n+CSQ: 24,99\r\n" + kError},
        Exchange{"ReadEmptySlot", "AT+CMGR=1\r", Cms(321)},
        Exchange{"ReadOutsideMemory", "AT+CMGR=21\r", Cms(321)},
        Exchange{"ReadNotANumber", "AT+CMGR=x\r", kError},
        Exchange{"DeleteEmptySlot", "AT+CMGD=1\r", Ok()},
        Exchange{"DeleteOutsideMemory", "AT+CMGD=0\r", Cms(321)},
        Exchange{"DeleteTest", "AT+CMGD=?\r", Ok("+CMGD: (),(0-4)")},
        Exchange{"ListEmpty", "AT+CMGL=4\r", Ok()}, Exchange{"SendTest", "AT+CMGS=?\r", Ok()},
        Exchange{"SendLengthMissing", "AT+CMGS\r", kError},
        Exchange{"SendLengthBad", "AT+CMGS=0\r", Cms(304)},
        Exchange{"SendPrompt", "AT+CMGS=18\r", "\r\n> "},
        Exchange{"SendTextModePrompt", "AT+CMGF=1\rAT+CMGS=\"+3620\"\r", Ok() + "\r\n> "}),
    [](const ::testing::TestParamInfo<Exchange>& param) { return param.param.name; });

TEST(CommandTest, EchoesWhatItReadsWhileEchoIsOn) {
    test::ModemFixture fixture(ModemSettings{});
    EXPECT_EQ(fixture.Say("AT+CSQ\r"), "AT+CSQ\r" + Ok("+CSQ: 24,99"));
    EXPECT_EQ(fixture.Say("ATE0\r"), "ATE0\r" + Ok());
    EXPECT_EQ(fixture.Say("AT\r"), Ok());
    EXPECT_EQ(fixture.Say("ATZ\r"), Ok());  // back to the echo of the start settings
    EXPECT_EQ(fixture.Say("AT\r"), "AT\r" + Ok());
}

TEST(CommandTest, ALineTooLongIsRefused) {
    test::ModemFixture fixture;
    EXPECT_EQ(fixture.Say("AT" + std::string(2000, 'E') + "\r"), kError);
    EXPECT_EQ(fixture.Say("AT\r"), Ok());
}

TEST(CommandTest, OffersOnlyTheFormatsItWasGiven) {
    ModemSettings textOnly = test::Quiet();
    textOnly.offersPdu = false;
    test::ModemFixture fixture(textOnly);
    EXPECT_EQ(fixture.Say("AT+CMGF=?\r"), Ok("+CMGF: (1)"));
    EXPECT_EQ(fixture.Say("AT+CMGF=0\r"), kError);
    EXPECT_EQ(fixture.Say("AT+CMGF?\r"), Ok("+CMGF: 1"));
}

TEST(CommandTest, AnEmptySlotIsAnsweredAsConfigured) {
    struct Case {
        EmptySlot emptySlot;
        std::string answer;
    };
    for (const Case& c : {Case{EmptySlot::kCmsError, Cms(321)}, Case{EmptySlot::kOk, Ok()},
                          Case{EmptySlot::kZero, Ok("+CMGR: 0,,0")}}) {
        ModemSettings settings = test::Quiet();
        settings.emptySlot = c.emptySlot;
        test::ModemFixture fixture(settings);
        EXPECT_EQ(fixture.Say("AT+CMGR=3\r"), c.answer);
        EXPECT_EQ(fixture.Say("AT+CMGR=99\r"), Cms(321));  // outside the memory either way
    }
}

TEST(CommandTest, ASignalAndRegistrationSetLaterAreAnswered) {
    test::ModemFixture fixture;
    fixture.modem.SetSignal(7);
    fixture.modem.SetRegistration(5);
    EXPECT_EQ(fixture.Say("AT+CSQ\r"), Ok("+CSQ: 7,99"));
    EXPECT_EQ(fixture.Say("AT+CREG?\r"), Ok("+CREG: 0,5"));
}

}  // namespace
}  // namespace modemsim
