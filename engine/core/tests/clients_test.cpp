// The client objects of other programs as they use them: the message server (sending,
// stored messages, system queries, names, the Plugins menu, the client lock), the simple
// sending object and the service monitor, the events each kind hears, and the engine's walk
// of its client list.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine_fixture.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

class ClientsTest : public EngineTest {
protected:
    void SetUp() override { StartEngine(); }

    struct Server {
        std::shared_ptr<TnbMessageServer> object;
        std::unique_ptr<RecordingServerSink> sink;
    };
    // A message-server client, advised and (unless name is empty) logged in.
    Server& AddServer(const std::string& name = "billboard") {
        Server server{engine->CreateMessageServer(), std::make_unique<RecordingServerSink>()};
        server.object->SetSink(server.sink.get());
        if (!name.empty())
            server.object->login(name);
        servers.push_back(std::move(server));
        return servers.back();
    }
    struct Easy {
        std::shared_ptr<TnbEasySMS> object;
        std::unique_ptr<RecordingEasySink> sink;
    };
    Easy& AddEasy() {
        Easy easy{engine->CreateEasySms(), std::make_unique<RecordingEasySink>()};
        easy.object->SetSink(easy.sink.get());
        easies.push_back(std::move(easy));
        return easies.back();
    }
    struct Control {
        std::shared_ptr<TnbServiceControl> object;
        std::unique_ptr<RecordingControlSink> sink;
    };
    Control& AddControl() {
        Control control{engine->CreateServiceControl(), std::make_unique<RecordingControlSink>()};
        control.object->SetSink(control.sink.get());
        controls.push_back(std::move(control));
        return controls.back();
    }

    static std::string Record(const std::string& receiver, const std::string& text,
                              const std::string& id = "") {
        TGsmSms record(kEngineNow);
        record.receiver = receiver;
        record.text = text;
        record.messageId = id;
        return record.ToText();
    }
    static TGsmSms Parse(const std::string& text) {
        TGsmSms record(kEngineNow);
        record.FromText(text);
        return record;
    }
    // Files a message with this id in a folder.
    void Store(SystemFolder folder, const std::string& id, const std::string& text = "stored") {
        auto message = std::make_unique<TSms>(engine->Sms());
        message->SetFrom("+4930111");
        message->SetTo("+4930222");
        message->text = text;
        message->messageId = id;
        Folder(folder).Add(std::move(message));
    }
    TSms* Find(const std::string& id) { return engine->Queues().LocateMessage(id).message; }
    TSmsQueue* FolderOf(const std::string& id) { return engine->Queues().LocateMessage(id).queue; }
    bool Listed(const EngineClient* client) const {
        const auto& list = engine->Clients();
        return std::any_of(list.begin(), list.end(),
                           [client](const auto& listed) { return listed.get() == client; });
    }
    void StartAndSettle() {
        engine->StartbtnClick(true);
        host.RunPosted();
        engine->CheckDevices();  // no device connecting: Stop becomes available
    }
    // Forgets what every client object heard so far.
    void ClearEvents() {
        for (Server& server : servers)
            server.sink->events.clear();
        for (Easy& easy : easies)
            easy.sink->events.clear();
        for (Control& control : controls)
            control.sink->events.clear();
    }
    struct EachKind {
        Server& server;
        Easy& easy;
        Control& control;
    };
    // A client of each kind that hears the engine: the simple objects are named by a start of
    // the running server. What they heard on the way is forgotten.
    EachKind ListeningClientOfEachKind() {
        EachKind kinds{AddServer(), AddEasy(), AddControl()};
        kinds.easy.object->startServer();
        kinds.control.object->startServer();
        host.RunPosted();
        ClearEvents();
        return kinds;
    }

    std::deque<Server> servers;
    std::deque<Easy> easies;
    std::deque<Control> controls;
};

using Events = std::vector<std::string>;

// --- nbMessageServer: sending --------------------------------------------------------------

TEST_F(ClientsTest, SendMessageGivesANewIdAndTellsEveryClientBeforeReturning) {
    Server& sender = AddServer("billboard");
    Server& other = AddServer("monitor");
    Server& anonymous = AddServer("");  // not logged in: hears nothing
    int tmpWhenAccepted = -1;
    int outboxWhenAccepted = -1;
    other.sink->onAccepted = [&] {
        tmpWhenAccepted = Folder(SystemFolder::Tmp).Count();
        outboxWhenAccepted = Folder(SystemFolder::Outbox).Count();
    };

    std::string msg = Record("+44 20-1234 567", "Hello");
    const std::string id = sender.object->sendMessage(msg);

    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }));
    const TGsmSms back = Parse(msg);
    EXPECT_EQ(back.messageId, id);
    EXPECT_EQ(back.receiver, "+44201234567");
    EXPECT_EQ(back.text, "Hello");
    for (Server* server : {&sender, &other})
        EXPECT_EQ(server->sink->events, Events{"Accepted:billboard 1:" + id});
    EXPECT_TRUE(anonymous.sink->events.empty());
    ASSERT_EQ(other.sink->accepted.size(), 1u);
    EXPECT_EQ(Parse(other.sink->accepted[0]).receiver, "+44201234567");
    EXPECT_EQ(tmpWhenAccepted, 1);
    EXPECT_EQ(outboxWhenAccepted, 0);

    EXPECT_EQ(Folder(SystemFolder::Tmp).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Tmp"), 0u);
    ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).messageId, id);
    EXPECT_EQ(FilesIn("SysFolders/Outbox"), 1u);
}

TEST_F(ClientsTest, SendMessageKeepsTheIdTheRecordCarries) {
    Server& sender = AddServer();
    std::string msg = Record("0301234567", "Hi", "12345");
    EXPECT_EQ(sender.object->sendMessage(msg), "12345");
    EXPECT_EQ(Parse(msg).messageId, "12345");
    EXPECT_EQ(sender.sink->events, Events{"Accepted:billboard 1:12345"});
    EXPECT_EQ(FolderOf("12345"), &Folder(SystemFolder::Outbox));
}

// --- nbMessageServer: names ----------------------------------------------------------------

TEST_F(ClientsTest, LoginNumbersClientsOfTheSameNameAndLogoutMarksTheName) {
    int changes = 0;
    engine->onClientsChange = [&changes] { ++changes; };
    Server& first = AddServer("billboard");
    EXPECT_EQ(first.object->realName, "billboard 1");
    EXPECT_EQ(AddServer("billboard").object->realName, "billboard 2");
    EXPECT_EQ(AddServer("other").object->realName, "other 1");
    AddServer("");  // never logged in: not listed
    EXPECT_EQ(engine->ActiveClientsListing(), (Events{"billboard 1", "billboard 2", "other 1"}));

    const int before = changes;
    first.object->logout();
    EXPECT_GT(changes, before);
    EXPECT_EQ(engine->ActiveClientsListing(),
              (Events{"[LOGOUT: billboard 1]", "billboard 2", "other 1"}));
    EXPECT_TRUE(first.object->IsLive());
}

// --- nbMessageServer: queries and stored messages ------------------------------------------

TEST_F(ClientsTest, GetSystemInfoAnswersByTargetAndRequest) {
    Server& client = AddServer();
    QueueOutgoing("0301234567", "one");
    QueueOutgoing("0301234567", "two");
    struct Case {
        const char* target;
        const char* request;
        AutoValue response;
        AutoValue status;
    };
    const Case cases[] = {
        {"system", "exedir", home.path().string() + "/", 1},
        {"system", "language", std::string("English"), 0},
        {"system", "volume", std::string(), 0},
        {"sendqueue", "count", 2, 1},
        {"sendqueue", "size", AutoValue(), 0},
        {"weather", "today", AutoValue(), AutoValue()},
        {"System", "exedir", AutoValue(), AutoValue()},
    };
    for (const Case& c : cases) {
        AutoValue response = std::string("stale");
        const AutoValue status = client.object->getSystemInfo(c.request, c.target, response);
        EXPECT_EQ(response, c.response) << c.target << "/" << c.request;
        EXPECT_EQ(status, c.status) << c.target << "/" << c.request;
    }
    EXPECT_EQ(engine->ProgramDirectory(), home.path().string() + "/");
}

TEST_F(ClientsTest, MassSendFilesEveryLineWithANewIdAndShowsProgress) {
    Server& client = AddServer();
    Server& listener = AddServer("monitor");
    const std::string file = Home("bulk.txt");
    {
        std::ofstream out(file, std::ios::binary);
        out << Record("030 1111", "a", "7") << "\r\n"
            << Record("030 2222", "b", "7") << "\r\n"
            << Record("030 3333", "c");
    }
    std::vector<Engine::Progress> shown;
    engine->onProgress = [&] { shown.push_back(engine->WorkProgress()); };

    AutoValue response = std::string("stale");
    EXPECT_EQ(client.object->getSystemInfo(file, "masssend", response), AutoValue(1));
    EXPECT_EQ(response, AutoValue());

    TSmsQueue& outbox = Folder(SystemFolder::Outbox);
    ASSERT_EQ(outbox.Count(), 3);
    std::vector<std::string> ids;
    for (int i = 0; i < 3; ++i)
        ids.push_back(outbox.At(i).messageId);
    EXPECT_EQ(outbox.At(0).to, "030 1111");  // not normalised
    EXPECT_EQ(outbox.At(2).text, "c");
    for (const std::string& id : ids)
        EXPECT_NE(id, "7");
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_FALSE(outbox.hidden);
    EXPECT_TRUE(client.sink->events.empty());
    EXPECT_TRUE(listener.sink->events.empty());

    ASSERT_GE(shown.size(), 2u);
    EXPECT_TRUE(shown.front().visible);
    EXPECT_EQ(shown.front().maximum, 3);
    EXPECT_EQ(shown.front().position, 0);
    EXPECT_EQ(shown[shown.size() - 2].position, 3);
    EXPECT_FALSE(shown.back().visible);
}

TEST_F(ClientsTest, MassSendOfAMissingFileFailsWithItsName) {
    Server& client = AddServer();
    AutoValue response;
    try {
        client.object->getSystemInfo(Home("missing.txt"), "masssend", response);
        FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("missing.txt"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
    EXPECT_FALSE(engine->WorkProgress().visible);
}

TEST_F(ClientsTest, GetMessageReadsAnyFolder) {
    Server& client = AddServer();
    Store(SystemFolder::SentItems, "501", "sent text");
    AutoValue msg;
    EXPECT_EQ(client.object->getMessage("501", msg), AutoValue(1));
    ASSERT_TRUE(std::holds_alternative<std::string>(msg));
    EXPECT_EQ(Parse(std::get<std::string>(msg)).text, "sent text");
    EXPECT_EQ(client.object->getMessage("502", msg), AutoValue(0));
    EXPECT_EQ(msg, AutoValue(std::string()));
}

TEST_F(ClientsTest, DeleteAndSetMessageAreRefusedWhileTheMessageIsBusy) {
    Server& client = AddServer();
    Store(SystemFolder::Inbox, "601", "original");
    TSms* message = Find("601");
    ASSERT_NE(message, nullptr);
    ASSERT_TRUE(message->TryLock());  // a device is sending it

    EXPECT_EQ(client.object->setMessage("601", Record("030", "changed", "601")), AutoValue(0));
    EXPECT_EQ(client.object->deleteMessage("601"), AutoValue(0));
    EXPECT_EQ(Find("601")->text, "original");

    message->Unlock();
    EXPECT_EQ(client.object->setMessage("601", Record("030", "changed", "601")), AutoValue(1));
    EXPECT_EQ(Find("601")->text, "changed");
    EXPECT_FALSE(Find("601")->IsBusy());
    EXPECT_NE(ReadHomeFile("SysFolders/Inbox/" +
                           std::filesystem::path(Find("601")->path).filename().string())
                  .find("changed"),
              std::string::npos);

    EXPECT_EQ(client.object->deleteMessage("601"), AutoValue(1));
    EXPECT_EQ(Find("601"), nullptr);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 0u);
    EXPECT_EQ(client.object->deleteMessage("601"), AutoValue(0));
    EXPECT_EQ(client.object->setMessage("601", Record("030", "x")), AutoValue(0));
}

TEST_F(ClientsTest, ReSendMovesAStoredMessageBackToTheOutbox) {
    Server& client = AddServer();
    Store(SystemFolder::SentItems, "701", "again");
    Find("701")->retriesLeft = 2;

    EXPECT_EQ(client.object->reSendMessage("701"), AutoValue());
    ASSERT_EQ(FolderOf("701"), &Folder(SystemFolder::Outbox));
    EXPECT_EQ(Find("701")->retriesLeft, 2);
    EXPECT_FALSE(Find("701")->IsBusy());
    EXPECT_EQ(Folder(SystemFolder::SentItems).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 0u);

    // Already in the Outbox: nothing changes.
    const TSms* before = Find("701");
    EXPECT_EQ(client.object->reSendMessage("701"), AutoValue());
    EXPECT_EQ(Find("701"), before);
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 1);

    // Busy or unknown: nothing changes either.
    Store(SystemFolder::CouldNotBeSent, "702");
    ASSERT_TRUE(Find("702")->TryLock());
    client.object->reSendMessage("702");
    EXPECT_EQ(FolderOf("702"), &Folder(SystemFolder::CouldNotBeSent));
    client.object->reSendMessage("703");
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
}

// --- nbMessageServer: server control, status lines ------------------------------------------

TEST_F(ClientsTest, StartAndStopServerAnswerWhetherTheCommandWasAvailable) {
    Server& client = AddServer();
    EXPECT_EQ(client.object->stopServer(), AutoValue(0));
    EXPECT_EQ(client.object->startServer(), AutoValue(1));
    EXPECT_EQ(client.object->startServer(), AutoValue(0));
    host.RunPosted();
    EXPECT_EQ(client.sink->events, Events{"ServerStarted"});
    EXPECT_EQ(client.object->stopServer(), AutoValue(1));
    EXPECT_EQ(client.object->stopServer(), AutoValue(0));
    host.RunPosted();
    EXPECT_EQ(client.sink->events, (Events{"ServerStarted", "ServerStopped"}));
}

TEST_F(ClientsTest, EveryWayToStopStopsAServerWhoseDeviceNeverAnswersConnect) {
    Server& server = AddServer();
    Easy& easy = AddEasy();
    Control& control = AddControl();
    easy.object->startServer();  // names the objects, so that they hear the server stop
    control.object->startServer();
    engine->StopbtnClick();
    host.RunPosted();
    const std::string stopCommand = Home("servercontrol/StopServer.act");
    struct Way {
        const char* name;
        std::function<void()> stop;
    };
    const Way ways[] = {
        {"message server", [&] { EXPECT_EQ(server.object->stopServer(), AutoValue(1)); }},
        {"simple object", [&] { easy.object->stopServer(); }},
        {"service control", [&] { control.object->stopServer(); }},
        {"control folder",
         [&] {
             std::ofstream(stopCommand) << "";
             engine->CheckControlFolder();
             EXPECT_FALSE(fs::exists(stopCommand));
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Device& silent = AddDevice();
        engine->StartbtnClick(true);
        host.RunPosted();
        engine->CheckDevices();
        ASSERT_EQ(silent.phone->sendState, kConnecting);
        ASSERT_EQ(ReadHomeFile("logs/stopbtn.state"), "disabled\r\n");
        ClearEvents();

        way.stop();
        host.RunPosted();
        EXPECT_FALSE(engine->IsRunning());
        EXPECT_EQ(silent.sink->events, (Events{"Connect", "Disconnect"}));
        EXPECT_EQ(silent.phone->sendState, kNotConnected);
        EXPECT_EQ(server.sink->events, Events{"ServerStopped"});
        EXPECT_EQ(easy.sink->events, Events{"ServerStopped"});
        EXPECT_EQ(control.sink->events, Events{"Stopped"});
        EXPECT_EQ(ReadHomeFile("logs/status0.txt"), "The Server is Stoped\r\n");
        EXPECT_EQ(ReadHomeFile("logs/startbtn.state"), "enabled\r\n");
        // The device check after the stop leaves the server stopped.
        silent.phone->connectionSuccess();
        engine->CheckDevices();
        EXPECT_EQ(ReadHomeFile("logs/stopbtn.state"), "disabled\r\n");
        EXPECT_TRUE(engine->StartAvailable());
        EXPECT_FALSE(engine->StopAvailable());
    }
}

TEST_F(ClientsTest, StatusInfoAndLogWriteStatusSlots) {
    Server& client = AddServer();
    client.object->statusInfo("working");
    EXPECT_EQ(ReadHomeFile("logs/status0.txt"), "working\r\n");
    client.object->statusInfo("ping");
    EXPECT_EQ(ReadHomeFile("logs/status0.txt"), "working\r\n");
    client.object->log("status3", "a line");
    EXPECT_EQ(ReadHomeFile("logs/status3.txt"), "a line\r\n");
}

// --- events of the three kinds -------------------------------------------------------------

TEST_F(ClientsTest, EachKindHearsTheEngineHappeningsInItsOwnTerms) {
    StartAndSettle();
    auto [server, easy, control] = ListeningClientOfEachKind();

    Store(SystemFolder::Inbox, "77", "incoming");
    const std::string received = Find("77")->ToRecord().ToText();
    const std::string from = Find("77")->from;
    const std::string retry = kRetryErrorText;
    struct Case {
        const char* name;
        std::function<void()> happen;
        Events server;
        Events easy;
        Events control;
    };
    const Case cases[] = {
        {"sent",
         [&] { engine->PostWithSlot(WindowMessage::MessageSentEvent, "42"); },
         {"MessageSent:42"},
         {"MessageSent:42"},
         {}},
        {"failed",
         [&] { engine->PostWithSlot(WindowMessage::SendAttemptFailedEvent, "42", 1); },
         {"Error:1:" + retry + ":42:1"},
         {"Error:1:" + retry + ":42"},
         {"Error:1:" + retry + ":42"}},
        {"failed, id not a number",
         [&] { engine->PostWithSlot(WindowMessage::SendAttemptFailedEvent, "x9", 1); },
         {"Error:1:" + retry + ":x9:1"},
         {"Error:1:" + retry + ":0"},
         {"Error:1:" + retry + ":0"}},
        {"retries used up",
         [&] { engine->PostWithSlot(WindowMessage::MessageDeletedEvent, "abc"); },
         {"MessageDeleted:abc"},
         {"Error:7:Message could not be sent:0"},
         {}},
        {"delivered",
         [&] { engine->PostWithSlot(WindowMessage::MessageDeliveredEvent, "43"); },
         {"MessageDelivered:43"},
         {"Error:7:Message is delivered:43"},
         {}},
        {"received",
         [&] { engine->PostMessage(WindowMessage::MessageReceivedEvent, 77); },
         {"MessageReceived:" + received},
         {"MessageReceived:" + from + ":incoming"},
         {}},
        {"received, not stored",
         [&] { engine->PostMessage(WindowMessage::MessageReceivedEvent, 78); },
         {},
         {},
         {}},
        {"stopped",
         [&] { engine->StopbtnClick(); },
         {"ServerStopped"},
         {"ServerStopped"},
         {"Stopped"}},
        {"started",
         [&] { engine->StartbtnClick(true); },
         {"ServerStarted"},
         {"ServerStarted"},
         {"Started"}},
        {"language",
         [&] { engine->LanguageChanged("Deutsch"); },
         {"info:setlanguage(Deutsch)"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        c.happen();
        host.RunPosted();
        EXPECT_EQ(server.sink->events, c.server) << c.name;
        EXPECT_EQ(easy.sink->events, c.easy) << c.name;
        EXPECT_EQ(control.sink->events, c.control) << c.name;
        ClearEvents();
    }
}

TEST_F(ClientsTest, EachKindHearsWillRetryOnlyWhileARetryIsLeft) {
    Device& device = AddDevice();
    StartServer();
    auto [server, easy, control] = ListeningClientOfEachKind();
    const std::string id = QueueOutgoing("+447009001", "fails twice");
    Folder(SystemFolder::Outbox).At(0).retriesLeft = 1;
    const std::string number = std::to_string(MessageIdNumber(id));
    const std::string retry = kRetryErrorText;
    struct Attempt {
        const char* name;
        Events server;
        Events easy;
        Events control;
    };
    const Attempt attempts[] = {
        {"a retry left",
         {"Error:1:" + retry + ":" + id + ":1"},
         {"Error:1:" + retry + ":" + number},
         {"Error:1:" + retry + ":" + number}},
        {"the last attempt",
         {"MessageDeleted:" + id},
         {"Error:7:Message could not be sent:" + number},
         {}},
    };
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.name);
        ClearEvents();
        engine->ResendFailedMessages();
        Tick();
        ASSERT_FALSE(device.sink->transmitted.empty());
        ASSERT_EQ(device.sink->transmitted.back().messageId, id);
        device.phone->sendFailed(id, "no network");
        host.RunPosted();
        EXPECT_EQ(server.sink->events, attempt.server);
        EXPECT_EQ(easy.sink->events, attempt.easy);
        EXPECT_EQ(control.sink->events, attempt.control);
    }
    EXPECT_EQ(FilesIn("SysFolders/Could not be sent"), 1u);
    EXPECT_EQ(device.sink->transmitted.size(), 2u);
}

TEST_F(ClientsTest, MessageIdNumberTakesDecimalIdsThatFit) {
    const std::pair<const char*, int> cases[] = {
        {"abc", 0},         {"", 0},   {"123", 123}, {"999999998", 999999998}, {"12a", 0},
        {"99999999999", 0}, {" 5", 0},
    };
    for (const auto& [id, number] : cases)
        EXPECT_EQ(MessageIdNumber(id), number) << '"' << id << '"';
}

TEST_F(ClientsTest, ClosingTheEngineStopsThenShutsDownEachKind) {
    StartAndSettle();
    auto [server, easy, control] = ListeningClientOfEachKind();
    server.object->registerMenuItem("billboard 1 Configuration");

    engine->Exit();
    host.RunPosted();
    EXPECT_EQ(server.sink->events, (Events{"ServerStopped", "ServerShutdown"}));
    EXPECT_EQ(easy.sink->events, Events{"ServerStopped"});
    EXPECT_EQ(control.sink->events, Events{"Stopped"});
    for (const ServerMenu::Item& item : engine->PluginMenu().Items())
        EXPECT_TRUE(item.separator) << item.caption;
}

// --- nbEasySMS and nbServiceControl ---------------------------------------------------------

TEST_F(ClientsTest, EasySendQueuesTheValidRecipientsAndReportsTheOthers) {
    Easy& easy = AddEasy();
    const std::string id = easy.object->sendMessage("111,abc;222", "Hi");
    TSmsQueue& outbox = Folder(SystemFolder::Outbox);
    ASSERT_EQ(outbox.Count(), 2);
    EXPECT_EQ(outbox.At(0).to, "111");
    EXPECT_EQ(outbox.At(0).from, "111");
    EXPECT_EQ(outbox.At(1).to, "222");
    EXPECT_EQ(outbox.At(1).text, "Hi");
    EXPECT_EQ(id, outbox.At(1).messageId);
    EXPECT_EQ(easy.sink->events, Events{"Error:3:Invalid phone number: abc:0"});
}

TEST_F(ClientsTest, EasySendCutsTheTextIntoPartsOf160) {
    Easy& easy = AddEasy();
    const std::string text = std::string(80, 'a') + "\r\n" + std::string(81, 'b');
    const std::string id = easy.object->sendMessage("0301111;0302222", text);
    TSmsQueue& outbox = Folder(SystemFolder::Outbox);
    ASSERT_EQ(outbox.Count(), 4);
    const std::string first = std::string(80, 'a') + std::string(80, 'b');
    const std::pair<std::string, std::string> expected[] = {
        {"0301111", first}, {"0301111", "b"}, {"0302222", first}, {"0302222", "b"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(outbox.At(i).to, expected[i].first) << i;
        EXPECT_EQ(outbox.At(i).text, expected[i].second) << i;
    }
    EXPECT_EQ(id, outbox.At(3).messageId);
    EXPECT_TRUE(easy.sink->events.empty());
}

// A text in the Unicode form is cut by its characters; every part keeps the form, and a
// character of two UTF-16 units stays whole.
TEST_F(ClientsTest, EasySendCutsAUnicodeTextByItsCharacters) {
    const std::string alpha = "03B1";      // Greek small alpha
    const std::string emoji = "D83DDE00";  // one character, two units
    const std::string lineBreak = "000D000A";
    std::string hex;
    for (int i = 0; i < 80; ++i)
        hex += alpha;
    hex += lineBreak;
    for (int i = 0; i < 79; ++i)
        hex += alpha;
    hex += emoji + alpha;
    Easy& easy = AddEasy();
    easy.object->sendMessage("0301111", "_UCS2_" + hex);

    TSmsQueue& outbox = Folder(SystemFolder::Outbox);
    ASSERT_EQ(outbox.Count(), 2);
    std::string first = "_UCS2_";
    for (int i = 0; i < 159; ++i)
        first += alpha;
    EXPECT_EQ(outbox.At(0).text, first);
    EXPECT_EQ(outbox.At(1).text, "_UCS2_" + emoji + alpha);
}

TEST_F(ClientsTest, EasySendOfLineBreaksOnlyQueuesNothingAndAnEmptyTextIsASpace) {
    Easy& easy = AddEasy();
    EXPECT_EQ(easy.object->sendMessage("0301111", "\r\n\n"), "");
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
    EXPECT_TRUE(easy.sink->events.empty());

    const std::string id = easy.object->sendMessage("0301111", "");
    ASSERT_EQ(Folder(SystemFolder::Outbox).Count(), 1);
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).text, " ");
    EXPECT_EQ(Folder(SystemFolder::Outbox).At(0).messageId, id);
}

TEST_F(ClientsTest, EasySendWithoutAValidRecipientSaysSo) {
    struct Case {
        const char* phonenum;
        Events events;
    };
    const Case cases[] = {
        {"", {"Error:4:No recepient specified:0"}},
        {"x", {"Error:4:No recepient specified:0"}},   // one character: dropped silently
        {"ab", {"Error:4:No recepient specified:0"}},  // last entry: dropped silently
        {"ab,", {"Error:3:Invalid phone number: ab:0", "Error:4:No recepient specified:0"}},
    };
    for (const Case& c : cases) {
        Easy& easy = AddEasy();
        EXPECT_EQ(easy.object->sendMessage(c.phonenum, "Hi"), "") << c.phonenum;
        EXPECT_EQ(easy.sink->events, c.events) << c.phonenum;
    }
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
}

TEST_F(ClientsTest, StartNamesTheObjectOneMoreThanTheObjectsOfItsKind) {
    // The object is listed from its creation, so the first one is named with 2.
    Easy& first = AddEasy();
    AddServer();  // other kinds do not count
    Control& monitor = AddControl();
    first.object->startServer();
    EXPECT_EQ(first.object->name, "easysmscom 2");
    host.RunPosted();
    EXPECT_EQ(first.sink->events, Events{"ServerStarted"});
    EXPECT_TRUE(monitor.sink->events.empty());  // no name yet: not told

    Easy& second = AddEasy();
    second.object->startServer();
    EXPECT_EQ(second.object->name, "easysmscom 3");
    monitor.object->startServer();
    EXPECT_EQ(monitor.object->name, "ServiceMonitorcom 2");
}

TEST_F(ClientsTest, StartOnARunningServerReportsButStillNamesTheObject) {
    StartAndSettle();
    Easy& easy = AddEasy();
    Control& control = AddControl();
    easy.object->startServer();
    control.object->startServer();
    EXPECT_EQ(easy.sink->events, Events{"Error:5:Server already running:0"});
    EXPECT_EQ(control.sink->events, Events{"Error:5:Server already running:0"});
    EXPECT_FALSE(easy.object->name.empty());

    easy.object->stopServer();
    host.RunPosted();
    EXPECT_EQ(easy.sink->events, (Events{"Error:5:Server already running:0", "ServerStopped"}));
    EXPECT_EQ(control.sink->events, (Events{"Error:5:Server already running:0", "Stopped"}));

    control.object->stopServer();
    easy.object->stopServer();
    EXPECT_EQ(control.sink->events.back(), "Error:6:Server is not running:0");
    EXPECT_EQ(easy.sink->events.back(), "Error:6:Server is not running:0");
    EXPECT_EQ(easy.sink->events.size(), 3u);  // the other object's error is not heard here
}

TEST_F(ClientsTest, ShowMonitorAsksTheMainLoop) {
    std::vector<WindowMessage> requests;
    engine->onWindowRequest = [&requests](WindowMessage m) { requests.push_back(m); };
    Control& control = AddControl();
    control.object->showMonitor();
    EXPECT_TRUE(requests.empty());
    host.RunPosted();
    EXPECT_EQ(requests, std::vector<WindowMessage>{WindowMessage::ShowMonitor});
}

// --- the walk of the client list -----------------------------------------------------------

TEST_F(ClientsTest, WalkSkipsObjectsWithoutSinkOrNameAndDropsThoseLetGo) {
    auto waiting = engine->CreateMessageServer();  // no sink yet
    Server& unnamed = AddServer("");               // sink, no name yet
    Server& leaving = AddServer("leaving");
    Server& released = AddServer("released");
    const auto tell = [this] {
        engine->PostWithSlot(WindowMessage::MessageSentEvent, "5");
        host.RunPosted();
    };

    leaving.object->SetSink(nullptr);
    released.object->Release();
    tell();
    EXPECT_TRUE(Listed(waiting.get()));
    EXPECT_TRUE(Listed(unnamed.object.get()));
    EXPECT_FALSE(Listed(leaving.object.get()));
    EXPECT_FALSE(Listed(released.object.get()));
    EXPECT_TRUE(unnamed.sink->events.empty());

    RecordingServerSink sink;
    waiting->SetSink(&sink);
    waiting->login("late");
    unnamed.object->login("named");
    leaving.object->SetSink(leaving.sink.get());  // not put back
    tell();
    EXPECT_EQ(sink.events, Events{"MessageSent:5"});
    EXPECT_EQ(unnamed.sink->events, Events{"MessageSent:5"});
    EXPECT_TRUE(leaving.sink->events.empty());
    EXPECT_FALSE(Listed(leaving.object.get()));
    EXPECT_EQ(engine->ActiveClientsListing(), (Events{"late 1", "named 1"}));
}

// --- the Plugins menu, plugin uninstall, the client lock -----------------------------------

TEST_F(ClientsTest, PluginCommandsFollowTheirSeparatorAndClickTheirOwner) {
    Server& wall = AddServer("billboard");
    Server& other = AddServer("other");
    EXPECT_EQ(wall.object->menuTag, 1);  // the first tag: clickable
    wall.object->registerMenuItem("Wall Configuration");
    wall.object->registerMenuItem("Wall Show");
    other.object->registerMenuItem("Other Configuration");
    EXPECT_EQ(wall.object->firstCommand, "Wall Configuration");

    const auto captions = [this] {
        Events list;
        for (const ServerMenu::Item& item : engine->PluginMenu().Items())
            list.push_back(item.separator ? "---" : item.caption);
        return list;
    };
    EXPECT_EQ(captions(),
              (Events{"---", "Wall Configuration", "Wall Show", "---", "Other Configuration"}));

    engine->ClickPluginMenuItem(0);  // a separator
    engine->ClickPluginMenuItem(2);
    engine->ClickPluginMenuItem(4);
    EXPECT_EQ(wall.sink->events, Events{"MenuItemClick:Wall Show"});
    EXPECT_EQ(other.sink->events, Events{"MenuItemClick:Other Configuration"});

    wall.object->disableMenuItem("Wall Show");
    engine->ClickPluginMenuItem(2);
    EXPECT_EQ(wall.sink->events.size(), 1u);
    wall.object->enableMenuItem("Wall Show");
    wall.object->unRegisterMenuItem("Wall Show");
    other.object->unRegisterMenuItem("Wall Configuration");  // not its command
    EXPECT_EQ(captions(), (Events{"---", "Wall Configuration", "---", "Other Configuration"}));
}

TEST_F(ClientsTest, UninstallPluginShutsDownTheFirstLiveClientOfThatName) {
    Server& loggedOut = AddServer("monitor");
    Server& wall = AddServer("billboard");
    Server& twin = AddServer("billboard");
    Server& windowsStyle = AddServer("Ticker.exe");
    wall.object->registerMenuItem("Wall Configuration");
    twin.object->registerMenuItem("Twin Configuration");
    loggedOut.object->SetSink(nullptr);

    engine->UninstallPlugin("BillBoard");
    EXPECT_EQ(wall.sink->events, Events{"ServerShutdown"});
    EXPECT_TRUE(twin.sink->events.empty());
    EXPECT_FALSE(Listed(wall.object.get()));
    EXPECT_FALSE(Listed(loggedOut.object.get()));  // dropped on the way
    EXPECT_EQ(engine->ActiveClientsListing(), (Events{"billboard 2", "Ticker.exe 1"}));
    Events captions;
    for (const ServerMenu::Item& item : engine->PluginMenu().Items())
        captions.push_back(item.separator ? "---" : item.caption);
    EXPECT_EQ(captions, (Events{"---", "---", "Twin Configuration"}));

    engine->UninstallPlugin("ticker");
    EXPECT_EQ(windowsStyle.sink->events, Events{"ServerShutdown"});
    engine->UninstallPlugin("nothing");
    EXPECT_TRUE(twin.sink->events.empty());
}

TEST_F(ClientsTest, TheClientLockHoldsASecondClientUntilUnlock) {
    Server& first = AddServer("one");
    Server& second = AddServer("two");
    Events granted;
    first.object->lock([&] { granted.push_back("one"); });
    second.object->lock([&] { granted.push_back("two"); });
    EXPECT_EQ(granted, Events{"one"});
    EXPECT_TRUE(engine->ClientLock().IsTaken());
    EXPECT_FALSE(engine->Lock().IsTaken());  // the device lock is another one

    first.object->unlock();
    EXPECT_EQ(granted, (Events{"one", "two"}));
    // A client that lets go while holding the lock frees it.
    second.object->Release();
    EXPECT_FALSE(engine->ClientLock().IsTaken());
}

TEST_F(ClientsTest, LockRequestsOfObjectsThatGoAreAnsweredAndFreeTheLock) {
    // A waiting client that is let go hears that it will not get the lock; the next one does.
    Server& holder = AddServer("holder");
    Server& leaving = AddServer("leaving");
    Server& next = AddServer("next");
    Events heard;
    holder.object->lock([&] { heard.push_back("holder"); });
    leaving.object->lock([&] { heard.push_back("leaving"); }, [&] { heard.push_back("dropped"); });
    next.object->lock([&] { heard.push_back("next"); });
    leaving.object->Release();
    holder.object->unlock();
    EXPECT_EQ(heard, (Events{"holder", "dropped", "next"}));

    // A device that goes holding the device lock, before it ever logged in, frees it.
    auto early = engine->CreateDevice();
    auto later = engine->CreateDevice();
    Events granted;
    early->lock([&] { granted.push_back("early"); });
    later->lock([&] { granted.push_back("later"); });
    early->Release();
    EXPECT_EQ(granted, (Events{"early", "later"}));
}

TEST_F(ClientsTest, MessagesThatCannotBeWrittenFailTheCallAndAreNotKept) {
    Server& server = AddServer();
    Easy& easy = AddEasy();
    Store(SystemFolder::Inbox, "501", "old text");
    // Neither the Outbox nor the Inbox can take files any more.
    for (const char* folder : {"Outbox", "Inbox"}) {
        const fs::path path = home / "SysFolders" / folder;
        fs::remove_all(path);
        std::ofstream(path) << "not a folder";
    }
    std::string msg = Record("+4930999", "lost?", "777");
    EXPECT_THROW(server.object->sendMessage(msg), std::runtime_error);
    EXPECT_EQ(Find("777"), nullptr);  // no copy left behind in Tmp
    EXPECT_THROW(easy.object->sendMessage("+4930999", "lost?"), std::runtime_error);

    const fs::path list = home / "mass.txt";
    std::ofstream(list) << Record("+4930999", "one") << "\r\n";
    AutoValue response;
    EXPECT_THROW(server.object->getSystemInfo(list.string(), "masssend", response),
                 std::runtime_error);
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);

    EXPECT_THROW(server.object->setMessage("501", Record("+4930999", "new text", "501")),
                 std::runtime_error);
    ASSERT_NE(Find("501"), nullptr);
    EXPECT_EQ(Find("501")->text, "old text");
    EXPECT_FALSE(Find("501")->IsBusy());
}

}  // namespace
}  // namespace nimbra::testing_support
