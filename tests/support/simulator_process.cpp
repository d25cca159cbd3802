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

}  // namespace

SimulatorProcess::SimulatorProcess(const std::string& program, std::vector<std::string> options) {
    std::vector<std::string> arguments = {"--port", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    process_ = std::make_unique<ChildProcess>(ChildProcess::Options{program, arguments, {}, {}});
    bool ready = WaitUntil(
        [this] {
            std::string output = process_->Output();
            port_ = PortAfter(output, "listening on");
            controlPort_ = PortAfter(output, "control on");
            return (port_ != 0 && controlPort_ != 0) || !process_->Running();
        },
        kStartTimeout);
    if (!ready || port_ == 0 || controlPort_ == 0) {
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

}  // namespace nimbra::testing_support
