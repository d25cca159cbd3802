// Incoming messages and delivery reports as devices deliver them.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine_fixture.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

class IncomingTest : public EngineTest {
protected:
    void SetUp() override { StartEngine(); }

    // A message in Sent Items to `to` with the message centre's reference.
    std::string SentMessage(const std::string& to, const std::string& reference) {
        auto message = std::make_unique<TSms>(engine->Sms());
        message->SetTo(to);
        message->text = "sent";
        message->reference = reference;
        const std::string id = message->messageId;
        Folder(SystemFolder::SentItems).Add(std::move(message));
        return id;
    }
    static TGsmSms Report(const std::string& reference, const std::string& sender) {
        TGsmSms report;
        report.type = std::string(kTypeDeliveryReport);
        report.reference = reference;
        report.sender = sender;
        report.text = "Message delivered to: " + sender;
        return report;
    }
    static TGsmSms Incoming(const std::string& sender, const std::string& text) {
        TGsmSms record;
        record.sender = sender;
        record.receiver = "+447000000";
        record.text = text;
        record.messageId = "77";
        return record;
    }
    bool Confirmed(const std::string& id) {
        TSms* message = engine->Queues().FindByMessageId(Folder(SystemFolder::SentItems), id);
        return message && message->iconIndex == kIconDeliveryConfirmed;
    }
};

struct ReferenceCase {
    const char* sent;
    const char* reported;
    bool matches;
};

class ReferenceTest : public IncomingTest, public testing::WithParamInterface<ReferenceCase> {};

TEST_P(ReferenceTest, ReportMatchesByTextOrNumericReading) {
    const std::string id = SentMessage("+447009001", GetParam().sent);
    engine->matchReport(Report(GetParam().reported, "+447009001"));
    EXPECT_EQ(Confirmed(id), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    References, ReferenceTest,
    testing::Values(ReferenceCase{"26", "1A", true}, ReferenceCase{"1A", "26", true},
                    ReferenceCase{"1a", "26", true}, ReferenceCase{"26", "26", true},
                    ReferenceCase{"abc-1", "abc-1", true}, ReferenceCase{"27", "1A", false},
                    ReferenceCase{"xyz", "1A", false}));

TEST_F(IncomingTest, ReportConfirmsOneMessageOnce) {
    RecordingClient& client = AddClient();
    const std::string five = SentMessage("+447009001", "5");
    const std::string seven = SentMessage("+447009001", "7");

    EXPECT_TRUE(engine->matchReport(Report("7", "+447009001")));
    EXPECT_FALSE(Confirmed(five));
    EXPECT_TRUE(Confirmed(seven));
    host.RunPosted();
    EXPECT_EQ(client.events, std::vector<std::string>{"MessageDelivered:" + seven});

    engine->matchReport(Report("7", "+447009001"));
    host.RunPosted();
    EXPECT_FALSE(Confirmed(five));
    EXPECT_EQ(client.events.size(), 1u);
}

TEST_F(IncomingTest, ReportMatchesOnTheLastSixDigitsAndIsSaved) {
    const std::string id = SentMessage("07009001234", "99");
    engine->matchReport(Report("99", "+447009001234"));
    EXPECT_TRUE(Confirmed(id));

    const std::string other = SentMessage("+447009005555", "98");
    engine->matchReport(Report("98", "+447009001234"));
    EXPECT_FALSE(Confirmed(other));

    // The mark is in the file: a fresh read of Sent Items sees it.
    Folder(SystemFolder::SentItems).Reload();
    EXPECT_TRUE(Confirmed(id));
}

TEST_F(IncomingTest, DeviceHandsReportsToMatchingNeverToInbox) {
    Device& device = AddDevice();
    const std::string id = SentMessage("+447009001", "12");
    device.phone->smsReceived(Report("12", "+447009001").ToText());
    EXPECT_TRUE(Confirmed(id));
    EXPECT_EQ(Folder(SystemFolder::Inbox).Count(), 0);
}

// Drivers put the report's outcome into its status: empty (drivers that only report
// deliveries) or "0" confirms, anything else is an outcome that confirms nothing.
struct OutcomeCase {
    const char* name;
    const char* status;
    bool confirms;
};

class ReportOutcome : public IncomingTest, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(ReportOutcome, ConfirmsOnlyADeliveryAndKeepsAnyOtherOutcome) {
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    const std::string id = SentMessage("+447009001", "31");
    TGsmSms report = Report("31", "+447009001");
    report.status = GetParam().status;
    device.phone->smsReceived(report.ToText());
    host.RunPosted();

    EXPECT_EQ(Confirmed(id), GetParam().confirms);
    EXPECT_EQ(Folder(SystemFolder::Inbox).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 0u);
    const std::vector<std::string> delivered = {"MessageDelivered:" + id};
    EXPECT_EQ(client.events, GetParam().confirms ? delivered : std::vector<std::string>{});

    // The stored file says the same after a fresh read.
    Folder(SystemFolder::SentItems).Reload();
    TSms* stored = engine->Queues().FindByMessageId(Folder(SystemFolder::SentItems), id);
    ASSERT_NE(stored, nullptr);
    const std::string errors = ReadHomeFile("logs/error-log.txt");
    const std::string received = ReadHomeFile("logs/receive-log.txt");
    if (GetParam().confirms) {
        EXPECT_EQ(stored->iconIndex, kIconDeliveryConfirmed);
        EXPECT_EQ(stored->spare1, "");
        EXPECT_EQ(errors.find("Delivery report"), std::string::npos) << errors;
    } else {
        EXPECT_NE(stored->iconIndex, kIconDeliveryConfirmed);
        EXPECT_EQ(stored->spare1, GetParam().status);
        const std::string line =
            std::string("Delivery report ") + GetParam().status + ": " + stored->ListLine();
        EXPECT_NE(errors.find(line), std::string::npos) << errors;
        EXPECT_NE(received.find(line), std::string::npos) << received;
    }
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ReportOutcome,
                         testing::Values(OutcomeCase{"NoStatus", "", true},
                                         OutcomeCase{"Delivered", "0", true},
                                         OutcomeCase{"CimdDeliveryFailed", "3", false},
                                         OutcomeCase{"SmppUndeliverable", "UNDELIV", false},
                                         OutcomeCase{"GsmTemporaryError", "48", false}),
                         [](const testing::TestParamInfo<OutcomeCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(IncomingTest, AnOutcomeLeavesTheMessageOpenForItsDeliveryReport) {
    RecordingClient& client = AddClient();
    const std::string id = SentMessage("+447009001", "40");
    TGsmSms waiting = Report("40", "+447009001");
    waiting.status = "1";
    EXPECT_TRUE(engine->matchReport(waiting));
    EXPECT_FALSE(Confirmed(id));
    EXPECT_TRUE(engine->matchReport(Report("40", "+447009001")));
    host.RunPosted();
    EXPECT_TRUE(Confirmed(id));
    EXPECT_EQ(client.events, std::vector<std::string>{"MessageDelivered:" + id});
}

TEST_F(IncomingTest, MessageLandsInInboxWithAFreshIdAndIsAnnounced) {
    RecordingClient& client = AddClient();
    Device& device = AddDevice();
    device.phone->smsReceived(Incoming("+447009001", "hello there").ToText());
    host.RunPosted();

    ASSERT_EQ(Folder(SystemFolder::Inbox).Count(), 1);
    const TSms& stored = Folder(SystemFolder::Inbox).At(0);
    EXPECT_EQ(stored.text, "hello there");
    EXPECT_NE(stored.messageId, "77");
    EXPECT_EQ(client.events, std::vector<std::string>{"MessageReceived:" + stored.messageId});
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 1u);
    EXPECT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(engine->Status().Panel(3).rfind("[smpp1] SMS Received ", 0), 0u);
}

TEST_F(IncomingTest, StatusReportTextNeverReachesInbox) {
    AddDevice().phone->smsReceived(
        Incoming("+447009001", "STATUS REPORT: Received (12) ok").ToText());
    host.RunPosted();
    EXPECT_EQ(Folder(SystemFolder::Inbox).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 0u);
}

TEST_F(IncomingTest, SortingByGroupFilesACopyInTheGroupsFolder) {
    engine->AddressBook().AddUnknownContact("Ann", "+447009001", "Friends", "");
    engine->Options().sortByGroup = true;
    TGsmSms record = Incoming("+447009001", "hi friend");
    engine->ReceiveMessage(record);

    EXPECT_EQ(FilesIn("Folders/Friends"), 1u);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 1u);
    EXPECT_GE(engine->Folders().IndexOf("Friends", nullptr), 0);

    // A sender without a group: Inbox only.
    TGsmSms stranger = Incoming("+447009999", "who am I");
    engine->ReceiveMessage(stranger);
    EXPECT_EQ(FilesIn("Folders/Friends"), 1u);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 2u);
}

TEST_F(IncomingTest, UnknownSendersAreSavedToTheAddressBook) {
    engine->Options().saveSenders = true;
    engine->Options().senderGroup = "Customers";
    TGsmSms record = Incoming("+44 700 9002", "new here");
    engine->ReceiveMessage(record);
    engine->AddressBook().WaitUntilSaved();

    EXPECT_EQ(engine->AddressBook().GroupOf("+447009002"), "Customers");
    std::ifstream file(home / "Addressbook.csv");
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("+447009002"), std::string::npos);
}

TEST_F(IncomingTest, IncomingFilterRewritesFieldsAndLoadsInOrder) {
    static std::vector<std::string> calls;
    calls.clear();
    static const auto rewrite = [](const char* text) -> const char* {
        static std::string out;
        TGsmSms record;
        record.FromText(text);
        record.sender = "+449999999";
        out = record.ToText();
        return out.c_str();
    };
    FilterEntries first;
    first.filterInit = [] { calls.push_back("first init"); };
    first.filterFree = [] { calls.push_back("first free"); };
    first.filterMessage = +rewrite;
    FilterEntries second;
    second.filterInit = [] { calls.push_back("second init"); };
    host.libraries["first.so"] = first;
    host.libraries["second.so"] = second;
    for (const char* name : {"first.so", "second.so"})
        std::ofstream(home / "InFilters" / name) << "library";

    engine->IncomingFilter().Load("first.so");
    TGsmSms record = Incoming("+447009001", "filtered");
    engine->ReceiveMessage(record);
    EXPECT_EQ(Folder(SystemFolder::Inbox).At(0).from, "+449999999");
    EXPECT_EQ(Folder(SystemFolder::Inbox).At(0).text, "filtered");

    engine->IncomingFilter().Load("second.so");
    engine->IncomingFilter().Load("gone.so");
    EXPECT_EQ(calls, (std::vector<std::string>{"first init", "first free", "second init"}));
    const auto pane = PaneTexts();
    EXPECT_TRUE(std::any_of(pane.begin(), pane.end(), [](const std::string& line) {
        return line.find("Checking input filter: gone.so") != std::string::npos;
    }));
}

}  // namespace
}  // namespace nimbra::testing_support
