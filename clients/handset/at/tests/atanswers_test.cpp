#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "atanswers.h"
#include "atlines.h"

namespace nimbra::handset {
namespace {

Lines LinesOf(const std::string& answer) {
    Lines lines;
    AppendToLines(lines, answer);
    return lines;
}

const std::string kPdu =
    "07916303000000F0040B916303214365F70000302190416504400"
    "54C2A9A0A";

TEST(MessageReference, TheLastCmgsLineGivesTheReference) {
    struct Case {
        std::string answer;
        std::optional<std::string> reference;
    };
    const std::vector<Case> cases = {
        {"\r\n+CMGS: 17\r\n\r\nOK\r\n", "17"},
        {"\x1A\r\n+CMGS: 255\r\n\r\nOK\r\n", "255"},
        {"\r\n+CMGS: 3\r\n+CMGS: 4\r\nOK\r\n", "4"},
        {"\r\n+CMGS: 17 \r\n", "17"},
        {"\r\nOK\r\n", std::nullopt},
        {"\r\n+CMGS: \r\n", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageReference(LinesOf(c.answer)), c.reference) << c.answer;
    }
}

TEST(FindPduLine, EachDeviceFamilyReadsItsOwnAnswers) {
    using Outcome = PduReadLine::Outcome;
    const PduReadRules plain{};
    const PduReadRules needsCmgr{.needCmgrLine = true};
    const PduReadRules echo{.echoAware = true, .echoMeansEmpty = true};
    const PduReadRules c35{.echoAware = true, .emptySlotAware = true};
    const PduReadRules timeport{.echoAware = true, .echoMeansEmpty = true, .minPduLength = 16};
    struct Case {
        const char* what;
        PduReadRules rules;
        std::string answer;
        Outcome outcome;
        std::string pdu;
    };
    const std::string withEcho = "AT+CMGR=1\r\r\n+CMGR: 0,,24\r\n" + kPdu + "\r\n\r\nOK\r\n";
    const std::string noEcho = "\r\n+CMGR: 1,,24\r\n" + kPdu + "\r\n\r\nOK\r\n";
    const std::vector<Case> cases = {
        {"no echo", plain, noEcho, Outcome::Pdu, kPdu},
        {"echo", plain, withEcho, Outcome::Pdu, kPdu},
        {"echo, echo-aware", echo, withEcho, Outcome::Pdu, kPdu},
        {"needs cmgr", needsCmgr, noEcho, Outcome::Pdu, kPdu},
        // An empty slot answered with OK only: the first line is taken.
        {"empty slot, plain", plain, "AT+CMGR=4\r\r\nOK\r\n", Outcome::Pdu, ""},
        {"empty slot, needs cmgr", needsCmgr, "\r\nOK\r\n", Outcome::Empty, ""},
        {"empty slot, echo-aware", echo, "AT+CMGR=4\r\r\nOK\r\n", Outcome::Empty, ""},
        // Junk before the echo: the search stops at the echo instead of the first line.
        {"junk then echo", echo, "RING\r\nAT+CMGR=4\r\r\nOK\r\n", Outcome::Empty, ""},
        // The empty-slot rule of the family that answers "+CMGR: 0,,0".
        {"c35 empty", c35, "AT+CMGR=2\r\r\n+CMGR: 0,,0\r\n\r\nOK\r\n", Outcome::Empty, ""},
        {"c35 read", c35, "AT+CMGR=2\r\r\n+CMGR: 1,,24\r\n" + kPdu + "\r\nOK\r\n", Outcome::Pdu,
         kPdu},
        // The C35 takes the line after its echo when no +CMGR came.
        {"c35 echo only", c35, "AT+CMGR=2\r\r\nOK\r\n", Outcome::Pdu, ""},
        // Minimum length.
        {"timeport short", timeport, "\r\n+CMGR: 1,,0\r\n0791630300\r\nOK\r\n", Outcome::Empty, ""},
        {"timeport long", timeport, noEcho, Outcome::Pdu, kPdu},
        // A +CMGR line that is the last line: nothing follows.
        {"no pdu line", plain, "\r\n+CMGR: 1,,24", Outcome::Missing, ""},
        {"nothing", plain, "", Outcome::Missing, ""},
    };
    for (const Case& c : cases) {
        const PduReadLine read = FindPduLine(LinesOf(c.answer), c.rules);
        EXPECT_EQ(read.outcome, c.outcome) << c.what;
        EXPECT_EQ(read.pdu, c.pdu) << c.what;
    }
}

TEST(ParseTextRead, SenderBetweenTheQuotesAndTheTextOnTheNextLine) {
    const auto read = ParseTextRead(
        LinesOf("AT+CMGR=1\r\r\n+CMGR: \"REC UNREAD\",\"+36301234567\",,\"05/03/12,10:20:30+04\""
                "\r\nHello \x81\r\n\r\nOK\r\n"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sender, "+36301234567");
    EXPECT_EQ(read->text, "Hello \xFC");
    EXPECT_FALSE(ParseTextRead(LinesOf("\r\n+CMGR: \"REC READ\",\"+3630\"")));
    EXPECT_FALSE(ParseTextRead({}));
}

TEST(ParseTimeStampedTextRead, TimeStampBecomesADateAndTime) {
    const auto read = ParseTimeStampedTextRead(
        LinesOf("\r\n+CMGR: \"REC UNREAD\",\"+36301234567\",,\"05/03/12,10:20:30+04\"\r\nHi\r\n"
                "\r\nOK\r\n"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sender, "+36301234567");
    EXPECT_EQ(read->receivedTime, "2005/03/12 10:20:30");
    EXPECT_EQ(read->text, "Hi");
    // Without a line after it the text is empty; the read still counts.
    const auto noText = ParseTimeStampedTextRead(
        LinesOf("\r\n+CMGR: \"REC READ\",\"123\",,\"05/03/12,10:20:30-08\""));
    ASSERT_TRUE(noText);
    EXPECT_EQ(noText->receivedTime, "2005/03/12 10:20:30");
    EXPECT_EQ(noText->text, "");
    // The +CMGR line must stand after the first line and hold a comma.
    EXPECT_FALSE(ParseTimeStampedTextRead(LinesOf("+CMGR: 1,\"123\"\r\nHi\r\n")));
    EXPECT_FALSE(ParseTimeStampedTextRead(LinesOf("\r\n+CMGR: empty\r\n")));
    EXPECT_FALSE(ParseTimeStampedTextRead(LinesOf("\r\nOK\r\n")));
}

TEST(SignalAndRegistration, FromTheirAnswerLines) {
    struct Case {
        std::string result;
        std::string answer;
        std::string quality;
        std::string registration;
    };
    const std::vector<Case> cases = {
        {"OK", "\r\n+CSQ: 23,99\r\n+CREG: 0,1\r\n\r\nOK\r\n", "23", "1"},
        {"OK", "\r\n+CSQ: 7,0\r\n+CREG: 0,5\r\nOK\r\n", "7", "5"},
        {"OK", "\r\n+CSQ: ,99\r\n+CREG: 0,x\r\nOK\r\n", "0", "0"},
        {"OK", "\r\n+CSQ: \r\n+CREG: 0\r\nOK\r\n", "0", "0"},
        {"OK", "\r\nOK\r\n", "0", "0"},
        {"ERROR", "\r\n+CSQ: 23,99\r\n+CREG: 0,1\r\nERROR\r\n", "0", ""},
        {"TIMEOUT", "", "0", ""},
    };
    for (const Case& c : cases) {
        const Lines lines = LinesOf(c.answer);
        EXPECT_EQ(SignalQuality(c.result, lines), c.quality) << c.answer;
        EXPECT_EQ(NetworkRegistration(c.result, lines), c.registration) << c.answer;
    }
}

}  // namespace
}  // namespace nimbra::handset
