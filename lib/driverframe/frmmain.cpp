#include "frmmain.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include <QThread>

#include "Transmit_TLB.h"
#include "drivermessages.h"
#include "frmlog.h"
#include "frmpref.h"
#include "qansi.h"
#include "radiofields.h"
#include "settingsstore.h"
#include "timescale.h"

namespace nimbra::driver {

namespace {

// How long the protocol thread waits for an incoming message to reach the engine.

const std::string kConfigurationItem = " Configuration";
const std::string kCommunicationItem = " Communication";

}  // namespace

TfrmMain::TfrmMain(const FrameConfig& config, const com::TransmitEngine& engine)
    : DriverWindow(engine),
      config_(config),
      timeScale_(ProcessTimeScale()),
      mailbox_([this](int slot) { Post(WM_DRV_MAILBOX, slot); }),
      log_(mailbox_,
           {.operatorName = [this] { return Field(kFieldOperator); },
            .logToFile = [this] { return Field(kFieldLog) == "1"; },
            .engineFolder = [this] { return engineFolder_; },
            .appendToView =
                [this](std::string line) { Post(WM_DRV_LOG_VIEW, 0, 1, std::move(line)); }}) {
    setObjectName(QStringLiteral("frmMain"));
    for (const PrefField& field : config_.fields) {
        fields_.Set(field.name, field.value);
    }
    fields_.OnChange([this](std::string name, std::string value) {
        Post(WM_DRV_FIELD_CHANGED, 0, 1, std::move(value), std::move(name));
    });
    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(ScaledMs(config_.retryIntervalMs, timeScale_));
    connect(&retryTimer_, &QTimer::timeout, this, &TfrmMain::RetryTimerFired);
}

TfrmMain::~TfrmMain() {
    AbandonTakes();
    if (link_) {
        link_->Shutdown();
    }
}

bool TfrmMain::FormCreate() {
    link_ = config_.makeLink(*this);
    realName_ = config_.requestedName;
    engineConnected_ = false;
    bool created = EngineCall([this] {
        engineFolder_ = phone().sendInfo("system", "exedir").toString().toStdString();
        phone().lock();
        realName_ = QToAnsi(phone().login(QFromAnsi(realName_)).toString());
        LoadFields();
        phone().registerMenuItem(QFromAnsi(realName_ + kConfigurationItem));
        phone().registerMenuItem(QFromAnsi(realName_ + kCommunicationItem));
        phone().unlock();
    });
    if (!created) {
        return false;
    }
    StartPing();
    StopRetryTimer();
    return true;
}

void TfrmMain::CreateWindows() {
    ownPref_ = std::make_unique<TfrmPref>(config_, realName_, fields_);
    ownLog_ = std::make_unique<TfrmLog>(config_.logCaption);
    AttachWindows(ownPref_.get(), ownLog_.get());
}

// The link may start as soon as the engine can reach the driver (a Connect that comes while
// a later call of the login waits), so it finds the stored settings already, before the
// preferences window exists.
void TfrmMain::LoadFields() {
    for (const PrefField& field : config_.fields) {
        fields_.Set(field.name, ReadPluginSetting(realName_, field.name, field.value));
    }
    SettleRadioGroups(config_.fields, fields_);
}

void TfrmMain::AttachWindows(TfrmPref* pref, TfrmLog* log) {
    pref_ = pref;
    logWindow_ = log;
    connect(pref_, &TfrmPref::applied, this, &TfrmMain::PreferencesApplied);
    PreferencesApplied();
}

void TfrmMain::PreferencesApplied() {
    EngineCall([this] {
        phone().sendInfo("operator", QFromAnsi(Field(kFieldOperator)));
        phone().deviceInfo(QFromAnsi(DeviceText()));
    });
    TellWindow();
}

std::string TfrmMain::DeviceText() const {
    return "@" + Field(kFieldHost) + ":" + Field(kFieldPort);
}

void TfrmMain::Log(std::string_view level, std::string_view line) {
    log_.Log(level, line);
}

// --- engine events ---------------------------------------------------------------------

void TfrmMain::nbSMSPhone1Connect() {
    try {
        phone().sendInfo("operator", QFromAnsi(Field(kFieldOperator)));
        if (link_->Window() != 1) {
            phone().sendInfo("window", QString::number(link_->Window()));
            toldWindow_ = link_->Window();
        }
        engineConnected_ = true;
        link_->EngineConnect();
        phone().connectionSuccess();
        link_->Start();
    } catch (const std::exception&) {
        EngineCall([this] { phone().connectionFailed(); });
    }
}

void TfrmMain::nbSMSPhone1Disconnect() {
    engineConnected_ = false;
    link_->EngineDisconnect();
}

void TfrmMain::nbSMSPhone1Transmit(const QString& sms) {
    std::string text = QToAnsi(sms);
    if (text.empty() || text.front() != '{') {
        Log("1", "Message from the engine could not be read");
        return;
    }
    TGsmSms record;
    record.FromText(text);
    // A message is in flight until the window thread has reported it, even when the link
    // has already cleared its busy flag. A link with a window takes that many.
    const int window = link_->Window();
    const bool full = window <= 1 ? !inFlight_.empty() || link_->Busy()
                                  : inFlight_.size() >= static_cast<std::size_t>(window);
    if (full) {
        Post(WM_DRV_BUSY, 0, 1, record.messageId);
        return;
    }
    link_->SetBusy(true);
    std::string sender = Field(kFieldSender);
    if (config_.keepSenderMarker.empty() || sender != config_.keepSenderMarker) {
        record.sender = sender;
    }
    link_->Submit(record);
    // Many in flight: the engine's status line is not told of each one.
    if (window <= 1) {
        Post(WM_DRV_STATUS, 0, 1, "Sending " + record.Summary());
    }
    inFlight_.push_back(std::move(record));
}

void TfrmMain::nbSMSPhone1MenuItemClick(const QString& name) {
    std::string item = QToAnsi(name);
    if (item == realName_ + kConfigurationItem && pref_) {
        pref_->setWindowTitle(name);
        pref_->show();
        pref_->raise();
    } else if (item == realName_ + kCommunicationItem && logWindow_) {
        logWindow_->show();
        logWindow_->raise();
    }
}

void TfrmMain::nbSMSPhone1info(const QString& name) {
    if (name == QLatin1String("devicename")) {
        PostDeviceInfo(DeviceText());
    }
}

void TfrmMain::nbSMSPhone1unInstall() {
    EngineCall([this] {
        phone().lock();
        phone().unRegisterMenuItem(QFromAnsi(realName_ + kConfigurationItem));
        phone().unRegisterMenuItem(QFromAnsi(realName_ + kCommunicationItem));
        phone().unlock();
    });
}

void TfrmMain::nbSMSPhone1ServerShutdown() {
    if (IsShutDown()) {
        return;
    }
    SetClosing();
    // The link hears of it before the calls below: while they wait, the engine may leave the
    // bus, which shuts the driver and its link down at once.
    link_->EngineShutdown();
    for (const std::string& item : {kConfigurationItem, kCommunicationItem}) {
        try {
            phone().unRegisterMenuItem(QFromAnsi(realName_ + item));
        } catch (const std::exception&) {
            // The engine is closing; the items go with it.
        }
    }
    engineConnected_ = false;
    ShutDown();
}

void TfrmMain::OnShutDown() {
    retryTimer_.stop();
    if (link_) {
        link_->Shutdown();
    }
}

void TfrmMain::StartRetryTimer(int delayMs) {
    retryTimer_.start(ScaledMs(delayMs > 0 ? delayMs : config_.retryIntervalMs, timeScale_));
}

void TfrmMain::StopRetryTimer() {
    retryTimer_.stop();
}

void TfrmMain::RetryTimerFired() {
    retryTimer_.stop();
    if (!IsShutDown() && engineConnected_) {
        link_->RetryTimer();
    }
}

// --- window messages -------------------------------------------------------------------

void TfrmMain::Sent(std::string reference) {
    Post(WM_DRV_SENT, 0, 1, std::move(reference));
}
void TfrmMain::Failed() {
    Post(WM_DRV_FAILED);
}
void TfrmMain::HandedBack() {
    Post(WM_DRV_HANDED_BACK);
}
// wParam 1: the message id in the name picks the message.
void TfrmMain::MessageSent(std::string messageId, std::string reference) {
    Post(WM_DRV_SENT, 1, 1, std::move(reference), std::move(messageId));
}
void TfrmMain::MessageFailed(std::string messageId) {
    Post(WM_DRV_FAILED, 1, 1, {}, std::move(messageId));
}
void TfrmMain::MessageHandedBack(std::string messageId) {
    Post(WM_DRV_HANDED_BACK, 1, 1, {}, std::move(messageId));
}
void TfrmMain::Info(std::string name, std::string value) {
    Post(WM_DRV_SEND_INFO, 0, 1, std::move(value), std::move(name));
}
void TfrmMain::Received(std::string record) {
    Post(WM_DRV_RECEIVED, 0, 1, std::move(record));
}

bool TfrmMain::Taken(std::string record) {
    return AwaitTake(WM_DRV_RECEIVED, std::move(record));
}
void TfrmMain::PostLinkConnected() {
    Post(WM_DRV_LINK_CONNECTED);
}
void TfrmMain::PostLinkDisconnected() {
    Post(WM_DRV_LINK_DISCONNECTED);
}
void TfrmMain::PostLinkStatus(std::string text) {
    Post(WM_DRV_LINK_STATUS, 0, 1, std::move(text));
}
void TfrmMain::PostArmRetry() {
    Post(WM_DRV_ARM_RETRY);
}
void TfrmMain::PostShowMessage(std::string text) {
    Post(WM_DRV_SHOW_MESSAGE, 0, 1, std::move(text));
}
void TfrmMain::PostDeviceInfo(std::string text) {
    Post(WM_DRV_DEVICEINFO, 0, 1, std::move(text));
}
void TfrmMain::PostThreadEnded(bool reconnect) {
    Post(WM_DRV_THREAD_ENDED, 0, reconnect ? 1 : 0);
}

void TfrmMain::HandleMessage(const DriverMessage& message) {
    const std::string& text = message.text;
    switch (message.message) {
        case WM_DRV_SENT:
            HandleSent(text, message.wParam == 1, message.name);
            break;
        case WM_DRV_FAILED:
            HandleFailed(false, message.wParam == 1, message.name);
            break;
        case WM_DRV_HANDED_BACK:
            HandleFailed(true, message.wParam == 1, message.name);
            break;
        case WM_DRV_SEND_INFO:
            EngineCall([&] { phone().sendInfo(QFromAnsi(message.name), QFromAnsi(text)); });
            break;
        case WM_DRV_RECEIVED: {
            const bool taken =
                !closing() && EngineCall([&] { phone().smsReceived(QFromAnsi(text)); });
            if (message.wParam != 0)
                FinishTake(message.wParam, taken);
            break;
        }
        case WM_DRV_MAILBOX:
            if (std::string line = mailbox_.Take(message.wParam); !line.empty()) {
                try {
                    phone().deviceInfo(QFromAnsi(line));
                } catch (const std::exception&) {
                    // The ping notices an engine that has gone.
                }
            }
            break;
        case WM_DRV_THREAD_ENDED:
            if (message.lParam == 1) {
                StartRetryTimer();
            }
            break;
        case WM_DRV_LINK_CONNECTED:
            if (logWindow_) {
                logWindow_->SetStatus(QStringLiteral("Connected"));
            }
            break;
        case WM_DRV_LINK_DISCONNECTED:
            if (logWindow_) {
                logWindow_->SetStatus(QStringLiteral("Disconnected"));
            }
            link_->LinkLost();
            break;
        case WM_DRV_LINK_STATUS:
            if (logWindow_) {
                logWindow_->SetStatus(QFromAnsi(text));
            }
            break;
        case WM_DRV_ARM_RETRY:
            // Posted before a Disconnect that was handled first: the link stays down.
            if (engineConnected_) {
                StartRetryTimer();
            }
            break;
        case WM_DRV_LOG_VIEW:
            if (logWindow_) {
                logWindow_->AppendLine(QFromAnsi(text));
            }
            break;
        case WM_DRV_FIELD_CHANGED:
            if (pref_) {
                pref_->ShowField(message.name);
            }
            break;
        default:
            break;
    }
}

// The record leaves the in-flight list before the engine hears of it, so a Transmit that
// arrives while the calls wait finds room for it.
std::optional<TGsmSms> TfrmMain::TakeInFlight(bool byId, const std::string& messageId) {
    auto it = inFlight_.begin();
    if (byId) {
        it = std::find_if(inFlight_.begin(), inFlight_.end(),
                          [&](const TGsmSms& r) { return r.messageId == messageId; });
    }
    if (it == inFlight_.end()) {
        return std::nullopt;
    }
    TGsmSms record = std::move(*it);
    inFlight_.erase(it);
    link_->SetBusy(!inFlight_.empty());
    return record;
}

void TfrmMain::HandleSent(const std::string& reference, bool byId, const std::string& messageId) {
    if (closing()) {
        return;
    }
    std::optional<TGsmSms> taken = TakeInFlight(byId, messageId);
    if (!taken) {
        return;
    }
    TGsmSms& record = *taken;
    record.reference = reference;
    if (record.messageId.empty()) {
        record.messageId = "0";
    }
    if (link_->Window() > 1) {
        ReportSentLater(record.messageId, record.sender, record.reference);
    } else {
        ReportSent(record.messageId, record.sender, record.reference,
                   "Transmitted " + record.Summary());
    }
}

// A message handed back ("phone busy") stays in the engine's Outbox with its retries
// untouched; a failed one uses a retry.
void TfrmMain::HandleFailed(bool handedBack, bool byId, const std::string& messageId) {
    if (closing()) {
        return;
    }
    std::optional<TGsmSms> taken = TakeInFlight(byId, messageId);
    if (!taken) {
        return;
    }
    const TGsmSms& record = *taken;
    if (link_->Window() > 1) {
        ReportFailedLater(record.messageId, handedBack ? "phone busy" : "could not transmit");
    } else if (handedBack) {
        ReportFailed(record.messageId, "Handed back " + record.Summary(), "phone busy");
    } else {
        ReportFailed(record.messageId, "Send failed " + record.Summary());
    }
}

void TfrmMain::TellWindow() {
    const int window = link_->Window();
    if (window == toldWindow_) {
        return;
    }
    if (EngineCall([&] { phone().sendInfo("window", QString::number(window)); })) {
        toldWindow_ = window;
    }
}

}  // namespace nimbra::driver
