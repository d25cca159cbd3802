// The handset driver end to end against the modem simulator program: the real engine starts
// the real driver, which opens modemsim's pseudo-terminal as its serial port. What goes out is
// read back from the simulator's own account of what it took ("sent"), what comes in is
// ordered with its control commands, and the faults are the simulator's. The driver's waits
// run at a fifth of their designed length (a tenth where nine timeouts are waited out).

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver_time_scale.h"
#include "engine_with_driver.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "simulator_process.h"
#include "temp_dir.h"
#include "unGSMSMS.h"

namespace nimbra::handset::testing {
namespace {

using testing_support::EngineWithDriver;
using testing_support::FileLine;
using testing_support::ProcessEventsUntil;

constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
const std::string kName = "GSM Device1";
const std::string kOwnNumber = "+36201112222";
const std::string kRecipient = "+36301234567";

// A field of the simulator's "sent" answer ("... length=23 ms=1840 text=..."); the text is
// the rest of the line.
std::string SentField(const std::string& line, const std::string& name) {
    if (name == "text") {
        const std::size_t at = line.find(" text=");
        return at == std::string::npos ? std::string()
                                       : line.substr(at + 6, line.find('\n') - at - 6);
    }
    std::smatch match;
    if (std::regex_search(line, match, std::regex(" " + name + "=(\\S*)")))
        return match[1];
    return {};
}

int MessageFiles(const std::filesystem::path& folder) {
    return testing_support::MessageFileCount(folder);
}

class ModemSimulatorEndToEnd : public ::testing::Test {
protected:
    ModemSimulatorEndToEnd()
        : harness_({TRANSMIT, NBSMS, nullptr},
                   {HANDSET, "handset", "eInstalledNumber", kName, {}}) {}

    // The driver knows the modem by a link that goes with it, so that an unplugged modem's
    // terminal, free again, is never taken for it. The modem's references start at 42.
    void Start(std::vector<std::string> modemOptions, std::map<std::string, std::string> prefs = {},
               std::map<std::string, std::string> portSettings = {}) {
        link_ = folder_.path() / "modem";
        modemOptions.insert(modemOptions.end(),
                            {"--link", link_.string(), "--first-reference", "42"});
        modem_ = std::make_unique<testing_support::ModemSimulatorProcess>(MODEMSIM, modemOptions);
        // Five slots of the SIM to read in turn: what the modem stores is found within a moment.
        portSettings.emplace("eDelayOut", "0");
        portSettings.emplace("prefmem", "SIM");
        portSettings.emplace("eMemSize", "5");
        for (const auto& [name, value] : portSettings)
            harness_.engine.WriteSetting(PluginKeyPath(kName + "_comport"), name, value);
        prefs.emplace("cbGSM", "Siemens M20");
        prefs.emplace("lbComPort", link_.string());
        prefs.emplace("ePhoneNumber", kOwnNumber);
        ASSERT_TRUE(harness_.StartEngineWith(prefs, prefs["cbGSM"] + "," + link_.string()));
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

    bool WaitForCount(const std::string& name, int atLeast, int timeoutMs = kTimeoutMs) {
        return ProcessEventsUntil([&] { return modem_->Count(name) >= atLeast; }, timeoutMs);
    }

    // Until the engine has raised `count` such events, and no more.
    static bool WaitForEvents(const QStringList& events, int count) {
        ProcessEventsUntil([&] { return events.size() >= count; }, kTimeoutMs);
        return events.size() == count;
    }

    // Until the modem holds nothing: the driver has deleted every slot it read.
    bool WaitUntilEmpty() {
        return ProcessEventsUntil([&] { return modem_->Count("stored") == 0; }, kTimeoutMs);
    }

    std::string Diagnosis() { return harness_.ScreenLog() + "\n--- modem ---\n" + modem_->Log(); }

    testing_support::TempDir folder_;
    std::filesystem::path link_;
    std::unique_ptr<testing_support::ModemSimulatorProcess> modem_;
    EngineWithDriver harness_;
};

// What a new user of the demo sees: the message goes out, its report and a reply come back.
TEST_F(ModemSimulatorEndToEnd, AMessageGoesOutItsStatusReportAndAReplyComeBack) {
    Start({"--report-delay", "100", "--reply", "Thanks, it arrived"}, {{"cbDeliver", "1"}});
    const std::string id = harness_.SendWithNbsms(kRecipient, "Hello modem");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(WaitForCount("submits", 1)) << Diagnosis();

    // AT+CMGS announced the TPDU's length (the modem refuses a PDU of another length) and
    // the PDU decodes to the recipient and the text, asking for a status report.
    const std::string sent = modem_->Control("sent 1");
    ASSERT_EQ(sent.substr(0, 3), "ok ") << sent;
    EXPECT_EQ(SentField(sent, "ref"), "42");
    EXPECT_EQ(SentField(sent, "to"), kRecipient);
    EXPECT_EQ(SentField(sent, "text"), "Hello modem");
    EXPECT_EQ(SentField(sent, "report"), "1");
    EXPECT_EQ(SentField(sent, "part"), "1/1");
    const std::string length = SentField(sent, "length");
    EXPECT_NE(modem_->Log().find("AT+CMGS=" + length + "\\r"), std::string::npos) << modem_->Log();

    // "+CMGS: 42" is the reference in Sent Items, from the device's own number.
    const std::filesystem::path file = WaitForFile("Sent Items", "Hello modem");
    ASSERT_FALSE(file.empty()) << Diagnosis();
    EXPECT_EQ(FileLine(file, 1), kOwnNumber);
    EXPECT_EQ(FileLine(file, 8), "42");
    EXPECT_TRUE(ProcessEventsUntil([&] { return harness_.Sent(id); }, kTimeoutMs));

    // The status report the modem stored marks the message delivered.
    EXPECT_TRUE(ProcessEventsUntil([&] { return harness_.Delivered(id); }, kTimeoutMs))
        << Diagnosis();

    // The reply the modem stored reaches the Inbox, and the modem is left empty.
    const std::filesystem::path reply = WaitForFile("Inbox", "Thanks, it arrived");
    ASSERT_FALSE(reply.empty()) << Diagnosis();
    EXPECT_TRUE(WaitForEvents(harness_.received, 1));
    EXPECT_TRUE(WaitUntilEmpty()) << Diagnosis();
    EXPECT_GE(modem_->Count("deletes"), 2) << "the report and the reply";
}

TEST_F(ModemSimulatorEndToEnd, LongTextsGoOutAsTwoPartsAPauseApartAndComeInAsOne) {
    Start({"--no-report"});
    // Through a client object: the command-line client cuts long texts into messages itself.
    TGsmSms record;
    record.receiver = kRecipient;
    record.text = std::string(100, 'a') + std::string(100, 'b');
    QVariant msg = QString::fromStdString(record.ToText());
    harness_.client->sendMessage(msg);
    ASSERT_TRUE(WaitForCount("submits", 2)) << Diagnosis();
    const std::string first = modem_->Control("sent 1");
    const std::string second = modem_->Control("sent 2");
    EXPECT_EQ(SentField(first, "part"), "1/2") << first;
    EXPECT_EQ(SentField(second, "part"), "2/2") << second;
    EXPECT_EQ(SentField(first, "text") + SentField(second, "text"), record.text);
    // Seven seconds apart at the designed times; a fifth of them here.
    const int apartMs = std::stoi(SentField(second, "ms")) - std::stoi(SentField(first, "ms"));
    EXPECT_GE(apartMs, 7000 / 5) << first << second;
    EXPECT_LT(apartMs, 7000) << first << second;
    const std::filesystem::path file = WaitForFile("Sent Items", record.text);
    ASSERT_FALSE(file.empty()) << Diagnosis();
    EXPECT_EQ(FileLine(file, 8), "43") << "the last part's reference";

    // A long text to the modem is stored as two parts and reaches the Inbox as one message;
    // both parts leave the modem.
    const std::string incoming = std::string(120, 'c') + std::string(80, 'd');
    ASSERT_EQ(modem_->Control("deliver +36305556666 " + incoming).substr(0, 9), "ok 2 part");
    ASSERT_FALSE(WaitForFile("Inbox", incoming).empty()) << Diagnosis();
    EXPECT_TRUE(WaitUntilEmpty()) << Diagnosis();
    EXPECT_EQ(MessageFiles(harness_.Folder("Inbox")), 1);
    EXPECT_TRUE(WaitForEvents(harness_.received, 1));
}

TEST_F(ModemSimulatorEndToEnd, ASiemensM20ThatStopsAnsweringReadsIsConnectedAnew) {
    // Nine read timeouts of 1.5 s rather than 3 s each.
    const testing_support::ScopedDriverTimeScale tenth("0.1");
    Start({});
    ASSERT_EQ(modem_->Count("opens"), 1);
    ASSERT_EQ(modem_->Control("fault silent AT+CMGR").substr(0, 3), "ok ");
    EXPECT_TRUE(WaitForCount("opens", 2, 40000)) << Diagnosis();
    EXPECT_TRUE(harness_.engine.Running());
    ASSERT_EQ(modem_->Control("fault none").substr(0, 3), "ok ");
    ASSERT_EQ(modem_->Control("deliver +36305556666 After the reconnect").substr(0, 3), "ok ");
    EXPECT_FALSE(WaitForFile("Inbox", "After the reconnect").empty()) << Diagnosis();
}

TEST_F(ModemSimulatorEndToEnd, AnUnpluggedModemFailsTheMessageInFlightBackToTheEngine) {
    Start({"--no-report"});
    // The modem takes the command but never shows the prompt; it goes away meanwhile.
    ASSERT_EQ(modem_->Control("fault silent AT+CMGS").substr(0, 3), "ok ");
    const std::string id = harness_.SendWithNbsms(kRecipient, "Never lost");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(modem_->WaitForLog("AT+CMGS=", std::chrono::milliseconds(kTimeoutMs)))
        << Diagnosis();
    ASSERT_EQ(modem_->Control("unplug").substr(0, 3), "ok ");
    EXPECT_FALSE(WaitForFile("Waiting for resend", "Never lost").empty()) << Diagnosis();
    EXPECT_TRUE(harness_.KeptForRetry(id));
    EXPECT_FALSE(harness_.Sent(id));
    EXPECT_TRUE(ProcessEventsUntil([&] { return harness_.ScreenLogHas("Could not connect to"); },
                                   kTimeoutMs))
        << Diagnosis();
    EXPECT_TRUE(harness_.engine.Running());
    EXPECT_EQ(modem_->Count("submits"), 0);
}

TEST_F(ModemSimulatorEndToEnd, BadInputFromTheModemIsLoggedAndSurvived) {
    Start({}, {}, {{"cbLogCom", "1"}});
    // Slots whose AT+CMGR shows a line that is not hex, or no line at all after the header.
    ASSERT_EQ(modem_->Control("store THIS IS NOT A HEX PDU").substr(0, 3), "ok ");
    ASSERT_EQ(modem_->Control("store").substr(0, 3), "ok ");
    // Bytes of no code page, a result that is not one, a half line, then 10,000 bytes
    // without a line end.
    ASSERT_EQ(modem_->Control("raw FF0180000D0A45525221210D0A2B434D47").substr(0, 3), "ok ");
    ASSERT_EQ(modem_->Control("noise 10000").substr(0, 3), "ok ");
    ASSERT_EQ(modem_->Control("deliver +36305556666 Still alive").substr(0, 3), "ok ");
    EXPECT_FALSE(WaitForFile("Inbox", "Still alive").empty()) << Diagnosis();
    const std::string id = harness_.SendWithNbsms(kRecipient, "And sending");
    ASSERT_FALSE(id.empty());
    EXPECT_FALSE(WaitForFile("Sent Items", "And sending").empty()) << Diagnosis();
    EXPECT_TRUE(harness_.engine.Running());
    EXPECT_TRUE(WaitForEvents(harness_.received, 1));

    // The port log holds what came, the junk included.
    const auto log = harness_.engine.home() / "logs" / ("comlog_" + kName + ".txt");
    const std::string text = testing_support::ReadFileText(log);
    EXPECT_NE(text.find("THIS IS NOT A HEX PDU"), std::string::npos);
    EXPECT_NE(text.find("noise#~*noise#~*"), std::string::npos);
    EXPECT_NE(text.find("ERR!!"), std::string::npos);
}

}  // namespace
}  // namespace nimbra::handset::testing
