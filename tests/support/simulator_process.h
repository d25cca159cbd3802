#pragma once
// The simulators run as children of a test, with their traffic log on their standard output
// and their control port for commands: the message-centre simulator on free ports, and the
// modem simulator on a fresh pseudo-terminal.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace nimbra::testing_support {

class SimulatorProcess {
public:
    // Starts `mcsim` with options and waits until it listens. Throws std::runtime_error.
    SimulatorProcess(const std::string& program, std::vector<std::string> options);

    int port() const { return port_; }
    ChildProcess& process() { return *process_; }
    // Sends a control command and gives the answer line ("ok ...\n" or "error ...\n"), or
    // an empty text when none came.
    std::string Control(const std::string& command);
    // A counter of the "stats" answer, e.g. "logins".
    int Count(const std::string& name);
    // Everything the simulator logged so far.
    std::string Log() const { return process_->Output(); }
    bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout);
    bool WaitForCount(const std::string& name, int atLeast, std::chrono::milliseconds timeout);

protected:
    // Starts `program` with exactly these arguments and waits until it has printed "control on
    // PORT" and `ready` holds for its output. Throws std::runtime_error.
    SimulatorProcess(const std::string& program, const std::vector<std::string>& arguments,
                     const std::function<bool(const std::string& output)>& ready);

private:
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
    int controlPort_ = 0;
};

// modemsim: the terminal device to open is on its last "modem on DEVICE" line.
class ModemSimulatorProcess : public SimulatorProcess {
public:
    ModemSimulatorProcess(const std::string& program, const std::vector<std::string>& options);

    // The terminal device of the last "modem on" line (a "plug" command prints a new one).
    std::string device() const;
};

}  // namespace nimbra::testing_support
