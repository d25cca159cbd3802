#pragma once
// The engine: owns the message store, the connected devices and clients, the logs and status
// slots, the timers that drive the scheduler, and the queue of requests ("window messages")
// carried out on the main thread. It runs the same with or without windows; windows observe
// its state.
#include <memory>
#include <stdexcept>
#include <string>

#include "enginehost.h"
#include "windowmessages.h"

namespace nimbra {

// Start-up cannot go on; what() is the text for the operator.
class EngineStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Engine {
public:
    // The process runs in the engine home; every path is relative to it.
    explicit Engine(EngineHost& host);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The start-up sequence: directories, logs, message store, options, device programs,
    // filters, the timers. Throws EngineStartError.
    void Init();
    // Another copy of the engine was started and handed over to this one.
    void Activate();
    // The operator asked to close (exit command, Ctrl-C, a termination signal): timers stop
    // and the shutdown runs from the event loop; the host's Quit ends the run.
    void Exit();

    void StartbtnClick(bool notify);
    void StopbtnClick();
    bool IsRunning() const;

    void PostMessage(WindowMessage message, long long wParam = 0, long long lParam = 0);
    void HandleMessage(WindowMessage message, long long wParam, long long lParam);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace nimbra
