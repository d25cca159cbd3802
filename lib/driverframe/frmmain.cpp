#include "frmmain.h"

#include <exception>
#include <utility>

#include <QCoreApplication>

#include "Transmit_TLB.h"
#include "drivermessages.h"
#include "frmlog.h"
#include "frmpref.h"
#include "notifier.h"
#include "qansi.h"
#include "radiofields.h"
#include "settingsstore.h"

namespace nimbra::driver {

namespace {

constexpr int kPingIntervalMs = 1000;
const std::string kConfigurationItem = " Configuration";
const std::string kCommunicationItem = " Communication";

}  // namespace

TfrmMain::TfrmMain(const FrameConfig& config, const com::TransmitEngine& engine)
    : config_(config),
      phone_(std::make_unique<com::TnbSMSPhoneProxy>(engine)),
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
    tPing_.setInterval(kPingIntervalMs);
    connect(&tPing_, &QTimer::timeout, this, &TfrmMain::tPingTimer);
    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(config_.retryIntervalMs);
    connect(&retryTimer_, &QTimer::timeout, this, &TfrmMain::RetryTimerFired);

    using Phone = com::TnbSMSPhoneProxy;
    connect(phone_.get(), &Phone::Connect, this, &TfrmMain::nbSMSPhone1Connect);
    connect(phone_.get(), &Phone::Disconnect, this, &TfrmMain::nbSMSPhone1Disconnect);
    connect(phone_.get(), &Phone::Transmit, this, &TfrmMain::nbSMSPhone1Transmit);
    connect(phone_.get(), &Phone::MenuItemClick, this, &TfrmMain::nbSMSPhone1MenuItemClick);
    connect(phone_.get(), &Phone::info, this, &TfrmMain::nbSMSPhone1info);
    connect(phone_.get(), &Phone::ServerShutdown, this, &TfrmMain::nbSMSPhone1ServerShutdown);
    connect(phone_.get(), &Phone::unInstall, this, &TfrmMain::nbSMSPhone1unInstall);
    connect(phone_.get(), &Phone::engineGone, this, &TfrmMain::ShutDown);
}

TfrmMain::~TfrmMain() {
    if (link_) {
        link_->Shutdown();
    }
}

template <typename Call>
bool TfrmMain::EngineCall(Call&& call) {
    if (shutDown_) {
        return false;
    }
    try {
        call();
        return true;
    } catch (const std::exception&) {
        ShutDown();
        return false;
    }
}

bool TfrmMain::FormCreate() {
    link_ = config_.makeLink(*this);
    realName_ = config_.requestedName;
    engineConnected_ = false;
    closing_ = false;
    bool created = EngineCall([this] {
        engineFolder_ = phone_->sendInfo("system", "exedir").toString().toStdString();
        phone_->lock();
        realName_ = QToAnsi(phone_->login(QFromAnsi(realName_)).toString());
        LoadFields();
        phone_->registerMenuItem(QFromAnsi(realName_ + kConfigurationItem));
        phone_->registerMenuItem(QFromAnsi(realName_ + kCommunicationItem));
        phone_->unlock();
    });
    if (!created) {
        return false;
    }
    tPing_.start();
    StopRetryTimer();
    return true;
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
        phone_->sendInfo("operator", QFromAnsi(Field(kFieldOperator)));
        phone_->deviceInfo(QFromAnsi(DeviceText()));
    });
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
        phone_->sendInfo("operator", QFromAnsi(Field(kFieldOperator)));
        engineConnected_ = true;
        link_->EngineConnect();
        phone_->connectionSuccess();
        link_->Start();
    } catch (const std::exception&) {
        EngineCall([this] { phone_->connectionFailed(); });
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
    // has already cleared its busy flag.
    if (inFlight_ || link_->Busy()) {
        Post(WM_DRV_BUSY, 0, 1, record.messageId);
        return;
    }
    link_->SetBusy(true);
    std::string sender = Field(kFieldSender);
    if (config_.keepSenderMarker.empty() || sender != config_.keepSenderMarker) {
        record.sender = sender;
    }
    link_->Submit(record);
    successSender_ = record.sender;
    Post(WM_DRV_STATUS, 0, 1, "Sending " + record.Summary());
    inFlight_ = std::move(record);
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
        phone_->lock();
        phone_->unRegisterMenuItem(QFromAnsi(realName_ + kConfigurationItem));
        phone_->unRegisterMenuItem(QFromAnsi(realName_ + kCommunicationItem));
        phone_->unlock();
    });
}

void TfrmMain::nbSMSPhone1ServerShutdown() {
    if (shutDown_) {
        return;
    }
    closing_ = true;
    // The link hears of it before the calls below: while they wait, the engine may leave the
    // bus, which shuts the driver and its link down at once.
    link_->EngineShutdown();
    for (const std::string& item : {kConfigurationItem, kCommunicationItem}) {
        try {
            phone_->unRegisterMenuItem(QFromAnsi(realName_ + item));
        } catch (const std::exception&) {
            // The engine is closing; the items go with it.
        }
    }
    engineConnected_ = false;
    ShutDown();
}

void TfrmMain::tPingTimer() {
    try {
        phone_->statusInfo(QStringLiteral("ping"));
    } catch (const std::exception&) {
        tPing_.stop();
        ShutDown();
    }
}

void TfrmMain::ShutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    closing_ = true;
    tPing_.stop();
    retryTimer_.stop();
    try {
        phone_->Release();
    } catch (const std::exception&) {
        // The engine has gone already.
    }
    if (link_) {
        link_->Shutdown();
    }
    emit shutDown();
}

void TfrmMain::StartRetryTimer(int delayMs) {
    retryTimer_.start(delayMs > 0 ? delayMs : config_.retryIntervalMs);
}

void TfrmMain::StopRetryTimer() {
    retryTimer_.stop();
}

void TfrmMain::RetryTimerFired() {
    retryTimer_.stop();
    if (!shutDown_ && engineConnected_) {
        link_->RetryTimer();
    }
}

// --- window messages -------------------------------------------------------------------

void TfrmMain::Post(int message, int wParam, int lParam, std::string text, std::string name) {
    QCoreApplication::postEvent(
        this, new DriverMessageEvent(message, wParam, lParam, std::move(text), std::move(name)));
}

void TfrmMain::Sent(std::string reference) {
    Post(WM_DRV_SENT, 0, 1, std::move(reference));
}
void TfrmMain::Failed() {
    Post(WM_DRV_FAILED);
}
void TfrmMain::HandedBack() {
    Post(WM_DRV_HANDED_BACK);
}
void TfrmMain::Info(std::string name, std::string value) {
    Post(WM_DRV_SEND_INFO, 0, 1, std::move(value), std::move(name));
}
void TfrmMain::Received(std::string record) {
    Post(WM_DRV_RECEIVED, 0, 1, std::move(record));
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

bool TfrmMain::event(QEvent* event) {
    if (event->type() != DriverMessageEvent::EventType()) {
        return QWidget::event(event);
    }
    const auto* message = static_cast<const DriverMessageEvent*>(event);
    queuedMessages_.push_back(
        {message->message, message->wParam, message->lParam, message->text, message->name});
    // An engine call lets the event loop run while it waits, so the next window message can
    // arrive while one is still being handled. It waits here for the handler before it
    // instead of nesting one more engine call per message: the messages are handled one
    // after the other in posting order, and a burst of them cannot exhaust the stack.
    if (handlingMessage_) {
        return true;
    }
    struct Handling {
        bool& flag;
        explicit Handling(bool& f) : flag(f) { flag = true; }
        ~Handling() { flag = false; }
    } handling(handlingMessage_);
    while (!queuedMessages_.empty()) {
        const QueuedMessage next = std::move(queuedMessages_.front());
        queuedMessages_.pop_front();
        HandleMessage(next.message, next.wParam, next.lParam, next.text, next.name);
    }
    return true;
}

void TfrmMain::HandleMessage(int message, int wParam, int lParam, const std::string& text,
                             const std::string& name) {
    if (shutDown_) {
        return;
    }
    switch (message) {
        case WM_DRV_SENT:
            HandleSent(text);
            break;
        case WM_DRV_FAILED:
            HandleUnsent(QStringLiteral("could not transmit"), "Send failed ");
            break;
        case WM_DRV_HANDED_BACK:
            HandleUnsent(QStringLiteral("phone busy"), "Handed back ");
            break;
        case WM_DRV_SEND_INFO:
            EngineCall([&] { phone_->sendInfo(QFromAnsi(name), QFromAnsi(text)); });
            break;
        case WM_DRV_RECEIVED:
            if (!closing_) {
                EngineCall([&] { phone_->smsReceived(QFromAnsi(text)); });
            }
            break;
        case WM_DRV_MAILBOX:
            if (std::string line = mailbox_.Take(wParam); !line.empty()) {
                try {
                    phone_->deviceInfo(QFromAnsi(line));
                } catch (const std::exception&) {
                    // The ping notices an engine that has gone.
                }
            }
            break;
        case WM_DRV_STATUS:
            EngineCall([&] { phone_->statusInfo(QFromAnsi(text)); });
            break;
        case WM_DRV_BUSY:
            EngineCall([&] { phone_->sendFailed(QFromAnsi(text), QStringLiteral("phone busy")); });
            break;
        case WM_DRV_DEVICEINFO:
            try {
                phone_->deviceInfo(QFromAnsi(text));
            } catch (const std::exception&) {
                // Device information is only shown; the ping notices an engine that has gone.
            }
            break;
        case WM_DRV_THREAD_ENDED:
            if (lParam == 1) {
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
        case WM_DRV_SHOW_MESSAGE:
            ProcessNotifier().ShowMessage(text);
            break;
        case WM_DRV_LOG_VIEW:
            if (logWindow_) {
                logWindow_->AppendLine(QFromAnsi(text));
            }
            break;
        case WM_DRV_FIELD_CHANGED:
            if (pref_) {
                pref_->ShowField(name);
            }
            break;
        default:
            break;
    }
}

// The record leaves the in-flight slot before the engine hears of it, so a Transmit that
// arrives while the calls wait finds the driver free.
TGsmSms TfrmMain::TakeInFlight() {
    TGsmSms record = std::move(*inFlight_);
    inFlight_.reset();
    link_->SetBusy(false);
    return record;
}

void TfrmMain::HandleSent(const std::string& reference) {
    if (closing_ || !inFlight_) {
        return;
    }
    TGsmSms record = TakeInFlight();
    record.sender = successSender_;
    record.reference = reference;
    if (record.messageId.empty()) {
        record.messageId = "0";
    }
    EngineCall([&] {
        phone_->sendSuccess(QFromAnsi(record.messageId),
                            QFromAnsi("{" + record.sender + "},{" + record.reference + "}"));
        phone_->statusInfo(QFromAnsi("Transmitted " + record.Summary()));
    });
}

// "could not transmit" uses one of the message's retries; "phone busy" (handed back) keeps
// the message in the Outbox with its retries untouched.
void TfrmMain::HandleUnsent(const QString& reason, const std::string& status) {
    if (closing_ || !inFlight_) {
        return;
    }
    TGsmSms record = TakeInFlight();
    EngineCall([&] {
        phone_->sendFailed(QFromAnsi(record.messageId), reason);
        phone_->statusInfo(QFromAnsi(status + record.Summary()));
    });
}

}  // namespace nimbra::driver
