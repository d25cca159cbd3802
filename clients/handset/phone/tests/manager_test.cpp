#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "phonemanager.h"
#include "scripted_device.h"

namespace nimbra::handset::testing {
namespace {

class RecordingEvents final : public ManagerEvents {
public:
    void Sending(std::string summary) override { events.push_back("sending " + summary); }
    void Reading() override { ++reads; }
    void Sent(std::string reference) override { events.push_back("sent " + reference); }
    void Failed() override { events.push_back("failed"); }
    void Received(std::string record) override { received.push_back(std::move(record)); }
    bool Taken(std::string record) override {
        Received(std::move(record));
        return takes;
    }
    bool takes = true;  // whether the engine stores what it is handed
    void Info(std::string line) override { infos.push_back(std::move(line)); }
    void Reconnect() override { events.push_back("reconnect"); }
    std::vector<std::string> events;
    std::vector<std::string> received;
    std::vector<std::string> infos;
    int reads = 0;
};

// A device whose slots hold PDUs; AT+CMGR of an empty slot answers OK alone.
struct MemoryDevice {
    std::map<std::string, std::map<int, std::string>> memories;
    std::string current = "SM";
    std::vector<std::string> reads;

    ScriptedDevice::Script Script() {
        return [this](const std::string& command) -> std::string {
            if (command.rfind("AT+CPMS=\"", 0) == 0) {
                current = command.substr(9, 2);
            } else if (command.rfind("AT+CMGR=", 0) == 0) {
                const int slot = std::stoi(command.substr(8));
                reads.push_back(current + std::to_string(slot));
                const auto it = memories[current].find(slot);
                if (it != memories[current].end())
                    return "\r\n+CMGR: 0,,24\r\n" + it->second + "\r\n\r\nOK\r\n";
            } else if (command.rfind("AT+CMGD=", 0) == 0) {
                memories[current].erase(std::stoi(command.substr(8)));
            } else if (command.rfind("AT+CMGS=", 0) == 0) {
                return "\r\n> ";
            } else if (command.rfind("AT", 0) != 0) {
                return "\r\n+CMGS: 99\r\n\r\nOK\r\n";
            }
            return "\r\nOK\r\n";
        };
    }
};

struct ManagerBench {
    explicit ManagerBench(std::map<std::string, std::string> prefs = {},
                          std::map<std::string, std::string> portValues = {})
        : phone(kNokia30, std::move(prefs), std::move(portValues)),
          manager(*phone.phone, phone.settings, shared, events) {
        SetPduCodecOptions(parts.Options());
        phone.device.script = device.Script();
        shared.active = true;
    }
    test::TempFolder parts;
    PhoneBench phone;
    MemoryDevice device;
    ManagerShared shared;
    RecordingEvents events;
    TPhoneManager manager;
};

TEST(PhoneManager, SetupSendsTheMemoryChoiceTheInitialisationAndTheServiceCentre) {
    ManagerBench bench(
        {{pref::kServiceCentre, "+36309888000"}},
        {{port::kPreferredMemory, "SIM"}, {port::kModemInit, "ATZ\r\nATE0\r\n\r\n"}});
    bench.manager.Setup();
    EXPECT_EQ(
        bench.phone.device.commands,
        (std::vector<std::string>{"AT+CPMS=\"SM\",\"SM\"", "ATZ", "ATE0", "AT+CSCA=+36309888000"}));
}

TEST(PhoneManager, AMemorySizeBelowOneTakesTheModelsAndIsWrittenBack) {
    for (const std::string stored : {"0", "-3", "many"}) {
        ManagerBench bench({}, {{port::kMemorySize, stored}});
        bench.manager.Setup();
        EXPECT_EQ(bench.phone.phone->memorySize(), 12) << stored;
        EXPECT_EQ(bench.phone.store.values["GSM Device1_comport/eMemSize"], "12") << stored;
    }
}

TEST(PhoneManager, SlotsOneToTheMemorySizeAreReadThenOneAgain) {
    ManagerBench bench({}, {{port::kPreferredMemory, "SIM"}, {port::kMemorySize, "10"}});
    bench.manager.Setup();
    for (int i = 0; i < 11; ++i)
        bench.manager.Cycle();
    EXPECT_EQ(bench.device.reads,
              (std::vector<std::string>{"SM1", "SM2", "SM3", "SM4", "SM5", "SM6", "SM7", "SM8",
                                        "SM9", "SM10", "SM1"}));
    EXPECT_EQ(bench.events.reads, 11);
}

TEST(PhoneManager, BothMemoriesAreReadInTurn) {
    ManagerBench bench({}, {{port::kPreferredMemory, "Both"}, {port::kMemorySize, "2"}});
    bench.manager.Setup();
    for (int i = 0; i < 16; ++i)
        bench.manager.Cycle();
    std::vector<std::string> expected;
    for (int i = 1; i <= 12; ++i)
        expected.push_back("SM" + std::to_string(i));
    expected.insert(expected.end(), {"ME1", "ME2", "SM1", "SM2"});
    EXPECT_EQ(bench.device.reads, expected);
}

TEST(PhoneManager, AMessageIsHandedOverWithTheOperatorAndDeletedFromTheDevice) {
    ManagerBench bench({{pref::kOperator, "Westel"}}, {{port::kPreferredMemory, "SIM"}});
    bench.device.memories["SM"][1] = test::TextDeliver("incoming one");
    bench.device.memories["SM"][2] = test::TextDeliver("incoming two");
    bench.manager.Setup();
    bench.manager.Cycle();
    ASSERT_EQ(bench.events.received.size(), 1u);
    TGsmSms record;
    record.FromText(bench.events.received[0]);
    EXPECT_EQ(record.text, "incoming one");
    EXPECT_EQ(record.operatorName, "Westel");
    EXPECT_FALSE(bench.device.memories["SM"].count(1));
    // While the engine has not taken it, nothing is read: the second stays on the device.
    EXPECT_TRUE(bench.shared.receivedPending);
    bench.manager.Cycle();
    EXPECT_EQ(bench.events.received.size(), 1u);
    EXPECT_TRUE(bench.device.memories["SM"].count(2));
    bench.shared.receivedPending = false;
    for (int i = 0; i < 10 && bench.events.received.size() < 2; ++i)
        bench.manager.Cycle();
    ASSERT_EQ(bench.events.received.size(), 2u);
    EXPECT_FALSE(bench.device.memories["SM"].count(2));
}

TEST(PhoneManager, AMessageTheEngineDidNotStoreStaysOnTheDeviceAndIsReadAgain) {
    ManagerBench bench({}, {{port::kPreferredMemory, "SIM"}, {port::kMemorySize, "2"}});
    bench.device.memories["SM"][1] = test::TextDeliver("keep me");
    bench.manager.Setup();
    bench.events.takes = false;
    bench.manager.Cycle();
    ASSERT_EQ(bench.events.received.size(), 1u);
    EXPECT_TRUE(bench.device.memories["SM"].count(1)) << "deleted before the engine stored it";
    bench.shared.receivedPending = false;
    bench.events.takes = true;
    for (int i = 0; i < 4 && bench.events.received.size() < 2; ++i)
        bench.manager.Cycle();
    ASSERT_EQ(bench.events.received.size(), 2u);
    TGsmSms again;
    again.FromText(bench.events.received[1]);
    EXPECT_EQ(again.text, "keep me");
    EXPECT_FALSE(bench.device.memories["SM"].count(1));
}

// A report of message 17 to +12345678901 with its TP-ST.
std::string Report(const std::string& status) {
    return "000611"
           "0B912143658709F1" +
           test::SemiOctetStamp("05-03-12 10:20:30") + test::SemiOctetStamp("05-03-12 10:21:00") +
           status;
}

// Delivered and final outcomes reach the engine with their status and leave the device when
// read messages do; a report that says the centre still tries is only logged and leaves the
// device in any case.
TEST(PhoneManager, ReportsReachTheEngineWithTheirOutcomeUnlessTheCentreStillTries) {
    struct Case {
        std::string tpStatus;
        std::string deleteRead;
        std::string status;  // empty: not handed over
        bool leavesTheDevice;
    };
    const Case cases[] = {
        {"00", "1", "0", true},  {"01", "1", "0", true},   {"41", "1", "65", true},
        {"60", "1", "96", true}, {"60", "0", "96", false}, {"20", "1", "", true},
        {"20", "0", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tpStatus + " cbDelSMS=" + c.deleteRead);
        ManagerBench bench({},
                           {{port::kPreferredMemory, "SIM"}, {port::kDeleteRead, c.deleteRead}});
        bench.device.memories["SM"][1] = Report(c.tpStatus);
        bench.manager.Setup();
        bench.manager.Cycle();
        EXPECT_EQ(!bench.device.memories["SM"].count(1), c.leavesTheDevice);
        if (c.status.empty()) {
            EXPECT_TRUE(bench.events.received.empty());
            EXPECT_FALSE(bench.shared.receivedPending);
            EXPECT_EQ(
                bench.events.infos,
                std::vector<std::string>{"Status report for 17 to +12345678901: 32 (not final)"});
            continue;
        }
        EXPECT_TRUE(bench.events.infos.empty());
        ASSERT_EQ(bench.events.received.size(), 1u);
        TGsmSms record;
        record.FromText(bench.events.received[0]);
        EXPECT_EQ(record.type, kTypeDeliveryReport);
        EXPECT_EQ(record.reference, "17");
        EXPECT_EQ(record.sender, "+12345678901");
        EXPECT_EQ(record.status, c.status);
    }
}

TEST(PhoneManager, ACycleThatSendsReadsNothingAndReportsAfterTheOutgoingDelay) {
    ManagerBench bench({}, {{port::kPreferredMemory, "SIM"}, {port::kDelayOut, "3"}});
    bench.manager.Setup();
    TGsmSms record;
    record.receiver = "+36301234567";
    record.text = "out";
    bench.shared.SetOutgoing(record);
    bench.shared.sendPending = true;
    const long long before = bench.phone.clock.now;
    bench.manager.Cycle();
    EXPECT_FALSE(bench.shared.sendPending);
    EXPECT_EQ(bench.events.events,
              (std::vector<std::string>{"sending  +36301234567 out", "sent 99"}));
    EXPECT_TRUE(bench.device.reads.empty());
    EXPECT_GE(bench.phone.clock.now - before, 3000);
    bench.manager.Cycle();
    EXPECT_EQ(bench.device.reads.size(), 1u);
}

TEST(PhoneManager, AFailedSendIsReported) {
    ManagerBench bench({}, {{port::kPreferredMemory, "SIM"}});
    bench.phone.device.script = [](const std::string&) { return std::string("\r\nERROR\r\n"); };
    bench.shared.sendPending = true;
    bench.manager.Cycle();
    EXPECT_EQ(bench.events.events.back(), "failed");
    EXPECT_FALSE(bench.shared.sendPending);
}

TEST(PhoneManager, ReceivingOffNeverReadsTheMemory) {
    ManagerBench bench({{pref::kReceive, "0"}}, {});
    bench.manager.Setup();
    for (int i = 0; i < 5; ++i)
        bench.manager.Cycle();
    EXPECT_TRUE(bench.device.reads.empty());
    EXPECT_EQ(bench.events.reads, 0);
}

TEST(PhoneManager, ALostPortEndsTheManagerWithAReconnect) {
    ManagerBench bench({}, {{port::kPreferredMemory, "SIM"}});
    bench.phone.device.lost = true;
    bench.manager.Run();
    EXPECT_TRUE(bench.shared.reconnectRequested);
    EXPECT_EQ(bench.events.events.back(), "reconnect");
    // A manager that is told to stop ends without one.
    ManagerBench stopped({}, {{port::kPreferredMemory, "SIM"}});
    stopped.shared.active = false;
    stopped.manager.Run();
    EXPECT_TRUE(stopped.events.events.empty());
}

}  // namespace
}  // namespace nimbra::handset::testing
