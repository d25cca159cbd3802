#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "filephone.h"
#include "pdu_test_support.h"
#include "phonemodels.h"
#include "scripted_device.h"
#include "temp_dir.h"
#include "testphone.h"

namespace nimbra::handset::testing {
namespace {

TEST(ConnectDevice, EachDriverInitialisesWithItsCommands) {
    struct Case {
        int driver;
        std::vector<std::string> commands;
        std::map<std::string, std::string> prefs{};
    };
    const std::vector<Case> cases = {
        {kNokiaDataSuite2, {"AT+CMGF=1", "AT+CMGF=1"}},
        {kNokiaDataSuite3, {"AT+CMGF=0", "AT+CNMI=0,0,0,0,0"}},
        {kSiemensM20, {"AT+CMGF=0", "AT+CNMI=0,0,0,0,0"}},
        {kEricssonT20, {"AT+CMGF=0", "AT+CMGF=0", "AT+CPMS=\"ME\""}},
        {kSiemensC35, {"AT+CMGF=0", "AT", "AT+CNMI=0,0,0,0,1"}},
        {kSiemensC35, {"AT+CMGF=0", "AT", "AT+CNMI=1,1,0,2,1"}, {{pref::kDeliveryReport, "1"}}},
        {kTimeport, {"AT+CMGF=0", "AT+CMGF=0", "AT+CPMS=\"SM\""}},
        {kEricssonGM22, {"AT+CMGF=0", "AT+CMGF=0", "AT+CPMS=\"SM\""}},
        {kTellular, {"AT+CMGF=1", "AT+CMGF=1"}},
        {kNokia30, {"AT+CMGF=0", "AT+CNMI=0,0,0,0,0", "AT+CPMS=\"SM\",\"SM\""}},
        {kSagem, {"AT+CMGF=0", "AT+CNMI=0,0,0,0,0", "AT+CPMS=\"ME\""}},
    };
    for (const Case& c : cases) {
        PhoneBench bench(c.driver, c.prefs);
        bench.phone->ConnectDevice();
        EXPECT_EQ(bench.device.commands, c.commands) << c.driver;
        EXPECT_TRUE(bench.device.open);
        bench.phone->DisconnectDevice();
        EXPECT_FALSE(bench.device.open);
    }
}

TEST(ConnectDevice, ARefusedCommandOrPortMeansNotConnected) {
    struct Case {
        int driver;
        std::string refused;  // the command answered ERROR; empty: the port does not open
    };
    const std::vector<Case> cases = {
        {kSiemensM20, ""},
        {kSiemensM20, "AT+CMGF=0"},
        {kSiemensM20, "AT+CNMI=0,0,0,0,0"},
        {kEricssonT20, "AT+CPMS=\"ME\""},
        {kSiemensC35, "AT"},
    };
    for (const Case& c : cases) {
        PhoneBench bench(c.driver);
        bench.device.refuseOpen = c.refused.empty();
        bench.device.script = [&](const std::string& command) {
            return std::string(command == c.refused ? "\r\nERROR\r\n" : "\r\nOK\r\n");
        };
        EXPECT_THROW(bench.phone->ConnectDevice(), EPhoneNotConnected) << c.refused;
    }
    // Commands whose result is ignored.
    for (const int driver : {kSiemensC35, kNokia30, kSagem}) {
        PhoneBench bench(driver);
        bench.device.script = [](const std::string& command) {
            const bool ignored =
                command.rfind("AT+CNMI=0,0,0,0,1", 0) == 0 || command.rfind("AT+CPMS", 0) == 0;
            return std::string(ignored ? "\r\nERROR\r\n" : "\r\nOK\r\n");
        };
        EXPECT_NO_THROW(bench.phone->ConnectDevice()) << driver;
    }
    // The base alone reports the format it could not set.
    PhoneBench base(kSiemensM20);
    base.device.script = [](const std::string&) { return std::string("\r\nERROR\r\n"); };
    EXPECT_THROW(base.phone->TPhone::ConnectDevice(), EPhoneError);
}

TEST(Sagem, SlotNIsDeviceIndexNPlus899) {
    PhoneBench bench(kSagem);
    bench.device.script = [](const std::string& command) {
        return command.rfind("AT+CMGR", 0) == 0
                   ? std::string("\r\n+CMGR: 0,,24\r\nGARBAGE-NOT-A-PDU-AT-ALL\r\n\r\nOK\r\n")
                   : std::string("\r\nOK\r\n");
    };
    TGsmSms record;
    EXPECT_FALSE(bench.phone->ReadSms(3, record));
    EXPECT_EQ(bench.device.commands, (std::vector<std::string>{"AT+CMGR=902", "AT+CMGD=902"}));
    bench.phone->DeleteSms(1);
    EXPECT_EQ(bench.device.commands.back(), "AT+CMGD=900");
}

TEST(SiemensM20, TheNinthReadTimeoutInARowAsksForAReconnect) {
    PhoneBench bench(kSiemensM20);
    bool answer = false;
    bench.device.script = [&](const std::string&) {
        return std::string(answer ? "AT+CMGR=1\r\r\nOK\r\n" : "");
    };
    TGsmSms record;
    for (int i = 0; i < 8; ++i)
        bench.phone->ReadSms(1, record);
    EXPECT_EQ(bench.host.reconnects, 0);
    // An OK in between starts the count again.
    answer = true;
    bench.phone->ReadSms(1, record);
    answer = false;
    for (int i = 0; i < 8; ++i)
        bench.phone->ReadSms(1, record);
    EXPECT_EQ(bench.host.reconnects, 0);
    bench.phone->ReadSms(1, record);
    EXPECT_EQ(bench.host.reconnects, 1);
    // The count starts again after the request.
    for (int i = 0; i < 8; ++i)
        bench.phone->ReadSms(1, record);
    EXPECT_EQ(bench.host.reconnects, 1);
    // Connecting anew resets the count as well.
    answer = true;
    bench.phone->ConnectDevice();
    answer = false;
    bench.phone->ReadSms(1, record);
    EXPECT_EQ(bench.host.reconnects, 1);
}

TEST(Tellular, SendKeepsTheReferenceAndReadTakesTheTimeStamp) {
    PhoneBench bench(kTellular, {{pref::kPhoneNumber, "+3620"}});
    bench.device.script = [](const std::string& command) {
        if (command.rfind("AT+CMGS=", 0) == 0)
            return std::string("\r\n> ");
        if (command.rfind("AT+CMGR=", 0) == 0)
            return std::string(
                "\r\n+CMGR: \"REC UNREAD\",\"+36305556666\",,\"05/03/12,10:20:30+04\"\r\n"
                "Hi there\r\n\r\nOK\r\n");
        return std::string("\r\n+CMGS: 12\r\n\r\nOK\r\n");
    };
    TGsmSms out;
    out.receiver = "+3630";
    out.text = "x";
    ASSERT_TRUE(bench.phone->SubmitSms(out));
    EXPECT_EQ(out.reference, "12");
    TGsmSms in;
    ASSERT_TRUE(bench.phone->ReadSms(1, in));
    EXPECT_EQ(in.sender, "+36305556666");
    EXPECT_EQ(in.receivedTime, "2005/03/12 10:20:30");
    EXPECT_EQ(in.receiver, "+3620");
    EXPECT_EQ(in.text, "Hi there");
    // A timeout is a failure in this mode, whatever the timeout choice says.
    bench.device.script = [](const std::string& command) {
        return command.rfind("AT+CMGS=", 0) == 0 ? std::string("\r\n> ") : std::string();
    };
    EXPECT_FALSE(bench.phone->SubmitSms(out));
}

TEST(TestPhone, HoldsOneMessageAndKeepsTheSentList) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    PhoneBench bench(kTestPhone, {{pref::kPhoneNumber, "+3620"}});
    auto& phone = static_cast<TdmPhone&>(*bench.phone);
    phone.ConnectDevice();
    EXPECT_EQ(bench.host.menuItems, std::vector<std::string>{"+GSM Device1 test phone"});
    EXPECT_FALSE(bench.device.open);

    TGsmSms none;
    EXPECT_FALSE(phone.ReadSms(1, none));
    phone.Receive("+3670", "line one\r\nline two");
    EXPECT_EQ(phone.MemoryStatus(), "Memory: +3670 line one\r\nline two");
    TGsmSms read;
    ASSERT_TRUE(phone.ReadSms(1, read));
    EXPECT_EQ(read.sender, "+3670");
    EXPECT_EQ(read.text, "line oneline two");
    EXPECT_EQ(read.receiver, "+3620");
    EXPECT_EQ(phone.MemoryStatus(), "");
    EXPECT_FALSE(phone.ReadSms(1, read));

    phone.Receive("", "_PDU_" + test::TextDeliver("from a pdu"));
    TGsmSms decoded;
    ASSERT_TRUE(phone.ReadSms(1, decoded));
    EXPECT_EQ(decoded.sender, "+12345678901");
    EXPECT_EQ(decoded.text, "from a pdu");
    // A status report keeps its reference and outcome: a failure never reads as a delivery.
    phone.Receive("",
                  "_PDU_000611"
                  "0B912143658709F1" +
                      test::SemiOctetStamp("05-03-12 10:20:30") +
                      test::SemiOctetStamp("05-03-12 10:21:00") + "41");
    TGsmSms report;
    ASSERT_TRUE(phone.ReadSms(1, report));
    EXPECT_EQ(report.type, kTypeDeliveryReport);
    EXPECT_EQ(report.reference, "17");
    EXPECT_EQ(report.status, "65");

    TGsmSms out;
    out.receiver = "+3630";
    out.text = "sent";
    EXPECT_TRUE(phone.SubmitSms(out));
    EXPECT_EQ(out.sender, "+3620");
    phone.SetDontSend(true);
    EXPECT_FALSE(phone.SubmitSms(out));
    const std::vector<std::string> sent = phone.SentList();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], out.ToText());
    EXPECT_EQ(sent[1], "FAILED: " + out.ToText());
    EXPECT_EQ(phone.GetSignalQuality(), "24");
    EXPECT_EQ(phone.SendATR("AT"), "TIMEOUT");
    EXPECT_TRUE(bench.device.writes.empty());
    phone.DisconnectDevice();
    EXPECT_EQ(bench.host.menuItems.back(), "-GSM Device1 test phone");
}

TEST(FilePhone, WritesEachMessageAsAFileAndRefusesAMissingFolder) {
    testing_support::TempDir folder;
    PhoneBench bench(kTestPhone);
    const PhoneParts parts{bench.device,   bench.clock, bench.log,       ModemTimings{},
                           bench.settings, bench.host,  bench.references};
    int next = 0;
    TfilePhone phone(parts, [&next] { return static_cast<char>('A' + next++ % 26); });
    phone.ConnectDevice();
    EXPECT_EQ(bench.host.menuItems, std::vector<std::string>{"+GSM Device1 directories"});

    TGsmSms record;
    record.sender = "+3620";
    record.receiver = "+3630";
    record.text = "file me";
    bench.store.values["FilePhone/eOut"] = (folder.path() / "missing").string();
    EXPECT_FALSE(phone.SubmitSms(record));
    ASSERT_EQ(bench.host.messages.size(), 1u);
    EXPECT_EQ(bench.host.messages[0],
              "Directory " + (folder.path() / "missing").string() + " does not exist.");

    bench.store.values["FilePhone/eOut"] = folder.path().string();
    ASSERT_TRUE(phone.SubmitSms(record));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ABCDEFGH.sms"});
    std::ifstream in(folder.path() / "ABCDEFGH.sms", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "+3620\r\n+3630\r\nfile me\r\n");
    TGsmSms nothing;
    EXPECT_FALSE(phone.ReadSms(1, nothing));
}

}  // namespace
}  // namespace nimbra::handset::testing
