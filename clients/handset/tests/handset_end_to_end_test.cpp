// The handset driver end to end: the real engine starts the real driver, which talks to a
// scripted modem on a pseudo-terminal; messages go out with the command-line client and come
// back as events and files. The driver's waits run at a tenth of their designed length.

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "engine_with_driver.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "pdu_test_support.h"
#include "scripted_modem.h"
#include "temp_dir.h"
#include "timings.h"
#include "unGSMSMS.h"
#include "unStrings.h"
#include "wait.h"

namespace nimbra::handset::testing {
namespace {

using testing_support::EngineWithDriver;
using testing_support::ProcessEventsUntil;

constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
const std::string kName = "GSM Device1";
const std::string kOwnNumber = "+36201112222";
// +36301234567 as a PDU address.
const std::string kRecipientAddress = "0B916303214365F7";

std::vector<std::string> FileLines(const std::filesystem::path& path) {
    const std::string text = testing_support::ReadFileText(path);
    std::vector<std::string> lines;
    for (const std::string_view line : TextLines(text))
        lines.emplace_back(line);
    return lines;
}

std::string DeliveredText(const std::string& submitPdu) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references);
    return codec.Decode(test::SubmitToDeliver(submitPdu), false, true).text;
}

class HandsetEndToEnd : public ::testing::Test {
protected:
    HandsetEndToEnd()
        : harness_({TRANSMIT, NBSMS, nullptr},
                   {HANDSET, "handset", "eInstalledNumber", kName, {}}) {
        setenv(kTimeScaleVariable, "0.1", 1);
    }
    ~HandsetEndToEnd() override { unsetenv(kTimeScaleVariable); }

    void Start(std::map<std::string, std::string> prefs = {},
               std::map<std::string, std::string> portSettings = {}) {
        prefs.emplace("cbGSM", "Siemens M20");
        prefs.emplace("lbComPort", modem_.path());
        prefs.emplace("ePhoneNumber", kOwnNumber);
        portSettings.emplace("eDelayOut", "0");
        for (const auto& [name, value] : portSettings)
            harness_.engine.WriteSetting(PluginKeyPath(kName + "_comport"), name, value);
        ASSERT_TRUE(harness_.StartEngineWith(prefs, prefs["cbGSM"] + "," + prefs["lbComPort"]));
        ASSERT_TRUE(harness_.WaitForScreenLog("Connected to device")) << harness_.ScreenLog();
    }

    std::filesystem::path WaitForFile(const std::string& folder, const std::string& text) {
        std::filesystem::path found;
        ProcessEventsUntil(
            [&] {
                found = EngineWithDriver::FileHolding(harness_.Folder(folder), text);
                return !found.empty();
            },
            kTimeoutMs);
        return found;
    }

    bool WaitFor(const std::function<bool()>& condition, int timeoutMs = kTimeoutMs) {
        return ProcessEventsUntil(condition, timeoutMs);
    }

    ScriptedModem modem_;
    EngineWithDriver harness_;
};

TEST_F(HandsetEndToEnd, AMessageGoesOutAsCmgsAndItsReferenceIsKeptInSentItems) {
    Start();
    const std::string id = harness_.SendWithNbsms("+36301234567", "Hello handset");
    ASSERT_TRUE(WaitFor([&] { return !modem_.Submitted().empty(); })) << harness_.ScreenLog();
    const auto [length, pdu] = modem_.Submitted().front();
    EXPECT_EQ(length, static_cast<int>(pdu.size() - 2) / 2);
    EXPECT_NE(pdu.find(kRecipientAddress), std::string::npos) << pdu;
    EXPECT_EQ(DeliveredText(pdu), "Hello handset");
    const auto file = WaitForFile("Sent Items", "Hello handset");
    ASSERT_FALSE(file.empty()) << harness_.ScreenLog();
    const std::vector<std::string> lines = FileLines(file);
    ASSERT_GT(lines.size(), 7u);
    EXPECT_EQ(lines[0], kOwnNumber);
    EXPECT_EQ(lines[7], "17");
    EXPECT_TRUE(WaitFor([&] { return harness_.sent.contains(QString::fromStdString(id)); }));
}

TEST_F(HandsetEndToEnd, TheStatusReportInTheModemMarksTheMessageDelivered) {
    Start({{"cbDeliver", "1"}});
    const std::string id = harness_.SendWithNbsms("+36301234567", "Report me");
    ASSERT_FALSE(WaitForFile("Sent Items", "Report me").empty()) << harness_.ScreenLog();
    const std::string report =
        "00"
        "06"
        "11" +
        kRecipientAddress + test::SemiOctetStamp("24-03-12 10:20:30") +
        test::SemiOctetStamp("24-03-12 10:21:00") + "00";
    modem_.Store(5, report);
    EXPECT_TRUE(WaitFor([&] { return harness_.delivered.contains(QString::fromStdString(id)); }))
        << harness_.ScreenLog();
    EXPECT_TRUE(WaitFor([&] { return !modem_.Holds(5); }));
    const int firstOctet = std::stoi(modem_.Submitted().front().second.substr(2, 2), nullptr, 16);
    EXPECT_NE(firstOctet & 0x20, 0) << "the status report was asked for";
}

TEST_F(HandsetEndToEnd, AMessageInTheModemReachesTheInboxAndLeavesTheModem) {
    Start();
    modem_.Store(3, test::TextDeliver("Reply from a phone"));
    EXPECT_FALSE(WaitForFile("Inbox", "Reply from a phone").empty()) << harness_.ScreenLog();
    EXPECT_TRUE(WaitFor([&] { return !harness_.received.isEmpty(); }));
    EXPECT_TRUE(WaitFor([&] { return !modem_.Holds(3); }));
    EXPECT_GE(modem_.Count("AT+CMGD=3"), 1);
}

TEST_F(HandsetEndToEnd, ATwoPartMessageArrivesAsOne) {
    Start();
    modem_.Store(1, test::SevenBitPart("050003420201", "Hello "));
    modem_.Store(2, test::SevenBitPart("050003420202", "world"));
    EXPECT_FALSE(WaitForFile("Inbox", "Hello world").empty()) << harness_.ScreenLog();
    // The first part was read first: had it come on its own, it would be there already.
    int messages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(harness_.Folder("Inbox")))
        messages += entry.path().extension() == ".sms" ? 1 : 0;
    EXPECT_EQ(messages, 1);
    // Each part leaves the modem once the engine has answered that it took it.
    EXPECT_TRUE(WaitFor([&] { return !modem_.Holds(1) && !modem_.Holds(2); }));
}

TEST_F(HandsetEndToEnd, ALongTextGoesOutAsTheTwoPartsOfOneMessage) {
    Start();
    // Through a client object: the command-line client cuts texts into messages of its own.
    TGsmSms record;
    record.receiver = "+36301234567";
    record.text = std::string(200, 'x');
    const std::string& text = record.text;
    QVariant msg = QString::fromStdString(record.ToText());
    harness_.client->sendMessage(msg);
    ASSERT_TRUE(WaitFor([&] { return modem_.Submitted().size() >= 2; })) << harness_.ScreenLog();
    // The pause between the parts is shown on the phone's own clock (phone_test.cpp).
    const auto submitted = modem_.Submitted();
    ASSERT_EQ(submitted.size(), 2u);
    EXPECT_EQ(DeliveredText(submitted[0].second) + DeliveredText(submitted[1].second), text);
    const auto file = WaitForFile("Sent Items", text);
    ASSERT_FALSE(file.empty()) << harness_.ScreenLog();
    EXPECT_EQ(FileLines(file)[7], "18") << "the last part's reference";
}

TEST_F(HandsetEndToEnd, ASiemensM20ThatStopsAnsweringReadsIsConnectedAnew) {
    Start();
    ASSERT_EQ(modem_.Count("AT+CMGF=0"), 1);
    modem_.Silence("AT+CMGR");
    // Nine read timeouts of 1.5 s, then the reconnect.
    EXPECT_TRUE(WaitFor([&] { return modem_.Count("AT+CMGF=0") >= 2; }, 40000))
        << harness_.ScreenLog();
    modem_.Speak();
    modem_.Store(2, test::TextDeliver("After the reconnect"));
    EXPECT_FALSE(WaitForFile("Inbox", "After the reconnect").empty()) << harness_.ScreenLog();
}

TEST_F(HandsetEndToEnd, AnUnpluggedModemFailsTheMessageInFlightBackToTheEngine) {
    // The driver knows the modem by a link that goes with it: the terminal's number is free
    // again once the modem is gone, and another test's modem may take it.
    testing_support::TempDir folder;
    const std::filesystem::path link = folder.path() / "modem";
    std::filesystem::create_symlink(modem_.path(), link);
    Start({{"lbComPort", link.string()}});
    // The PDU is never answered; the device goes away while the driver waits.
    modem_.Silence("00");
    ASSERT_FALSE(harness_.SendWithNbsms("+36301234567", "Never lost").empty());
    ASSERT_TRUE(WaitFor([&] { return modem_.Count("00") >= 1; })) << harness_.ScreenLog();
    std::filesystem::remove(link);
    modem_.Unplug();
    EXPECT_FALSE(WaitForFile("Waiting for resend", "Never lost").empty()) << harness_.ScreenLog();
    EXPECT_TRUE(WaitFor([&] { return harness_.ScreenLogHas("Could not connect to"); }))
        << harness_.ScreenLog();
    EXPECT_TRUE(harness_.engine.Running());
}

TEST_F(HandsetEndToEnd, GarbageFromTheModemIsSurvived) {
    Start({}, {{"prefmem", "SIM"}, {"eMemSize", "6"}});
    modem_.AnswerOnce("AT+CMGR=1", std::string(10000, 'z'));
    modem_.AnswerOnce("AT+CMGR=2",
                      "\r\n+CMGR: 0,,24\r\nTHIS IS NOT A HEX PDU AT ALL\r\n\r\nOK\r\n");
    modem_.AnswerOnce("AT+CMGR=3", "\r\n+CMGR: 0,,24\r\n\r\nOK\r\n");
    modem_.AnswerOnce("AT+CMGR=4", "\r\n+CMG");
    modem_.AnswerOnce("AT+CMGR=5", std::string("\xFF\x01\x80\r\n\r\nERR\r\n>\r\n", 13));
    modem_.Store(6, test::TextDeliver("Still alive"));
    EXPECT_FALSE(WaitForFile("Inbox", "Still alive").empty()) << harness_.ScreenLog();
    ASSERT_FALSE(harness_.SendWithNbsms("+36301234567", "And sending").empty());
    EXPECT_FALSE(WaitForFile("Sent Items", "And sending").empty()) << harness_.ScreenLog();
}

TEST_F(HandsetEndToEnd, TheDriverEndsWithTheEngineAndLetsGoOfThePort) {
    Start();
    ASSERT_TRUE(testing_support::ProcessRunning(harness_.Driver()) != 0);
    ASSERT_TRUE(harness_.engine.Stop());
    EXPECT_TRUE(WaitFor([&] { return !testing_support::ProcessRunning(harness_.Driver()) != 0; }));
}

TEST_F(HandsetEndToEnd, ThePortLogHoldsEveryByteAndASuccessfulConnectionSetsAutostart) {
    Start({}, {{"cbLogCom", "1"}});
    ASSERT_FALSE(harness_.SendWithNbsms("+36301234567", "Logged").empty());
    ASSERT_FALSE(WaitForFile("Sent Items", "Logged").empty());
    const auto log = harness_.engine.home() / "logs" / ("comlog_" + kName + ".txt");
    EXPECT_TRUE(testing_support::WaitForFileContaining(
        log, "<AT+CMGS=", std::chrono::milliseconds(kTimeoutMs)));
    const std::string text = testing_support::ReadFileText(log);
    EXPECT_NE(text.find(" <AT+CMGF=0\r"), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find(" >\r\n+CMGS: 17\r\n\r\nOK\r\n"), std::string::npos);
    const std::string settings =
        testing_support::ReadFileText(harness_.engine.settings() / "HKEY_LOCAL_MACHINE.ini");
    EXPECT_NE(settings.find("autostart=true"), std::string::npos);
}

TEST_F(HandsetEndToEnd, TheTestPhoneSendsWithoutADevice) {
    Start({{"cbGSM", "Dummy phone (for developers)"}});
    EXPECT_TRUE(harness_.WaitForScreenLog("Connected to device"));
    ASSERT_FALSE(harness_.SendWithNbsms("+36301234567", "To nobody").empty());
    const auto file = WaitForFile("Sent Items", "To nobody");
    ASSERT_FALSE(file.empty()) << harness_.ScreenLog();
    EXPECT_EQ(FileLines(file)[0], kOwnNumber);
    EXPECT_TRUE(modem_.Commands().empty());
}

TEST_F(HandsetEndToEnd, TheFilePhoneWritesEachMessageToItsFolder) {
    testing_support::TempDir out;
    harness_.engine.WriteSetting(PluginKeyPath("FilePhone"), "eOut", out.path().string());
    Start({{"cbGSM", "File phone (for developers)"}});
    ASSERT_FALSE(harness_.SendWithNbsms("+36301234567", "Into a file").empty());
    ASSERT_FALSE(WaitForFile("Sent Items", "Into a file").empty()) << harness_.ScreenLog();
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(out.path()))
        files.push_back(testing_support::ReadFileText(entry.path()));
    ASSERT_EQ(files.size(), 1u);
    // Sender, receiver and text, one a line.
    EXPECT_NE(files[0].find("\r\n+36301234567\r\nInto a file\r\n"), std::string::npos) << files[0];
}

}  // namespace
}  // namespace nimbra::handset::testing
