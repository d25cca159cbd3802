#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "scripted_device.h"

namespace nimbra::handset::testing {
namespace {

using test::SemiOctetStamp;
using test::SevenBitPart;
using test::SubmitToDeliver;
using test::TextDeliver;

// Answers AT+CMGS with the prompt and each PDU with the next reference; `failPart` (from 1)
// is refused.
ScriptedDevice::Script SendingDevice(int firstReference = 17, int failPart = 0) {
    auto part = std::make_shared<int>(0);
    return [=](const std::string& command) -> std::string {
        if (command.rfind("AT+CMGS=", 0) == 0)
            return "\r\n> ";
        if (command.rfind("AT", 0) == 0)
            return "\r\nOK\r\n";
        ++*part;
        if (*part == failPart)
            return "\r\n+CMS ERROR: 500\r\n";
        return "\r\n+CMGS: " + std::to_string(firstReference + *part - 1) + "\r\n\r\nOK\r\n";
    };
}

TGsmSms Message(const std::string& receiver, const std::string& text) {
    TGsmSms record;
    record.receiver = receiver;
    record.text = text;
    record.messageId = "42";
    return record;
}

// The text of a submit PDU as a receiver's phone would read it.
std::string DeliveredText(const std::string& submitPdu) {
    MemoryPduReferenceStore references;
    TsmsPduCodec codec(references);
    return codec.Decode(SubmitToDeliver(submitPdu), false, true).text;
}

TEST(PduSubmit, OnePartGoesAsCmgsWithItsLengthAndTheReferenceIsKept) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    PhoneBench bench(kSiemensM20);
    bench.device.script = SendingDevice();
    TGsmSms record = Message("+36301234567", "Hello from the driver");
    ASSERT_TRUE(bench.phone->SubmitSms(record));
    EXPECT_EQ(record.reference, "17");
    ASSERT_EQ(bench.device.commands.size(), 2u);
    const std::string pdu = bench.device.commands[1];
    // The TPDU follows the empty SMSC part "00": its length in octets.
    EXPECT_EQ(bench.device.commands[0], "AT+CMGS=" + std::to_string((pdu.size() - 2) / 2));
    EXPECT_NE(pdu.find("0B916303214365F7"), std::string::npos) << pdu;
    EXPECT_EQ(DeliveredText(pdu), "Hello from the driver");
    EXPECT_EQ(bench.device.writes.back().back(), kCtrlZ);
}

TEST(PduSubmit, TwoPartsGoSevenSecondsApartAndTheLastReferenceIsKept) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    PhoneBench bench(kSiemensM20);
    bench.device.script = SendingDevice(30);
    TGsmSms record = Message("+36301234567", std::string(200, 'a'));
    ASSERT_TRUE(bench.phone->SubmitSms(record));
    EXPECT_EQ(record.reference, "31");
    ASSERT_EQ(bench.device.commands.size(), 4u);
    EXPECT_GE(bench.device.times[2] - bench.device.times[1], 7000);
    EXPECT_LT(bench.device.times[2] - bench.device.times[1], 8000);
    EXPECT_EQ(DeliveredText(bench.device.commands[1]).size() +
                  DeliveredText(bench.device.commands[3]).size(),
              200u);
}

TEST(PduSubmit, AFailedPartFailsTheMessageAndEndsTheSend) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    struct Case {
        int failPart;
        std::size_t commands;
    };
    // Three parts: the first, the middle or the last refused.
    for (const Case& c : std::vector<Case>{{1, 2}, {2, 4}, {3, 6}}) {
        PhoneBench bench(kSiemensM20);
        bench.device.script = SendingDevice(1, c.failPart);
        TGsmSms record = Message("+36301234567", std::string(400, 'b'));
        EXPECT_FALSE(bench.phone->SubmitSms(record)) << c.failPart;
        EXPECT_EQ(bench.device.commands.size(), c.commands) << c.failPart;
    }
    // No prompt: the part failed before its PDU went out.
    PhoneBench noPrompt(kSiemensM20);
    noPrompt.device.script = [](const std::string&) { return std::string("\r\nERROR\r\n"); };
    TGsmSms record = Message("+36301234567", "x");
    EXPECT_FALSE(noPrompt.phone->SubmitSms(record));
    EXPECT_EQ(noPrompt.device.commands.size(), 1u);
}

TEST(PduSubmit, TheDeliveryReportChoiceAsksForAStatusReport) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    for (const bool report : {false, true}) {
        PhoneBench bench(kSiemensM20, {{pref::kDeliveryReport, report ? "1" : "0"}});
        bench.device.script = SendingDevice();
        TGsmSms record = Message("+36301234567", "hi");
        ASSERT_TRUE(bench.phone->SubmitSms(record));
        const int firstOctet = std::stoi(bench.device.commands[1].substr(2, 2), nullptr, 16);
        EXPECT_EQ((firstOctet & 0x20) != 0, report);
    }
}

// Answers AT+CMGR=<slot> with the given lines after +CMGR, with the echo.
ScriptedDevice::Script ReadingDevice(std::string pdu, bool echo = true) {
    return [=](const std::string& command) -> std::string {
        const std::string head = echo ? command + "\r" : "";
        if (command.rfind("AT+CMGR=", 0) == 0)
            return head + "\r\n+CMGR: 0,,24\r\n" + pdu + "\r\n\r\nOK\r\n";
        return head + "\r\nOK\r\n";
    };
}

TEST(PduRead, AMessageAndAReportAreDecodedIntoTheRecord) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    PhoneBench bench(kSiemensM20, {{pref::kPhoneNumber, "+36209999999"}});
    bench.device.script = ReadingDevice(TextDeliver("Reply from the phone"));
    TGsmSms message;
    ASSERT_TRUE(bench.phone->ReadSms(4, message));
    EXPECT_EQ(bench.device.commands.back(), "AT+CMGR=4");
    EXPECT_EQ(message.type, "GSMSMS");
    EXPECT_EQ(message.sender, "+12345678901");
    EXPECT_EQ(message.receiver, "+36209999999");
    EXPECT_EQ(message.text, "Reply from the phone");

    const std::string report =
        "00"
        "06"
        "11"
        "0B912143658709F1" +
        SemiOctetStamp("05-03-12 10:20:30") + SemiOctetStamp("05-03-12 10:21:00") + "00";
    bench.device.script = ReadingDevice(report);
    TGsmSms delivered;
    ASSERT_TRUE(bench.phone->ReadSms(5, delivered));
    EXPECT_EQ(delivered.type, "GSMSMS_DELIVERY_REPORT");
    EXPECT_EQ(delivered.reference, "17");
    EXPECT_EQ(delivered.status, "0");
}

TEST(PduRead, BadSlotsAreDeletedOrLeftAsTheirKindAsks) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    struct Case {
        const char* what;
        ScriptedDevice::Script script;
        bool deleted;
    };
    const std::vector<Case> cases = {
        {"not hex", ReadingDevice("0791XYZ NOT A PDU AT ALL"), true},
        {"too short", ReadingDevice("0011"), true},
        {"error", [](const std::string&) { return std::string("\r\n+CMS ERROR: 321\r\n"); }, false},
        // A +CMGR line with no PDU after it: the slot holds nothing readable.
        {"no pdu line",
         [](const std::string& c) {
             return c.rfind("AT+CMGR", 0) == 0 ? std::string("\r\n+CMGR: 0,,24\r\nOK\r\n")
                                               : std::string("\r\nOK\r\n");
         },
         true},
        // An answer cut off after the +CMGR line never ends: nothing read, nothing deleted.
        {"cut off",
         [](const std::string& c) {
             return c.rfind("AT+CMGR", 0) == 0 ? std::string("\r\n+CMGR: 0,,24")
                                               : std::string("\r\nOK\r\n");
         },
         false},
        {"echo only (empty slot)", [](const std::string& c) { return c + "\r\r\nOK\r\n"; }, false},
    };
    for (const Case& c : cases) {
        PhoneBench bench(kSiemensM20);
        bench.device.script = c.script;
        TGsmSms record;
        EXPECT_FALSE(bench.phone->ReadSms(6, record)) << c.what;
        const bool deleted = bench.device.commands.back() == "AT+CMGD=6";
        EXPECT_EQ(deleted, c.deleted) << c.what;
    }
}

TEST(PduRead, AConcatenatedMessageArrivesWhenItsLastPartIsRead) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    PhoneBench bench(kNokia30);
    bench.device.script = ReadingDevice(SevenBitPart("050003420201", "Hello "), false);
    TGsmSms first;
    EXPECT_FALSE(bench.phone->ReadSms(1, first));
    EXPECT_EQ(bench.device.commands.back(), "AT+CMGD=1") << "the stored part leaves the device";
    bench.device.script = ReadingDevice(SevenBitPart("050003420202", "world"), false);
    TGsmSms whole;
    ASSERT_TRUE(bench.phone->ReadSms(2, whole));
    EXPECT_EQ(whole.text, "Hello world");
    EXPECT_TRUE(parts.PartFiles().empty());
}

TEST(PduRead, LeaveOnDeviceKeepsEverySlot) {
    test::TempFolder parts;
    SetPduCodecOptions(parts.Options());
    PhoneBench bench(kSiemensM20, {}, {{port::kLeaveOnDevice, "1"}});
    bench.device.script = ReadingDevice("not a pdu at all, not at all");
    TGsmSms record;
    EXPECT_FALSE(bench.phone->ReadSms(3, record));
    EXPECT_TRUE(bench.phone->DeleteSms(3));
    EXPECT_EQ(bench.device.commands, std::vector<std::string>{"AT+CMGR=3"});
}

TEST(TextMode, SendConvertsTheLettersAndTheTimeoutChoiceDecides) {
    struct Case {
        std::string textAnswer;
        std::string timeoutChoice;
        bool sent;
    };
    const std::vector<Case> cases = {
        {"\r\nOK\r\n", "1", true}, {"\r\nERROR\r\n", "1", false},         {"", "1", true},
        {"", "0", false},          {"\r\n+CMS ERROR: 1\r\n", "1", false},
    };
    for (const Case& c : cases) {
        PhoneBench bench(kNokiaDataSuite2, {}, {{port::kTimeoutSent, c.timeoutChoice}});
        bench.device.script = [&](const std::string& command) {
            return command.rfind("AT+CMGS=", 0) == 0 ? std::string("\r\n> ") : c.textAnswer;
        };
        TGsmSms record = Message("+3630", "\xE1rv\xEDzt\xFBr\xF5 \xFC");
        EXPECT_EQ(bench.phone->SubmitSms(record), c.sent) << c.textAnswer << c.timeoutChoice;
        EXPECT_EQ(bench.device.commands[0], "AT+CMGS=\"+3630\"");
        EXPECT_EQ(bench.device.commands[1], "\x85rv\xEDzt\xFBr\xF5 \x81");
    }
}

TEST(TextMode, ReadTakesSenderAndText) {
    PhoneBench bench(kNokiaDataSuite2, {{pref::kPhoneNumber, "+3620"}});
    bench.device.script = [](const std::string&) {
        return std::string(
            "\r\n+CMGR: \"REC UNREAD\",\"+36301112222\",,\"05/03/12,10:20:30+04\"\r\n"
            "Sz\x82p nap\r\n\r\nOK\r\n");
    };
    TGsmSms record;
    ASSERT_TRUE(bench.phone->ReadSms(2, record));
    EXPECT_EQ(record.sender, "+36301112222");
    EXPECT_EQ(record.receiver, "+3620");
    EXPECT_EQ(record.text, "Sz\xE9p nap");
}

TEST(SignalAndRegistration, QueriedWithTheirCommands) {
    PhoneBench bench(kSiemensM20);
    bench.device.script = [](const std::string& command) {
        if (command == "AT+CSQ")
            return std::string("\r\n+CSQ: 19,99\r\n\r\nOK\r\n");
        return std::string("\r\n+CREG: 0,5\r\n\r\nOK\r\n");
    };
    EXPECT_EQ(bench.phone->GetSignalQuality(), "19");
    EXPECT_EQ(bench.phone->GetNetworkRegistration(), "5");
}

}  // namespace
}  // namespace nimbra::handset::testing
