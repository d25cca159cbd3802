#pragma once
// One connection of the handset to its device, on a thread of its own: the phone's
// ConnectDevice (the settle time and the initialisation), the outcome posted to the window,
// then, unless only a test was asked for, the phone manager until the device is no longer
// wanted; last the port is closed. The window never waits for it: it hears of the end.

#include <atomic>
#include <functional>

#include <QThread>

#include "phonemanager.h"
#include "unPhone.h"

namespace nimbra::handset {

class HandsetSession final : public QThread {
public:
    // connected(ok) posts the connection result; ended() posts the end. Both return at once.
    HandsetSession(TPhone& phone, HandsetSettings& settings, ManagerShared& shared,
                   ManagerEvents& events, bool testOnly, std::function<void(bool)> connected,
                   std::function<void()> ended);

    // Whether the manager has started (a connection that is still being made can be cut
    // short with the phone's Abort).
    bool ManagerStarted() const { return managerStarted_; }

protected:
    void run() override;

private:
    TPhone& phone_;
    HandsetSettings& settings_;
    ManagerShared& shared_;
    ManagerEvents& events_;
    const bool testOnly_;
    std::function<void(bool)> connected_;
    std::function<void()> ended_;
    std::atomic<bool> managerStarted_ = false;
};

}  // namespace nimbra::handset
