#include "simulator_process.h"

#include <regex>
#include <stdexcept>

#include "loopback_peer.h"
#include "wait.h"

namespace nimbra::testing_support {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

int PortAfter(const std::string& output, const std::string& label) {
    std::smatch match;
    if (std::regex_search(output, match, std::regex(label + " ([0-9]+)"))) {
        return std::stoi(match[1]);
    }
    return 0;
}

std::vector<std::string> OnFreePort(std::vector<std::string> options) {
    options.insert(options.begin(), {"--port", "0"});
    return options;
}

const std::regex kModemLine("modem on (\\S+)\n");

}  // namespace

SimulatorProcess::SimulatorProcess(const std::string& program, std::vector<std::string> options)
    : SimulatorProcess(program, OnFreePort(std::move(options)), [this](const std::string& output) {
          port_ = PortAfter(output, "listening on");
          return port_ != 0;
      }) {}

SimulatorProcess::SimulatorProcess(const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const std::function<bool(const std::string& output)>& ready) {
    process_ = std::make_unique<ChildProcess>(ChildProcess::Options{program, arguments, {}, {}});
    bool started = false;
    WaitUntil(
        [&] {
            const std::string output = process_->Output();
            controlPort_ = PortAfter(output, "control on");
            started = controlPort_ != 0 && ready(output);
            return started || !process_->Running();
        },
        kStartTimeout);
    if (!started) {
        throw std::runtime_error("the simulator did not start: " + process_->Errors());
    }
}

std::string SimulatorProcess::Control(const std::string& command) {
    LoopbackPeer control(controlPort_);
    if (!control.Send(command + "\n"))
        return {};
    return control.ReadUntil("\n");
}

int SimulatorProcess::Count(const std::string& name) {
    std::smatch match;
    std::string stats = Control("stats");
    if (std::regex_search(stats, match, std::regex(name + "=([0-9]+)"))) {
        return std::stoi(match[1]);
    }
    return -1;
}

bool SimulatorProcess::WaitForLog(const std::string& text, std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeout);
}

bool SimulatorProcess::WaitForCount(const std::string& name, int atLeast,
                                    std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return Count(name) >= atLeast; }, timeout);
}

ModemSimulatorProcess::ModemSimulatorProcess(const std::string& program,
                                             const std::vector<std::string>& options)
    : SimulatorProcess(program, options, [](const std::string& output) {
          return std::regex_search(output, kModemLine);
      }) {}

std::string ModemSimulatorProcess::device() const {
    const std::string output = Log();
    std::string device;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), kModemLine);
         it != std::sregex_iterator(); ++it) {
        device = (*it)[1];
    }
    return device;
}

}  // namespace nimbra::testing_support
