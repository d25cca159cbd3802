// modemsim, the built program, with the test in the driver's place on the terminal device and
// on the control port.

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec_reader.h"
#include "file_text.h"
#include "pducoder.h"
#include "simulator_process.h"
#include "temp_dir.h"
#include "terminal_peer.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 10s;
const std::string kOk = "\r\nOK\r\n";
const std::string kHello = "0001000B916303112233F4000005E8329BFD06";

using Modem = ModemSimulatorProcess;

using modemsim::test::Letters;
using modemsim::test::PduLine;

struct Step {
    std::string send;
    std::string answer;  // exactly what comes back
};

TEST(ModemsimTest, AnswersTheCommandsOfTheDriverOnItsTerminal) {
    Modem modem(MODEMSIM, {});
    TerminalPeer port(modem.device());
    ASSERT_TRUE(port.open()) << modem.device();
    const std::vector<Step> steps = {
        {"AT\r", "AT\r" + kOk},
        {"ATE0\r", "ATE0\r" + kOk},
        {"AT+CMGF=0\r", kOk},
        {"AT+CNMI=0,0,0,0,0\r", kOk},
        {"AT+CPMS=\"SM\",\"SM\"\r", "\r\n+CPMS: 0,20,0,20,0,20\r\n" + kOk},
        {"AT+CSCA=+36309888000\r", kOk},
        {"AT+CSQ\r", "\r\n+CSQ: 24,99\r\n" + kOk},
        {"AT+CREG?\r", "\r\n+CREG: 0,1\r\n" + kOk},
        {"AT+GMI\r", "\r\nNimbra\r\n" + kOk},
        {"ATI\r", "\r\nSimulated GSM modem\r\n" + kOk},
        {"AT+CMGF=?\r", "\r\n+CMGF: (0,1)\r\n" + kOk},
        {"AT+CMGR=1\r", "\r\n+CMS ERROR: 321\r\n"},
        {"AT+XYZ\r", "\r\nERROR\r\n"},
        {"AT+CMGS=18\r", "\r\n> "},
        {kHello + "\x1A", "\r\n+CMGS: 1\r\n" + kOk},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(port.Send(step.send));
        EXPECT_EQ(port.ReadBytes(step.answer.size()), step.answer) << step.send;
    }
    EXPECT_TRUE(std::regex_match(
        modem.Control("sent"),
        std::regex("ok 1 ref=1 to=\\+36301122334 report=0 part=1/1 dcs=0 length=18 ms=\\d+ "
                   "text=hello\n")));
    EXPECT_EQ(modem.Count("commands"), 14);
    EXPECT_EQ(modem.Count("opens"), 1);
}

TEST(ModemsimTest, AModemAtOneSpeedHearsOnlyThatSpeedAndNamesItself) {
    Modem modem(MODEMSIM, {"--speed", "9600", "--manufacturer", "+GMI: ACME", "--model", "GSM900",
                           "--formats", "none"});
    TerminalPeer port(modem.device());
    ASSERT_TRUE(port.open()) << modem.device();
    ASSERT_TRUE(port.SetSpeed(19200));
    ASSERT_TRUE(port.Send("ATZ\r"));
    EXPECT_TRUE(modem.WaitForLog("not heard at 19200 baud", kTimeout));
    ASSERT_TRUE(port.SetSpeed(9600));
    const std::vector<Step> steps = {
        {"AT+GMI\r", "AT+GMI\r\r\n+GMI: ACME\r\n" + kOk},
        {"ATI\r", "ATI\r\r\nGSM900\r\n" + kOk},
        {"AT+CMGF=?\r", "AT+CMGF=?\r\r\nERROR\r\n"},
        {"AT+CMGF=0\r", "AT+CMGF=0\r\r\nERROR\r\n"},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(port.Send(step.send));
        EXPECT_EQ(port.ReadBytes(step.answer.size()), step.answer) << step.send;
    }
    EXPECT_EQ(modem.Count("commands"), 4) << "the line at the wrong speed was not heard";
}

TEST(ModemsimTest, OffersTheMessageFormatsItIsToldOf) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"both", "(0,1)"}, {"pdu", "(0)"}, {"text", "(1)"}};
    for (const auto& [formats, offered] : cases) {
        Modem modem(MODEMSIM, {"--no-echo", "--formats", formats});
        TerminalPeer port(modem.device());
        ASSERT_TRUE(port.Send("AT+CMGF=?\r"));
        const std::string answer = "\r\n+CMGF: " + offered + "\r\n" + kOk;
        EXPECT_EQ(port.ReadBytes(answer.size()), answer) << formats;
    }
}

class ModemsimMessageTest : public ::testing::Test {
protected:
    // What AT+CMGR shows in a slot, decoded by the project's codec.
    PduDecodeResult ReadSlot(TerminalPeer& port, int slot) {
        EXPECT_TRUE(port.Send("AT+CMGR=" + std::to_string(slot) + "\r"));
        return reader_.Decode(PduLine(port.ReadUntil(kOk)));
    }

    modemsim::test::CodecReader reader_;
};

TEST_F(ModemsimMessageTest, AMessageGoesOutAndItsStatusReportComesBack) {
    Modem modem(MODEMSIM, {"--no-echo", "--report-delay", "50"});
    TerminalPeer port(modem.device());
    TGsmSms record;
    record.receiver = "+36301234567";
    record.text = "Hello \xE9 [x]";
    TsmsPduCodec codec = reader_.Codec();
    const PduPart part = codec.EncodePart(record, 1, true, "");

    ASSERT_TRUE(port.Send("AT+CMGS=" + std::to_string(part.tpduLength) + "\r"));
    EXPECT_EQ(port.ReadUntil("> "), "\r\n> ");
    ASSERT_TRUE(port.Send(part.pdu + "\x1A"));
    EXPECT_EQ(port.ReadUntil(kOk), "\r\n+CMGS: 1\r\n" + kOk);
    const std::string sent = modem.Control("sent 1");
    EXPECT_EQ(sent.substr(0, 45), "ok 1 ref=1 to=+36301234567 report=1 part=1/1 ");
    EXPECT_EQ(sent.substr(sent.find(" text=")), " text=Hello \xC3\xA9 [x]\n");

    ASSERT_TRUE(modem.WaitForCount("reports", 1, kTimeout));
    const PduDecodeResult report = ReadSlot(port, 1);
    EXPECT_EQ(report.kind, kTypeDeliveryReport);
    EXPECT_EQ(report.reference, "1");
    EXPECT_EQ(report.sender, "+36301234567");
    EXPECT_EQ(modem.Control("report 7"), "error no message was sent with reference 7\n");
}

TEST_F(ModemsimMessageTest, ATwoPartMessageIsReadBackAndDeleted) {
    Modem modem(MODEMSIM, {"--no-echo"});
    TerminalPeer port(modem.device());
    const std::string text = Letters(200);
    EXPECT_EQ(modem.Control("deliver +36201234567 " + text), "ok 2 parts stored in SM at 1,2\n");

    EXPECT_EQ(ReadSlot(port, 1).kind, kPduKindPass);
    const PduDecodeResult whole = ReadSlot(port, 2);
    EXPECT_EQ(whole.kind, kTypeMessage);
    EXPECT_EQ(whole.sender, "+36201234567");
    EXPECT_EQ(whole.text, text);

    ASSERT_TRUE(port.Send("AT+CMGD=1\rAT+CMGD=2\r"));
    EXPECT_EQ(port.ReadBytes(2 * kOk.size()), kOk + kOk);
    EXPECT_EQ(modem.Count("stored"), 0);
    EXPECT_EQ(modem.Count("deletes"), 2);
}

struct FaultOption {
    std::string name;
    std::vector<std::string> options;
    std::vector<Step> steps;
};

class ModemsimFaultTest : public ::testing::TestWithParam<FaultOption> {};

TEST_P(ModemsimFaultTest, ShowsTheFaultItWasGiven) {
    Modem modem(MODEMSIM, GetParam().options);
    TerminalPeer port(modem.device());
    for (const Step& step : GetParam().steps) {
        ASSERT_TRUE(port.Send(step.send));
        EXPECT_EQ(port.ReadBytes(step.answer.size()), step.answer) << step.send;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, ModemsimFaultTest,
    ::testing::Values(
        // What the silent command would have answered would come before the OK of AT.
        FaultOption{"Silent",
                    {"--fault", "silent", "--fault-on", "AT+CSQ"},
                    {{"AT+CSQ\rAT\r", "AT\r" + kOk}}},
        FaultOption{"Error", {"--no-echo", "--fault", "error"}, {{"AT\r", "\r\nERROR\r\n"}}},
        FaultOption{
            "CmsErrorOnceAfterTheMessage",
            {"--no-echo", "--fault", "cms:500", "--fault-on", "at+cmgs", "--fault-count", "1"},
            {{"AT+CMGS=18\r", "\r\n> "},
             {kHello + "\x1A", "\r\n+CMS ERROR: 500\r\n"},
             {"AT+CMGS=18\r", "\r\n> "},
             {kHello + "\x1A", "\r\n+CMGS: 1\r\n" + kOk}}},
        FaultOption{"Garbage",
                    {"--no-echo", "--fault", "garbage"},
                    {{"AT\r", std::string("\xFF\xFE\x00\x7F\x80\x81\x94#~junk\r+CM", 17) + kOk}}},
        FaultOption{"Slow",
                    {"--no-echo", "--delay", "200"},
                    {{"AT\rAT+CSQ\r", kOk + "\r\n+CSQ: 24,99\r\n" + kOk}}},
        FaultOption{"EmptySlotZero",
                    {"--no-echo", "--empty-slot", "zero"},
                    {{"AT+CMGR=1\r", "\r\n+CMGR: 0,,0\r\n" + kOk}}},
        FaultOption{
            "TextOnly",
            {"--no-echo", "--formats", "text", "--manufacturer", "ACME", "--model", "GSM900"},
            {{"AT+CMGF=?\r", "\r\n+CMGF: (1)\r\n" + kOk},
             {"AT+GMI;I\r", "\r\nACME\r\n\r\nGSM900\r\n" + kOk}}}),
    [](const ::testing::TestParamInfo<FaultOption>& param) { return param.param.name; });

TEST(ModemsimTest, FaultsAndBadBytesCanBeOrderedWhileItRuns) {
    Modem modem(MODEMSIM, {"--no-echo"});
    TerminalPeer port(modem.device());
    EXPECT_EQ(modem.Control("fault silent"), "ok fault silent on every line for ever\n");
    ASSERT_TRUE(port.Send("AT+CSQ\r"));
    ASSERT_TRUE(modem.WaitForLog("no answer (fault) to AT+CSQ", kTimeout));
    EXPECT_EQ(modem.Control("fault cms:42 AT 1"), "ok fault cms:42 on AT for 1 lines\n");
    ASSERT_TRUE(port.Send("AT\rAT\r"));
    EXPECT_EQ(port.ReadBytes(24), "\r\n+CMS ERROR: 42\r\n" + kOk);

    EXPECT_EQ(modem.Control("noise 10000"), "ok 10000 bytes\n");
    const std::string noise = port.ReadBytes(10000);
    ASSERT_EQ(noise.size(), 10000u);
    EXPECT_EQ(noise.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(modem.Control("raw 0D0A4F4B0D0A"), "ok 6 bytes\n");
    EXPECT_EQ(port.ReadBytes(6), kOk);
    EXPECT_EQ(modem.Control("store NOT A PDU"), "ok line stored in SM at 1\n");
    ASSERT_TRUE(port.Send("AT+CMGR=1\r"));
    EXPECT_EQ(port.ReadUntil(kOk), "\r\n+CMGR: 0,,4\r\nNOT A PDU\r\n" + kOk);
    EXPECT_EQ(modem.Control("fault loud"),
              "error usage: fault none|silent|error|cms:CODE|garbage [PREFIX [N]]\n");
}

TEST(ModemsimTest, SurvivesADriverThatLeavesHalfwayAndLinesWithoutEnd) {
    Modem modem(MODEMSIM, {"--no-echo"});
    {
        TerminalPeer port(modem.device());
        ASSERT_TRUE(port.Send("AT+CMGS=18\r"));
        EXPECT_EQ(port.ReadUntil("> "), "\r\n> ");
        ASSERT_TRUE(port.Send("0001"));
    }
    ASSERT_TRUE(modem.WaitForLog("port closed", kTimeout));
    TerminalPeer port(modem.device());
    ASSERT_TRUE(modem.WaitForCount("opens", 2, kTimeout));
    ASSERT_TRUE(port.Send("AT" + std::string(10000, 'E') + "\rAT\r"));
    const std::string answer = "\r\nERROR\r\n" + kOk;
    EXPECT_EQ(port.ReadBytes(answer.size()), answer);
}

TEST(ModemsimTest, UnplugHangsUpTheDriverAndPlugMakesANewTerminalBehindTheLink) {
    TempDir dir;
    const std::string link = (dir / "modem").string();
    const std::string log = (dir / "modem-log.txt").string();
    Modem modem(MODEMSIM, {"--link", link, "--log", log, "--no-echo"});
    ASSERT_EQ(std::filesystem::read_symlink(link).string(), modem.device());
    {
        TerminalPeer port(link);
        ASSERT_TRUE(port.Send("AT\r"));
        EXPECT_EQ(port.ReadBytes(kOk.size()), kOk);
        EXPECT_EQ(modem.Control("unplug"), "ok unplugged\n");
        EXPECT_TRUE(port.ClosedByPeer());
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(modem.Count("opens"), 1);
    EXPECT_NE(modem.Control("stats").find("port=unplugged"), std::string::npos);

    const std::string plugged = modem.Control("plug");
    EXPECT_EQ(plugged, "ok modem on " + modem.device() + "\n");
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), modem.device());
    TerminalPeer port(link);
    ASSERT_TRUE(port.Send("AT\r"));
    EXPECT_EQ(port.ReadBytes(kOk.size()), kOk);
    EXPECT_EQ(modem.Count("opens"), 2);

    const std::string written = ReadFileText(log);
    EXPECT_NE(written.find("#1 -> AT\\r"), std::string::npos) << written;
    EXPECT_NE(written.find("#1 <- \\r\\nOK\\r\\n"), std::string::npos) << written;
    EXPECT_NE(written.find("#2 -- port opened"), std::string::npos) << written;
}

}  // namespace
}  // namespace nimbra::testing_support
