#include "autodetectrunner.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include "autodetect.h"
#include "commportdriver.h"
#include "notifier.h"
#include "timings.h"
#include "translation.h"

namespace nimbra::handset {

namespace {

// Detection writes no port log.
class NoLog final : public PortLog {
public:
    void Line(std::string_view) override {}
};

}  // namespace

struct AutodetectRunner::State {
    std::atomic<int> baud;
    std::mutex mutex;
    TModem* modem = nullptr;
    bool cancelled = false;
};

namespace {

class WindowView final : public AutodetectView {
public:
    WindowView(AutodetectRunner::Window& window, std::atomic<int>& baud)
        : window_(window), baud_(baud) {}

    void Status(const std::string& text) override {
        Later([status = window_.status, text] { status(text); });
    }
    void SelectSpeed(int baud) override {
        baud_ = baud;
        Later([select = window_.selectSpeed, baud] { select(baud); });
    }
    void SetPduMode(bool on) override {
        Later([set = window_.setPduMode, on] { set(on); });
    }
    void ShowMessage(const std::string& text) override {
        Later([text] { ProcessNotifier().ShowMessage(text); });
    }
    std::string Translate(const std::string& text) override { return nimbra::Translate(text); }

    // Runs work on the window's thread, unless the window has gone meanwhile.
    void Later(std::function<void()> work) {
        QMetaObject::invokeMethod(window_.context, std::move(work), Qt::QueuedConnection);
    }

private:
    AutodetectRunner::Window& window_;
    std::atomic<int>& baud_;
};

}  // namespace

AutodetectRunner::AutodetectRunner(PortSettings settings, Window window)
    : state_(std::make_shared<State>()) {
    state_->baud = settings.baud;
    thread_ = std::thread([state = state_, settings, window]() mutable {
        TCommPortDriver port([&state, settings] {
            PortSettings trial = settings;
            trial.baud = state->baud;
            return trial;
        });
        NoLog log;
        TModem modem(port, SteadyModemClock(), log, ProcessTimings());
        port.SetReceiveHandler([&modem](std::string_view bytes) { modem.OnReceiveData(bytes); });
        {
            std::lock_guard lock(state->mutex);
            if (state->cancelled)
                return;
            state->modem = &modem;
        }
        WindowView view(window, state->baud);
        const AutodetectResult outcome = Autodetect(modem, settings.portName, view);
        {
            std::lock_guard lock(state->mutex);
            state->modem = nullptr;
        }
        port.Close();
        view.Later([done = window.done, outcome] { done(outcome.result, outcome.identification); });
    });
}

AutodetectRunner::~AutodetectRunner() {
    {
        std::lock_guard lock(state_->mutex);
        state_->cancelled = true;
        if (state_->modem)
            state_->modem->Abort();
    }
    if (thread_.joinable())
        thread_.join();
}

}  // namespace nimbra::handset
