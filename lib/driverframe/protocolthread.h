#pragma once
// A driver link's one protocol thread, owned by the window thread. A new thread starts only
// when the previous one has ended and been joined: a start that comes while one still runs
// stops it (through the link's stop flag) and is carried out once it has ended, without
// blocking the window thread meanwhile.

#include <atomic>
#include <functional>
#include <memory>

#include <QThread>

namespace nimbra::driver {

class ProtocolThreadOwner {
public:
    // restart carries out a start that had to wait; ended runs (on the window thread) after a
    // thread has ended when no start waits.
    ProtocolThreadOwner(std::atomic<bool>& stop, std::function<void()> restart,
                        std::function<void()> ended = {});
    ~ProtocolThreadOwner();

    // True when a new thread may start now. Otherwise the running one is told to stop and
    // restart follows once it has ended.
    bool ReadyToStart();
    void Run(std::unique_ptr<QThread> thread);
    bool Running() const { return thread_ != nullptr; }
    // A start that waits for the running thread to end is dropped.
    void CancelRestart() { restartWhenEnded_ = false; }
    // Stops the thread and waits for it; nothing is restarted.
    void Shutdown();

private:
    void Ended();

    std::atomic<bool>& stop_;
    std::function<void()> restart_;
    std::function<void()> ended_;
    std::unique_ptr<QThread> thread_;
    bool restartWhenEnded_ = false;
};

}  // namespace nimbra::driver
