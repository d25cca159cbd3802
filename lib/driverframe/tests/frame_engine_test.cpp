// The driver frame against the real engine: a frame with a scripted link logs in, answers the
// engine's events, carries the link's reports to the engine and shuts down when the engine
// goes. The test plays the protocol thread by calling the frame's FrameServices; a client of
// the engine sends the messages and watches the outcome.

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "drivermessages.h"
#include "event_wait.h"
#include "fieldstore.h"
#include "file_text.h"
#include "frmlog.h"
#include "frmmain.h"
#include "frmpref.h"
#include "keypath.h"
#include "running_engine.h"
#include "settingsstore.h"
#include "timescale.h"
#include "unGSMSMS.h"

namespace nimbra::driver {
namespace {

namespace fs = std::filesystem;
using com::TnbMessageServerProxy;
using com::TransmitEngine;
using testing_support::ProcessEventsUntil;
using testing_support::RunningEngine;

constexpr int kTimeoutMs = 20000;
// The drivers' retry interval here: an armed retry timer is never due within a test.
constexpr int kHourMs = 3600 * 1000;
constexpr char kDefaultSender[] = "+36301234567";

// The link as the frame sees it: every call is recorded; busy is the protocol client's flag.
struct LinkScript {
    std::vector<std::string> calls;
    std::vector<TGsmSms> submitted;
    bool busy = false;
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
};

class ScriptedLink final : public DriverLink {
public:
    ScriptedLink(FrameServices& frame, LinkScript& script) : frame_(frame), script_(script) {}
    void Start() override {
        Note("Start");
        frame_.Log("1", "Successful login");
    }
    void Stop() override { Note("Stop"); }
    void EngineConnect() override { Note("EngineConnect"); }
    void EngineDisconnect() override { Note("EngineDisconnect"); }
    void LinkLost() override { Note("LinkLost"); }
    void RetryTimer() override { Note("RetryTimer"); }
    void EngineShutdown() override { Note("EngineShutdown"); }
    bool Busy() const override { return script_.busy; }
    void SetBusy(bool busy) override { script_.busy = busy; }
    void Submit(const TGsmSms& record) override {
        Note("Submit");
        script_.submitted.push_back(record);
    }
    void Shutdown() override { Note("Shutdown"); }

private:
    void Note(const char* call) { script_.calls.push_back(call); }
    FrameServices& frame_;
    LinkScript& script_;
};

// One driver program: its configuration, the main window and, after the login, the other two.
struct Driver {
    explicit Driver(const TransmitEngine& engine, int retryIntervalMs = kHourMs) {
        config.retryIntervalMs = retryIntervalMs;
        config.requestedName = "CIMD2 Connection ";
        config.logCaption = QStringLiteral("CIMD2 Events");
        config.tabs = {QStringLiteral("Connection")};
        config.fields = {{kFieldHost, QStringLiteral("Host"), "127.0.0.1"},
                         {kFieldPort, QStringLiteral("Port"), "9971"},
                         {kFieldOperator, QStringLiteral("Operator"), "T-mobile"},
                         {kFieldSender, QStringLiteral("Sender"), kDefaultSender},
                         {kFieldLog, QStringLiteral("Log"), "0", PrefField::Kind::Check},
                         {"rbSlow", QStringLiteral("Slow"), "0", PrefField::Kind::Radio, 0,
                          QStringLiteral("Speed:")},
                         {"rbFast", QStringLiteral("Fast"), "1", PrefField::Kind::Radio, 0,
                          QStringLiteral("Speed:")}};
        config.makeLink = [this](FrameServices& frame) {
            return std::make_unique<ScriptedLink>(frame, script);
        };
        main = std::make_unique<TfrmMain>(config, engine);
        QObject::connect(main.get(), &TfrmMain::shutDown, [this] { ++shutDowns; });
    }
    bool Create() {
        if (!main->FormCreate())
            return false;
        pref = std::make_unique<TfrmPref>(config, main->realName(),
                                          static_cast<FieldStore&>(main->Fields()));
        log = std::make_unique<TfrmLog>(config.logCaption);
        main->AttachWindows(pref.get(), log.get());
        return true;
    }

    LinkScript script;
    FrameConfig config;
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmPref> pref;
    std::unique_ptr<TfrmLog> log;
    int shutDowns = 0;
};

QLineEdit* Edit(const Driver& driver, const char* name) {
    return driver.pref->findChild<QLineEdit*>(QString::fromLatin1(name));
}

QRadioButton* Radio(const Driver& driver, const char* name) {
    return driver.pref->findChild<QRadioButton*>(QString::fromLatin1(name));
}

class FrameEngineTest : public ::testing::Test {
protected:
    // The preferences window reads the engine's settings store.
    void SetUp() override { ::setenv("NIMBRA_SETTINGS_DIR", engine.settings().c_str(), 1); }
    void TearDown() override { ::unsetenv("NIMBRA_SETTINGS_DIR"); }

    TransmitEngine Attach() { return TransmitEngine::Attach(engine.Connect()); }
    std::unique_ptr<Driver> NewDriver(int retryIntervalMs = kHourMs) {
        auto made = std::make_unique<Driver>(Attach(), retryIntervalMs);
        EXPECT_TRUE(made->Create());
        return made;
    }
    // The engine, one logged-in driver, a client that records the events, the server started.
    void StartAll(int retryIntervalMs = kHourMs) {
        engine.Start();
        driver = NewDriver(retryIntervalMs);
        client = std::make_unique<TnbMessageServerProxy>(Attach());
        client->login(QStringLiteral("tester"));
        QObject::connect(client.get(), &TnbMessageServerProxy::MessageSent,
                         [this](const QVariant& id) { sent << id.toString(); });
        QObject::connect(client.get(), &TnbMessageServerProxy::MessageReceived,
                         [this](const QVariant& msg) { received << msg.toString(); });
        ASSERT_EQ(client->startServer(), QVariant(1));
        ASSERT_TRUE(
            ProcessEventsUntil([this] { return driver->script.Count("Start") == 1; }, kTimeoutMs));
    }
    // Sends a message from +3611111 and waits until the link was given it.
    std::string SendAndAwaitSubmit(const std::string& text) {
        const size_t before = driver->script.submitted.size();
        TGsmSms sms;
        sms.sender = "+3611111";
        sms.receiver = "+3620111";
        sms.text = text;
        QVariant msg = QString::fromStdString(sms.ToText());
        const std::string id = client->sendMessage(msg).toString().toStdString();
        EXPECT_TRUE(ProcessEventsUntil([&] { return driver->script.submitted.size() > before; },
                                       kTimeoutMs));
        return id;
    }
    std::string ScreenLog() const {
        return testing_support::ReadFileText(engine.home() / "logs/screen-log.txt");
    }
    bool ScreenLogHas(const std::string& text) {
        return ProcessEventsUntil([&] { return ScreenLog().find(text) != std::string::npos; },
                                  kTimeoutMs);
    }
    // The text of the message file in a system folder that has a line reading line (any
    // line but the first); empty when none has.
    std::string FileHolding(const std::string& folder, const std::string& line) const {
        const std::string text = "\r\n" + line + "\r\n";
        std::error_code error;
        for (const auto& entry :
             fs::directory_iterator(engine.home() / "SysFolders" / folder, error)) {
            if (entry.path().extension() != ".sms")
                continue;
            std::string content = testing_support::ReadFileText(entry.path());
            if (content.find(text) != std::string::npos)
                return content;
        }
        return {};
    }
    bool FolderHolds(const std::string& folder, const std::string& line) const {
        return !FileHolding(folder, line).empty();
    }
    static bool HasLine(const std::string& file, const std::string& line) {
        return file.find("\r\n" + line + "\r\n") != std::string::npos;
    }
    RunningEngine engine{TRANSMIT};
    std::unique_ptr<Driver> driver;
    std::unique_ptr<TnbMessageServerProxy> client;
    QStringList sent;
    QStringList received;
};

TEST_F(FrameEngineTest, LoginAdoptsTheEnginesNameAndThePreferencesLoadUnderIt) {
    engine.WriteSetting(PluginKeyPath("CIMD2 Connection 1"), kFieldSender, "+3670555");
    engine.WriteSetting(PluginKeyPath("CIMD2 Connection 1"), kFieldHost, "10.0.0.7");
    engine.Start();
    auto first = NewDriver();
    auto second = NewDriver();
    EXPECT_EQ(first->main->realName(), "CIMD2 Connection 1");
    EXPECT_EQ(second->main->realName(), "CIMD2 Connection 2");

    // The stored settings are there as soon as the login is done, before any window: a
    // Connect that comes during the login's last calls starts the link with them.
    engine.WriteSetting(PluginKeyPath("CIMD2 Connection 3"), kFieldHost, "10.0.0.9");
    Driver early(Attach());
    ASSERT_TRUE(early.main->FormCreate());
    EXPECT_EQ(early.main->realName(), "CIMD2 Connection 3");
    EXPECT_EQ(early.main->Fields().Get(kFieldHost), "10.0.0.9");

    EXPECT_EQ(first->main->Fields().Get(kFieldSender), "+3670555");
    EXPECT_EQ(Edit(*first, kFieldHost)->text(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(second->main->Fields().Get(kFieldSender), kDefaultSender);
    // Each tells the engine its address once its preferences are loaded.
    EXPECT_TRUE(ScreenLogHas("[CIMD2 Connection 1] 10.0.0.7:9971")) << ScreenLog();
    EXPECT_TRUE(ScreenLogHas("[CIMD2 Connection 2] 127.0.0.1:9971")) << ScreenLog();
}

// Radio buttons are stored one by one as "1" or "0"; stored values that choose two buttons
// of a group come to one choice, the same in the link's fields as in the window.
TEST_F(FrameEngineTest, RadioButtonsLoadAsOneChoiceAndSaveAsOnesAndZeros) {
    const std::string section = "CIMD2 Connection 1";
    engine.WriteSetting(PluginKeyPath(section), "rbSlow", "1");
    engine.WriteSetting(PluginKeyPath(section), "rbFast", "1");
    engine.Start();
    Driver early(Attach());
    ASSERT_TRUE(early.main->FormCreate());
    EXPECT_EQ(early.main->Fields().Get("rbSlow"), "0");
    EXPECT_EQ(early.main->Fields().Get("rbFast"), "1");

    engine.WriteSetting(PluginKeyPath("CIMD2 Connection 2"), "rbSlow", "1");
    auto second = NewDriver();
    EXPECT_TRUE(Radio(*second, "rbSlow")->isChecked());
    EXPECT_FALSE(Radio(*second, "rbFast")->isChecked());
    EXPECT_EQ(second->main->Fields().Get("rbSlow"), "1");
    EXPECT_EQ(second->main->Fields().Get("rbFast"), "0");

    Radio(*second, "rbFast")->click();
    EXPECT_EQ(second->main->Fields().Get("rbSlow"), "0");
    EXPECT_EQ(second->main->Fields().Get("rbFast"), "1");
    second->pref->okButton()->click();
    EXPECT_EQ(ReadPluginSetting("CIMD2 Connection 2", "rbSlow", "?"), "0");
    EXPECT_EQ(ReadPluginSetting("CIMD2 Connection 2", "rbFast", "?"), "1");
}

TEST_F(FrameEngineTest, AMessageGoesOutWithTheSenderFieldAndTheLinksReportsReachTheEngine) {
    ASSERT_NO_FATAL_FAILURE(StartAll());
    Edit(*driver, kFieldSender)->setText(QStringLiteral("+3670999"));
    const std::string id = SendAndAwaitSubmit("hello");
    ASSERT_EQ(driver->script.submitted.size(), 1u);
    const TGsmSms& given = driver->script.submitted[0];
    EXPECT_EQ(given.messageId, id);
    EXPECT_EQ(given.sender, "+3670999");
    EXPECT_EQ(given.receiver, "+3620111");
    EXPECT_EQ(given.text, "hello");
    EXPECT_TRUE(driver->script.busy);

    // The protocol thread: the message centre accepted it.
    driver->script.busy = false;
    driver->main->Sent("ref42");
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return sent.contains(QString::fromStdString(id)); }, kTimeoutMs));
    // Filed with the sender and the reference the driver reported (first line: the sender).
    const std::string filed = FileHolding("Sent Items", "hello");
    EXPECT_TRUE(filed.starts_with("+3670999\r\n")) << filed;
    EXPECT_TRUE(HasLine(filed, "ref42")) << filed;
    EXPECT_FALSE(FolderHolds("Outbox", "hello"));

    // The protocol thread: a message came in.
    TGsmSms incoming;
    incoming.sender = "+3630777";
    incoming.text = "incoming hello";
    driver->main->Received(incoming.ToText());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.isEmpty(); }, kTimeoutMs));
    EXPECT_TRUE(received[0].contains(QStringLiteral("{incoming hello}")))
        << received[0].toStdString();
    EXPECT_TRUE(FolderHolds("Inbox", "incoming hello"));
}

// The engine hands a device a new message only when it is idle, which it is again after a
// server restart (Disconnect, then Connect) while the frame still holds its message. The
// second message must be refused until the first is reported, whether or not the link has
// cleared its busy flag already (the parameter): the frame's Sent belongs to the first.
class InFlightTest : public FrameEngineTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InFlightTest, AfterAServerRestartANewMessageIsRefusedUntilTheFirstIsReported) {
    ASSERT_NO_FATAL_FAILURE(StartAll());
    EXPECT_EQ(driver->script.calls, (std::vector<std::string>{"EngineConnect", "Start"}));
    EXPECT_TRUE(driver->main->EngineConnected());
    // The link's log line reaches the engine, which shows the device's state with it.
    EXPECT_TRUE(ScreenLogHas("[CIMD2 Connection 1] Successful login")) << ScreenLog();
    const std::string first = SendAndAwaitSubmit("first");
    driver->script.busy = GetParam();

    // The server's stop and start reach the link; the message stays in flight.
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return client->stopServer() == QVariant(1); }, kTimeoutMs));
    ASSERT_TRUE(ProcessEventsUntil([&] { return driver->script.Count("EngineDisconnect") == 1; },
                                   kTimeoutMs));
    EXPECT_FALSE(driver->main->EngineConnected());
    ASSERT_EQ(client->startServer(), QVariant(1));
    ASSERT_TRUE(ProcessEventsUntil([&] { return driver->script.Count("Start") == 2; }, kTimeoutMs));

    TGsmSms sms;
    sms.receiver = "+3620222";
    sms.text = "second";
    QVariant msg = QString::fromStdString(sms.ToText());
    const std::string second = client->sendMessage(msg).toString().toStdString();
    // The engine logs each refusal ("phone busy") and keeps the message in the Outbox.
    ASSERT_TRUE(ScreenLogHas("SMS_SEND_FAILED")) << ScreenLog();
    EXPECT_EQ(driver->script.submitted.size(), 1u);

    driver->main->Sent("ref42");
    ASSERT_TRUE(ProcessEventsUntil([&] { return sent.contains(QString::fromStdString(first)); },
                                   kTimeoutMs));
    EXPECT_EQ(sent, QStringList{QString::fromStdString(first)});
    EXPECT_TRUE(HasLine(FileHolding("Sent Items", "first"), "ref42"));
    EXPECT_TRUE(FolderHolds("Outbox", "second"));

    // Now free, the driver takes the second one and reports it by its own Sent.
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return driver->script.submitted.size() == 2; }, kTimeoutMs));
    EXPECT_EQ(driver->script.submitted[1].messageId, second);
    driver->main->Sent("ref43");
    ASSERT_TRUE(ProcessEventsUntil([&] { return sent.size() == 2; }, kTimeoutMs));
    EXPECT_EQ(sent[1], QString::fromStdString(second));
    EXPECT_TRUE(HasLine(FileHolding("Sent Items", "second"), "ref43"));
}

INSTANTIATE_TEST_SUITE_P(LinkBusyFlag, InFlightTest, ::testing::Bool());

TEST_F(FrameEngineTest, AFailedMessageGoesBackForAnotherTryAndFreesTheDriver) {
    ASSERT_NO_FATAL_FAILURE(StartAll());
    SendAndAwaitSubmit("doomed");
    driver->main->Failed();
    // "could not transmit" counts as an attempt: the message leaves the Outbox.
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return FolderHolds("Waiting for resend", "doomed") ||
                   FolderHolds("Could not be sent", "doomed");
        },
        kTimeoutMs));
    EXPECT_FALSE(FolderHolds("Outbox", "doomed"));
    EXPECT_FALSE(driver->script.busy);
    const std::string next = SendAndAwaitSubmit("next");
    ASSERT_EQ(driver->script.submitted.size(), 2u);
    EXPECT_EQ(driver->script.submitted[1].messageId, next);
}

// The fifth line of a stored message: the retries it has left.
std::string RetriesLine(const std::string& file) {
    std::size_t at = 0;
    for (int line = 0; line < 4 && at != std::string::npos; ++line)
        at = file.find("\r\n", at) + 2;
    return file.substr(at, file.find("\r\n", at) - at);
}

// A busy message centre: the device says it takes nothing and hands its message back; the
// engine keeps it in the Outbox with its retries untouched and gives it to the device again
// once the device can send.
TEST_F(FrameEngineTest, AMessageHandedBackKeepsItsRetriesAndGoesAgainWhenTheDeviceCanSend) {
    StartAll();
    const std::string id = SendAndAwaitSubmit("busy centre");
    const std::string retries = RetriesLine(FileHolding("Outbox", "busy centre"));
    ASSERT_FALSE(retries.empty());
    driver->main->Info("cansend", "0");
    driver->main->HandedBack();
    ASSERT_TRUE(ScreenLogHas("SMS_SEND_FAILED")) << ScreenLog();
    EXPECT_FALSE(driver->script.busy);
    EXPECT_EQ(RetriesLine(FileHolding("Outbox", "busy centre")), retries);
    EXPECT_FALSE(FolderHolds("Waiting for resend", "busy centre"));

    driver->main->Info("cansend", "1");
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return driver->script.submitted.size() == 2; }, kTimeoutMs));
    EXPECT_EQ(driver->script.submitted[1].messageId, id);
    EXPECT_EQ(RetriesLine(FileHolding("Outbox", "busy centre")), retries);
}

// The link asks for the retry timer in three ways; the frame arms it, with the driver's
// interval, only while the engine wants the link.
TEST_F(FrameEngineTest, TheLinksRetryRequestsArmTheTimerOnlyWhileTheEngineWantsTheLink) {
    ASSERT_NO_FATAL_FAILURE(StartAll());
    TfrmMain& frame = *driver->main;
    const QTimer& retry = frame.retryTimer();
    EXPECT_TRUE(retry.isSingleShot());
    EXPECT_EQ(retry.interval(), kHourMs);
    EXPECT_FALSE(retry.isActive());
    const struct {
        const char* name;
        void (*ask)(TfrmMain&);
        bool armedWhileConnected;
    } requests[] = {
        {"arm retry", [](TfrmMain& f) { f.PostArmRetry(); }, true},
        {"thread ended, reconnect", [](TfrmMain& f) { f.PostThreadEnded(true); }, true},
        {"thread ended", [](TfrmMain& f) { f.PostThreadEnded(false); }, false},
    };
    const auto armedAfter = [&](const auto& request) {
        frame.StopRetryTimer();
        request.ask(frame);
        QCoreApplication::sendPostedEvents(&frame, DriverMessageEvent::EventType());
        return retry.isActive();
    };
    for (const auto& request : requests)
        EXPECT_EQ(armedAfter(request), request.armedWhileConnected) << request.name;

    ASSERT_TRUE(
        ProcessEventsUntil([&] { return client->stopServer() == QVariant(1); }, kTimeoutMs));
    ASSERT_TRUE(ProcessEventsUntil([&] { return driver->script.Count("EngineDisconnect") == 1; },
                                   kTimeoutMs));
    EXPECT_FALSE(armedAfter(requests[0]));
}

// Tests shorten the link's rebuild with the drivers' time scale, also the delays a link asks
// for (its back-off after refused binds).
TEST_F(FrameEngineTest, TheTimeScaleShortensEveryRetryWait) {
    ::setenv(kTimeScaleVariable, "0.5", 1);
    ASSERT_NO_FATAL_FAILURE(StartAll());
    ::unsetenv(kTimeScaleVariable);
    TfrmMain& frame = *driver->main;
    EXPECT_EQ(frame.retryTimer().interval(), kHourMs / 2);
    frame.StartRetryTimer(8000);
    EXPECT_EQ(frame.retryTimer().interval(), 4000);
    frame.StartRetryTimer();
    EXPECT_EQ(frame.retryTimer().interval(), kHourMs / 2);
    frame.StopRetryTimer();
}

TEST_F(FrameEngineTest, TheRetryTimerRestartsTheLinkWhenItFires) {
    ASSERT_NO_FATAL_FAILURE(StartAll(10));
    driver->main->PostArmRetry();
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return driver->script.Count("RetryTimer") == 1; }, kTimeoutMs));
    EXPECT_FALSE(driver->main->retryTimer().isActive());
}

// Every kept line is also an engine call (deviceInfo) on the window thread. The burst is far
// larger than the view and large enough that handling each line inside the wait of the line
// before would exhaust the stack.
TEST_F(FrameEngineTest, ABurstOfLogLinesLeavesTheLastHundredAndTrafficShowsOnlyWhileDebugging) {
    constexpr int kBurst = 15000;
    engine.Start();
    driver = NewDriver();
    for (int i = 0; i < kBurst; ++i)
        driver->main->Log("1", "line " + std::to_string(i));
    driver->main->Log("2", "traffic hidden");
    Edit(*driver, kFieldOperator)->setText(QStringLiteral("debug:on"));
    driver->main->Log("2", "traffic shown");
    TfrmLog& log = *driver->log;
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return log.Lines().contains("traffic shown"); }, 3 * kTimeoutMs));
    EXPECT_EQ(log.LineCount(), 100);
    const QString lines = log.Lines();
    const QString firstKept = QStringLiteral(" line %1").arg(kBurst - 99);
    EXPECT_TRUE(lines.section('\n', 0, 0).endsWith(firstKept))
        << lines.section('\n', 0, 0).toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("traffic hidden")));
    EXPECT_FALSE(driver->main->closing());
}

// The engine closing in order (SIGTERM) tells its devices; one that is killed just leaves the
// bus. Either way the driver shuts down, and its link is shut down last.
class EngineGoneTest : public FrameEngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(EngineGoneTest, TheDriverShutsDownWhenTheEngineGoes) {
    ASSERT_NO_FATAL_FAILURE(StartAll());
    SendAndAwaitSubmit("in flight");
    engine.process().Signal(GetParam());
    ASSERT_TRUE(engine.process().WaitForExit(std::chrono::milliseconds(kTimeoutMs)));
    ASSERT_TRUE(ProcessEventsUntil([&] { return driver->shutDowns > 0; }, kTimeoutMs));
    EXPECT_EQ(driver->shutDowns, 1);
    EXPECT_TRUE(driver->main->closing());
    const LinkScript& script = driver->script;
    EXPECT_EQ(script.Count("EngineShutdown"), GetParam() == SIGTERM ? 1 : 0);
    EXPECT_EQ(script.Count("EngineDisconnect"), GetParam() == SIGTERM ? 1 : 0);
    // A late report of the link is dropped; nothing is asked of the link after its Shutdown.
    driver->main->Sent("late");
    QCoreApplication::processEvents();
    ASSERT_FALSE(script.calls.empty());
    EXPECT_EQ(script.calls.back(), "Shutdown") << ::testing::PrintToString(script.calls);
}

INSTANTIATE_TEST_SUITE_P(EndedBy, EngineGoneTest, ::testing::Values(SIGTERM, SIGKILL));

}  // namespace
}  // namespace nimbra::driver
