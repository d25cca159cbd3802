#include "frmhandset.h"

#include <chrono>
#include <exception>

#include <QDBusConnection>

#include "Transmit_TLB.h"
#include "handsetmessages.h"
#include "phonemodels.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "translation.h"
#include "unStrings.h"

namespace nimbra::handset {

namespace {

using driver::WM_DRV_BUSY;
using driver::WM_DRV_DEVICEINFO;
using driver::WM_DRV_FAILED;
using driver::WM_DRV_RECEIVED;
using driver::WM_DRV_SENT;
using driver::WM_DRV_STATUS;

constexpr char kServiceMode[] = "Service";

// The own number as the sender group of sendSuccess: braces in it are escaped so that the
// engine still finds the two groups.
std::string EscapeBraces(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '{' || c == '}')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

}  // namespace

TfrmHandset::TfrmHandset(const com::TransmitEngine& engine)
    : DriverWindow(engine),
      engineService_(engine.uniqueName()),
      timings_(ProcessTimings()),
      portLog_([this](std::string path) {
          Post(WM_DRV_SHOW_MESSAGE, 0, 1, Translate("Cannot open logfile:") + path);
      }) {
    setObjectName(QStringLiteral("frmHandset"));
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &TfrmHandset::ReconnectTimerFired);
    // The engine tells the handset apart from the other drivers that it closes.
    QDBusConnection bus = engine.connection();
    bus.connect(engineService_, QString::fromLatin1(com::kEngineRootPath),
                QStringLiteral("org.nimbra.Transmit.Server"), QStringLiteral("EngineClosing"), this,
                SLOT(EngineClosing()));
}

TfrmHandset::~TfrmHandset() {
    ShutDown();
}

bool TfrmHandset::FormCreate() {
    const bool created = EngineCall([this] {
        engineFolder_ = QToAnsi(phone().sendInfo("system", "exedir").toString());
        ProcessLanguage().SetHome(engineFolder_);
        ProcessLanguage().SetLanguage(ReadSetting(settings::kLanguageKeyCurrentUser,
                                                  settings::kLanguageValue,
                                                  settings::kLanguageDefault));
        realName_ = Translate("GSM Device");
        runMode_ = ReadSetting(settings::kServicePidKey, settings::kAppModeValue,
                               settings::kAppModeApplication);
        phone().lock();
        realName_ = QToAnsi(phone().login(QFromAnsi(realName_)).toString());
        // A Connect may come while the calls below wait: the settings are there for it.
        settings_ = std::make_unique<HandsetSettings>(store_, realName_);
        phone().registerMenuItem(QFromAnsi(realName_ + " " + Translate("Configuration")));
        phone().unlock();
        phone().sendInfo("operator", QFromAnsi(settings_->OperatorName()));
        phone().deviceInfo(QFromAnsi("@" + settings_->Model() + "," + settings_->PortName()));
    });
    if (!created)
        return false;
    StartPing();
    return true;
}

std::string TfrmHandset::Translate(const std::string& text) {
    return nimbra::Translate(text);
}

HandsetSettings& TfrmHandset::ConnectionSettings() const {
    return connectionSettings_ ? *connectionSettings_ : *settings_;
}

std::string TfrmHandset::ModelAndPort() const {
    const HandsetSettings& settings = ConnectionSettings();
    return settings.Model() + ", " + settings.PortName();
}

void TfrmHandset::CreateWindows() {
    if (windowFactory_ && settings_)
        windows_ = windowFactory_(*this);
}

void TfrmHandset::PreferencesSaved() {
    if (!settings_)
        return;
    EngineCall([this] {
        phone().sendInfo("operator", QFromAnsi(settings_->OperatorName()));
        phone().deviceInfo(QFromAnsi("@" + settings_->Model() + "," + settings_->PortName()));
    });
}

void TfrmHandset::SetAutostart(bool value) {
    WriteSetting(settings::kRootKey, settings::kAutostartValue, value ? "true" : "false");
}

// --- connecting ------------------------------------------------------------------------

void TfrmHandset::nbSMSPhone1Connect() {
    engineWants_ = true;
    Connect(false);
}

void TfrmHandset::TestConnection(OverlaySettings::Values preferences) {
    testValues_ = std::move(preferences);
    Connect(true);
}

void TfrmHandset::Connect(bool testOnly) {
    if (!settings_ || IsShutDown())
        return;
    std::string model = settings_->Model();
    if (testOnly) {
        const auto it = testValues_.find(pref::kModel);
        if (it != testValues_.end())
            model = it->second;
    }
    if (model == kAutodetectModel) {
        if (runMode_ != kServiceMode) {
            ShowMessage(Translate("Please configure your GSM device!"));
            if (windows_)
                windows_->MenuItemClick(realName_ + " " + Translate("Configuration"));
            Post(WM_DRV_CONNECT_RESULT, 0, 0);
        }
        return;
    }
    if (!EngineCall([this] { phone().sendInfo("operator", QFromAnsi(settings_->OperatorName())); }))
        return;
    testMode_ = testOnly;
    if (session_) {
        // The previous connection ends first; this one starts then.
        connectWaiting_ = true;
        StopConnection();
        return;
    }
    StartConnection();
}

void TfrmHandset::StartConnection() {
    connectionSettings_ = settings_.get();
    if (testMode_) {
        testSource_ = std::make_unique<OverlaySettings>(store_, realName_, testValues_);
        testSettings_ = std::make_unique<HandsetSettings>(*testSource_, realName_);
        connectionSettings_ = testSettings_.get();
    }
    HandsetSettings& settings = *connectionSettings_;
    PduCodecOptions codec;
    codec.convert7Bit = settings.PortChecked(port::kConvertGsmChars);
    codec.includeSmsc = settings.PortChecked(port::kIncludeServiceCentre);
    codec.decodePdu = settings.PortChecked(port::kDecodePdu);
    SetPduCodecOptions(codec);
    portLog_.Configure(settings.PortChecked(port::kViewLog), settings.PortChecked(port::kLogToFile),
                       engineFolder_ + "/logs/comlog_" + realName_ + ".txt");

    const HandsetSettings* lineSettings = &settings;
    port_ =
        std::make_unique<TCommPortDriver>([lineSettings] { return lineSettings->LineSettings(); });
    port_->SetLogHandler([this](std::string line) { portLog_.Line(line); });
    phone_ = CreatePhone(settings.DriverIndex(), {*port_, SteadyModemClock(), portLog_, timings_,
                                                  settings, *this, references_});
    TPhone* model = phone_.get();
    port_->SetReceiveHandler([model](std::string_view bytes) { model->OnReceiveData(bytes); });

    if (!EngineCall([this] {
            phone().statusInfo(
                QFromAnsi(Translate("Trying to connect to ") + " " + ModelAndPort()));
        }))
        return;
    shared_.active = true;
    shared_.reconnectRequested = false;
    session_ = std::make_unique<HandsetSession>(
        *phone_, settings, shared_, *this, testMode_,
        [this](bool ok) { Post(WM_DRV_CONNECT_RESULT, ok ? 1 : 0, 0); },
        [this] { Post(WM_DRV_SESSION_ENDED); });
    session_->start();
}

// The manager ends after its cycle (a send in progress is finished and reported); a device
// that is still being set up is given up at once.
void TfrmHandset::StopConnection() {
    shared_.active = false;
    if (session_ && !session_->ManagerStarted() && phone_)
        phone_->Abort();
}

void TfrmHandset::ConnectionResult(bool ok) {
    if (closing())
        return;
    // A connection the engine called off meanwhile, or one that makes way for a new one, is
    // not reported.
    if ((!engineWants_ && !testMode_) || connectWaiting_)
        return;
    ok = ok && session_ != nullptr;
    shared_.active = ok && !testMode_;
    bool called = true;
    if (!ok)
        called = EngineCall([this] {
            phone().statusInfo(QFromAnsi(Translate("Could not connect to ") + realName_));
        });
    if (!called)
        return;
    if (ok && testMode_) {
        testMode_ = false;
        ShowMessage(Translate("Successfully connected to the device"));
        SetAutostart(true);
        if (windows_)
            windows_->TestFinished();
    } else if (ok) {
        called = EngineCall([this] {
            phone().connectionSuccess();
            phone().deviceInfo(QFromAnsi(Translate("Connected to device")));
        });
        SetAutostart(true);
        if (windows_) {
            windows_->Connected(
                realName_ + " (" + settings_->Model() + "," + settings_->PortName() + ")",
                settings_->PrefChecked(pref::kNetworkMonitoring));
        }
    } else {
        if (testMode_) {
            testMode_ = false;
            ShowMessage(Translate("Could not connect to the device"));
            if (windows_)
                windows_->TestFinished();
        }
        called = EngineCall([this] {
            phone().connectionFailed();
            phone().deviceInfo(QFromAnsi(Translate("Could not connect to") + " " + ModelAndPort()));
        });
        SetAutostart(false);
    }
    if (!called)
        return;
    EngineCall([this, ok] {
        phone().statusInfo(
            QFromAnsi((ok ? Translate("Connected to device") : Translate("Could not connect to")) +
                      " " + ModelAndPort()));
    });
}

void TfrmHandset::SessionEnded() {
    if (session_) {
        session_->wait();
        session_.reset();
    }
    JoinConsole();
    port_.reset();
    phone_.reset();
    if (IsShutDown())
        return;
    if (windows_)
        windows_->Disconnected();
    if (reconnecting_) {
        reconnectTimer_.start(timings_.reconnectPauseMs);
        return;
    }
    if (connectWaiting_) {
        connectWaiting_ = false;
        StartConnection();
        return;
    }
    GiveBackUnsent();
}

void TfrmHandset::ReconnectTimerFired() {
    reconnecting_ = false;
    if (engineWants_ && !closing())
        Connect(false);
    else
        GiveBackUnsent();
}

void TfrmHandset::nbSMSPhone1Disconnect() {
    engineWants_ = false;
    reconnecting_ = false;
    connectWaiting_ = false;
    reconnectTimer_.stop();
    StopConnection();
    if (!session_)
        GiveBackUnsent();
}

// --- messages ----------------------------------------------------------------------------

void TfrmHandset::nbSMSPhone1Transmit(const QString& sms) {
    const std::string text = QToAnsi(sms);
    if (text.empty() || text.front() != '{' || !settings_)
        return;
    TGsmSms record;
    record.FromText(text);
    if (!shared_.sendPending && settings_->PrefChecked(pref::kSend) && !held_) {
        shared_.SetOutgoing(record);
        held_ = record;
        shared_.sendPending = true;
        Post(WM_DRV_STATUS, 0, 1, Translate("Sending") + " " + record.Summary());
    } else {
        Post(WM_DRV_BUSY, 0, 1, record.messageId);
    }
}

void TfrmHandset::HandleSent(const std::string& reference) {
    if (closing() || !held_)
        return;
    TGsmSms record = std::move(*held_);
    held_.reset();
    const std::string own = settings_->OwnNumber();
    record.sender = own;
    record.reference = reference;
    if (record.messageId.empty())
        record.messageId = "0";
    ReportSent(record.messageId, EscapeBraces(own), reference,
               Translate("Transmitted") + " " + record.Summary());
}

void TfrmHandset::HandleFailed() {
    if (closing() || !held_)
        return;
    TGsmSms record = std::move(*held_);
    held_.reset();
    ReportFailed(record.messageId, Translate("Send failed") + " " + record.Summary());
}

// A message that never reached the device goes back to the engine's Outbox without costing
// it a try.
void TfrmHandset::GiveBackUnsent() {
    if (!held_ || !shared_.sendPending || closing())
        return;
    shared_.sendPending = false;
    const std::string id = held_->messageId;
    held_.reset();
    EngineCall([&] { phone().sendFailed(QFromAnsi(id), QStringLiteral("phone busy")); });
}

// --- the engine's other events -------------------------------------------------------------

void TfrmHandset::nbSMSPhone1MenuItemClick(const QString& name) {
    // The configuration, test phone and file phone windows answer their menu items.
    if (windows_)
        windows_->MenuItemClick(QToAnsi(name));
}

void TfrmHandset::nbSMSPhone1info(const QString& name) {
    const std::string msg = QToAnsi(name);
    if (msg.find("setlang") != std::string::npos) {
        const std::string language = TextInParentheses(msg);
        if (!language.empty()) {
            ProcessLanguage().SetLanguage(language);
            if (windows_)
                windows_->LanguageChanged();
        }
    } else if (msg == "devicename" && settings_) {
        Post(WM_DRV_DEVICEINFO, 0, 1, "@" + settings_->Model() + "," + settings_->PortName());
    }
}

void TfrmHandset::nbSMSPhone1unInstall() {
    EngineCall([this] {
        phone().lock();
        phone().unRegisterMenuItem(QFromAnsi(realName_ + " Configuration"));
        phone().unlock();
    });
}

void TfrmHandset::nbSMSPhone1ServerShutdown() {
    if (IsShutDown())
        return;
    portLog_.Close();
    SetClosing();
    shared_.closing = true;
    try {
        phone().unRegisterMenuItem(QFromAnsi(realName_ + " " + Translate("Configuration")));
    } catch (const std::exception&) {
        // The engine is closing; the item goes with it.
    }
    ShutDown();
}

void TfrmHandset::EngineClosing() {
    portLog_.Close();
    SetClosing();
    shared_.closing = true;
    ShutDown();
}

void TfrmHandset::OnShutDown() {
    // The manager may wait for the engine to take a message; this thread answers no more.
    AbandonTakes();
    shared_.closing = true;
    shared_.active = false;
    reconnectTimer_.stop();
    if (phone_)
        phone_->Abort();
    // Every wait of the phone ends at the abort; a thread that still runs after two seconds
    // (a port that hangs) is left to the end of the process.
    if (session_ && !session_->wait(2000)) {
        (void)session_.release();
        (void)port_.release();
        (void)phone_.release();
        (void)console_.release();
    }
    session_.reset();
    JoinConsole();
    port_.reset();
    phone_.reset();
    portLog_.Close();
}

// --- the console ---------------------------------------------------------------------------

bool TfrmHandset::bModemClick(const std::string& text, CommandType type) {
    if (!phone_ || !shared_.active || consoleBusy_)
        return false;
    JoinConsole();
    std::string bytes = text;
    if (type == CommandType::Command)
        bytes += '\r';
    else if (type == CommandType::Message)
        bytes += kCtrlZ;
    consoleBusy_ = true;
    console_ = std::make_unique<std::thread>([this, model = phone_.get(), bytes] {
        model->SendTextR(bytes);
        consoleBusy_ = false;
    });
    return true;
}

void TfrmHandset::JoinConsole() {
    if (console_ && console_->joinable())
        console_->join();
    console_.reset();
}

// --- from the other threads ----------------------------------------------------------------

void TfrmHandset::RegisterMenuItem(std::string name) {
    Post(WM_DRV_REGISTER_MENU, 0, 1, std::move(name));
}
void TfrmHandset::UnregisterMenuItem(std::string name) {
    Post(WM_DRV_UNREGISTER_MENU, 0, 1, std::move(name));
}
void TfrmHandset::ShowMessage(std::string text) {
    Post(WM_DRV_SHOW_MESSAGE, 0, 1, std::move(text));
}
void TfrmHandset::Sending(std::string summary) {
    Post(WM_DRV_SENDING, 0, 1, std::move(summary));
}
void TfrmHandset::Reading() {
    Post(WM_DRV_READING);
}
void TfrmHandset::Sent(std::string reference) {
    Post(WM_DRV_SENT, 0, 1, std::move(reference));
}
void TfrmHandset::Failed() {
    Post(WM_DRV_FAILED);
}
void TfrmHandset::Received(std::string record) {
    Post(WM_DRV_RECEIVED, 0, 1, std::move(record));
}
bool TfrmHandset::Taken(std::string record) {
    return AwaitTake(WM_DRV_RECEIVED, std::move(record));
}
void TfrmHandset::Info(std::string line) {
    Post(driver::WM_DRV_DEVICEINFO, 0, 1, std::move(line));
}
void TfrmHandset::Reconnect() {
    Post(WM_DRV_RECONNECT);
}

// --- window messages -----------------------------------------------------------------------

void TfrmHandset::HandleMessage(const driver::DriverMessage& message) {
    const std::string& text = message.text;
    switch (message.message) {
        case WM_DRV_SENT:
            HandleSent(text);
            break;
        case WM_DRV_FAILED:
            HandleFailed();
            break;
        case WM_DRV_RECEIVED: {
            const bool taken =
                !closing() && EngineCall([&] { phone().smsReceived(QFromAnsi(text)); });
            if (message.wParam != 0)
                FinishTake(message.wParam, taken);
            shared_.receivedPending = false;
            break;
        }
        case WM_DRV_READING:
            EngineCall(
                [this] { phone().deviceInfo(QFromAnsi(Translate("Reading phone memory"))); });
            break;
        case WM_DRV_SENDING:
            EngineCall(
                [&] { phone().deviceInfo(QFromAnsi(Translate("Sending message:") + " " + text)); });
            break;
        case WM_DRV_RECONNECT:
            shared_.reconnectRequested = false;
            reconnecting_ = true;
            StopConnection();
            break;
        case WM_DRV_CONNECT_RESULT:
            ConnectionResult(message.wParam == 1);
            break;
        case WM_DRV_SESSION_ENDED:
            SessionEnded();
            break;
        case WM_DRV_SHUTDOWN:
            ShutDown();
            break;
        case WM_DRV_REGISTER_MENU:
            EngineCall([&] {
                phone().lock();
                phone().registerMenuItem(QFromAnsi(text));
                phone().unlock();
            });
            if (windows_)
                windows_->PhoneMenuItem(text, true);
            break;
        case WM_DRV_UNREGISTER_MENU:
            EngineCall([&] { phone().unRegisterMenuItem(QFromAnsi(text)); });
            if (windows_)
                windows_->PhoneMenuItem(text, false);
            break;
        default:
            break;
    }
}

}  // namespace nimbra::handset
