#include "qtenginehost.h"

#include <exception>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QTimer>

#include "notifier.h"
#include "qfilterlibrary.h"

namespace nimbra {
namespace {

// A QTimer owned through the engine's handle. The engine may destroy the handle from inside
// the timer's own action; the QTimer is then deleted once control is back in the event loop.
class QtEngineTimer final : public EngineTimer {
public:
    QtEngineTimer(QObject* parent, std::function<void()> action, bool singleShot)
        : timer_(new QTimer(parent)), firing_(std::make_shared<int>(0)) {
        timer_->setSingleShot(singleShot);
        auto shared = std::make_shared<std::function<void()>>(std::move(action));
        QObject::connect(timer_, &QTimer::timeout, timer_, [shared, firing = firing_] {
            // Local copies: the handle (and the connection) may be gone when the action ends.
            const auto keep = shared;
            // A depth, not a flag: the action may run again inside a nested event loop.
            const auto depth = firing;
            ++*depth;
            RunGuarded(*keep);
            --*depth;
        });
    }

    ~QtEngineTimer() override {
        timer_->stop();
        QObject::disconnect(timer_, nullptr, nullptr, nullptr);
        if (*firing_ > 0)
            timer_->deleteLater();
        else
            delete timer_;
    }

    QtEngineTimer(const QtEngineTimer&) = delete;
    QtEngineTimer& operator=(const QtEngineTimer&) = delete;

    void Start(int intervalMs) override { timer_->start(intervalMs); }
    void Stop() override { timer_->stop(); }
    bool IsActive() const override { return timer_->isActive(); }
    int Interval() const override { return timer_->interval(); }

private:
    QTimer* timer_;
    std::shared_ptr<int> firing_;
};

}  // namespace

void RunGuarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        ProcessNotifier().ShowMessage(std::string("Internal error: ") + e.what());
    } catch (...) {
        ProcessNotifier().ShowMessage("Internal error: unknown exception");
    }
}

QtEngineHost::QtEngineHost() = default;

QtEngineHost::~QtEngineHost() = default;

std::unique_ptr<EngineTimer> QtEngineHost::CreateTimer(std::function<void()> action,
                                                       bool singleShot) {
    return std::make_unique<QtEngineTimer>(&context_, std::move(action), singleShot);
}

void QtEngineHost::Post(std::function<void()> action) {
    // Queued calls to one receiver are delivered in the order they were posted.
    QMetaObject::invokeMethod(
        &context_, [action = std::move(action)] { RunGuarded(action); }, Qt::QueuedConnection);
}

bool QtEngineHost::StartProgram(const std::string& path) {
    return QProcess::startDetached(QFile::decodeName(path.c_str()), {}, QDir::currentPath());
}

void QtEngineHost::PlaySound(const std::string& path) {
    sounds_.Play(QFile::decodeName(path.c_str()));
}

std::unique_ptr<FilterLibrary> QtEngineHost::LoadFilterLibrary(const std::string& path,
                                                               std::string& error) {
    return QFilterLibrary::Load(path, error);
}

void QtEngineHost::TellHandsetToClose() {
    if (closeNotice_)
        closeNotice_();
}

void QtEngineHost::Quit() {
    // Queued, so that a quit asked for before the event loop runs still ends it.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

std::string QtEngineHost::ProcessId() const {
    return std::to_string(QCoreApplication::applicationPid());
}

}  // namespace nimbra
