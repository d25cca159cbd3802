#pragma once
// The message-centre simulator run as a child of a test: on free ports, with the given
// options, its packet log on its standard output, and its control port for commands.

#include <chrono>
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

private:
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
    int controlPort_ = 0;
};

}  // namespace nimbra::testing_support
