#include "driverwindow.h"

#include <chrono>
#include <exception>
#include <utility>

#include <QCoreApplication>
#include <QThread>

#include "Transmit_TLB.h"
#include "drivermessages.h"
#include "notifier.h"
#include "pendingcall.h"
#include "qansi.h"

namespace nimbra::driver {

namespace {

constexpr int kPingIntervalMs = 1000;
// The engine stores a message in well under a second; a window thread kept longer is itself
// waiting (for the worker to end, say), and the message is handed over again later.
constexpr std::chrono::seconds kTakeTimeout{10};

}  // namespace

DriverWindow::DriverWindow(const com::TransmitEngine& engine)
    : phone_(std::make_unique<com::TnbSMSPhoneProxy>(engine)) {
    tPing_.setInterval(kPingIntervalMs);
    connect(&tPing_, &QTimer::timeout, this, &DriverWindow::tPingTimer);
    using Phone = com::TnbSMSPhoneProxy;
    connect(phone_.get(), &Phone::Connect, this, [this] { nbSMSPhone1Connect(); });
    connect(phone_.get(), &Phone::Disconnect, this, [this] { nbSMSPhone1Disconnect(); });
    connect(phone_.get(), &Phone::Transmit, this,
            [this](const QString& sms) { nbSMSPhone1Transmit(sms); });
    connect(phone_.get(), &Phone::MenuItemClick, this,
            [this](const QString& name) { nbSMSPhone1MenuItemClick(name); });
    connect(phone_.get(), &Phone::info, this,
            [this](const QString& name) { nbSMSPhone1info(name); });
    connect(phone_.get(), &Phone::ServerShutdown, this, [this] { nbSMSPhone1ServerShutdown(); });
    connect(phone_.get(), &Phone::unInstall, this, [this] { nbSMSPhone1unInstall(); });
    connect(phone_.get(), &Phone::engineGone, this, &DriverWindow::ShutDown);
}

DriverWindow::~DriverWindow() = default;

bool DriverWindow::EngineCall(const std::function<void()>& call) {
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

void DriverWindow::tPingTimer() {
    try {
        phone_->statusInfo(QStringLiteral("ping"));
    } catch (const std::exception&) {
        tPing_.stop();
        ShutDown();
    }
}

void DriverWindow::ShutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    closing_ = true;
    tPing_.stop();
    try {
        phone_->Release();
    } catch (const std::exception&) {
        // The engine has gone already.
    }
    OnShutDown();
    emit shutDown();
}

void DriverWindow::Post(int message, int wParam, int lParam, std::string text, std::string name) {
    QCoreApplication::postEvent(
        this, new DriverMessageEvent(message, wParam, lParam, std::move(text), std::move(name)));
}

bool DriverWindow::event(QEvent* event) {
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
        const DriverMessage next = std::move(queuedMessages_.front());
        queuedMessages_.pop_front();
        if (!shutDown_ && !HandleCommonMessage(next)) {
            HandleMessage(next);
        }
    }
    return true;
}

bool DriverWindow::HandleCommonMessage(const DriverMessage& message) {
    const QString text = QFromAnsi(message.text);
    switch (message.message) {
        case WM_DRV_STATUS:
            EngineCall([&] { phone_->statusInfo(text); });
            return true;
        case WM_DRV_BUSY:
            EngineCall([&] { phone_->sendFailed(text, QStringLiteral("phone busy")); });
            return true;
        case WM_DRV_DEVICEINFO:
            try {
                phone_->deviceInfo(text);
            } catch (const std::exception&) {
                // Device information is only shown; the ping notices an engine that has gone.
            }
            return true;
        case WM_DRV_SHOW_MESSAGE:
            ProcessNotifier().ShowMessage(message.text);
            return true;
        default:
            return false;
    }
}

void DriverWindow::ReportSent(const std::string& messageId, const std::string& senderGroup,
                              const std::string& reference, const std::string& status) {
    EngineCall([&] {
        phone_->sendSuccess(QFromAnsi(messageId),
                            QFromAnsi("{" + senderGroup + "},{" + reference + "}"));
        phone_->statusInfo(QFromAnsi(status));
    });
}

void DriverWindow::ReportFailed(const std::string& messageId, const std::string& status,
                                const char* reason) {
    EngineCall([&] {
        phone_->sendFailed(QFromAnsi(messageId), QString::fromLatin1(reason));
        phone_->statusInfo(QFromAnsi(status));
    });
}

}  // namespace nimbra::driver

namespace nimbra::driver {

void DriverWindow::ReportSentLater(const std::string& messageId, const std::string& senderGroup,
                                   const std::string& reference) {
    if (shutDown_) {
        return;
    }
    KeepReport(phone_->sendSuccessLater(QFromAnsi(messageId),
                                        QFromAnsi("{" + senderGroup + "},{" + reference + "}")));
}

void DriverWindow::ReportFailedLater(const std::string& messageId, const char* reason) {
    if (shutDown_) {
        return;
    }
    KeepReport(phone_->sendFailedLater(QFromAnsi(messageId), QString::fromLatin1(reason)));
}

void DriverWindow::KeepReport(QDBusPendingCall call) {
    unansweredReports_.push_back(std::move(call));
    while (!unansweredReports_.empty()) {
        QDBusPendingCall& oldest = unansweredReports_.front();
        if (!oldest.isFinished() && unansweredReports_.size() <= kMostUnansweredReports) {
            return;
        }
        const bool refused =
            !oldest.isFinished() ? !EngineCall([&] { com::AwaitReply(oldest); }) : oldest.isError();
        unansweredReports_.pop_front();
        if (refused) {
            unansweredReports_.clear();
            ShutDown();
            return;
        }
    }
}

bool DriverWindow::AwaitTake(int message, std::string record) {
    // The window thread cannot wait for itself.
    if (QThread::currentThread() == thread()) {
        Post(message, 0, 1, std::move(record));
        return true;
    }
    std::unique_lock lock(takesMutex_);
    if (takesAbandoned_)
        return false;
    if (++lastTake_ <= 0)
        lastTake_ = 1;
    const int number = lastTake_;
    takes_[number] = {};
    Post(message, number, 1, std::move(record));
    takesChanged_.wait_for(lock, kTakeTimeout,
                           [&] { return takes_[number].done || takesAbandoned_; });
    const bool taken = takes_[number].done && takes_[number].taken;
    takes_.erase(number);
    return taken;
}

void DriverWindow::FinishTake(int number, bool taken) {
    {
        const std::lock_guard lock(takesMutex_);
        const auto pending = takes_.find(number);
        if (pending == takes_.end())
            return;
        pending->second.done = true;
        pending->second.taken = taken;
    }
    takesChanged_.notify_all();
}

void DriverWindow::AbandonTakes() {
    {
        const std::lock_guard lock(takesMutex_);
        takesAbandoned_ = true;
    }
    takesChanged_.notify_all();
}

}  // namespace nimbra::driver
