#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop: the signal handler only
// writes a byte to a pipe, and a socket notifier reads it on the main thread. After the first
// signal the default handling is back, so a second Ctrl-C ends a program whose shutdown hangs.
// One instance per process.

#include <functional>
#include <memory>

#include <QObject>

class QSocketNotifier;

namespace nimbra {

class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(std::function<void()> onStop, QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe could not be made; the signals then keep their default handling.
    bool IsActive() const { return notifier_ != nullptr; }

private:
    void OnReadable();

    std::function<void()> onStop_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace nimbra
