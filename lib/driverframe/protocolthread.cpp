#include "protocolthread.h"

namespace nimbra::driver {

ProtocolThreadOwner::ProtocolThreadOwner(std::atomic<bool>& stop, std::function<void()> restart,
                                         std::function<void()> ended)
    : stop_(stop), restart_(std::move(restart)), ended_(std::move(ended)) {}

ProtocolThreadOwner::~ProtocolThreadOwner() {
    Shutdown();
}

bool ProtocolThreadOwner::ReadyToStart() {
    if (!thread_)
        return true;
    stop_ = true;
    restartWhenEnded_ = true;
    return false;
}

void ProtocolThreadOwner::Run(std::unique_ptr<QThread> thread) {
    thread_ = std::move(thread);
    QObject::connect(
        thread_.get(), &QThread::finished, thread_.get(), [this] { Ended(); },
        Qt::QueuedConnection);
    thread_->start();
}

void ProtocolThreadOwner::Ended() {
    if (!thread_ || thread_->isRunning())
        return;
    thread_->wait();
    thread_.reset();
    if (restartWhenEnded_) {
        restartWhenEnded_ = false;
        restart_();
    } else if (ended_) {
        ended_();
    }
}

void ProtocolThreadOwner::Shutdown() {
    stop_ = true;
    restartWhenEnded_ = false;
    if (thread_) {
        thread_->wait();
        thread_.reset();
    }
}

}  // namespace nimbra::driver
