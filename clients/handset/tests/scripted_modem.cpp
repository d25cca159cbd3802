#include "scripted_modem.h"

#include <poll.h>
#include <unistd.h>

namespace nimbra::handset::testing {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

ScriptedModem::ScriptedModem() : thread_([this] { Run(); }) {}

ScriptedModem::~ScriptedModem() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void ScriptedModem::Store(int slot, const std::string& pdu) {
    std::lock_guard lock(mutex_);
    slots_[slot] = pdu;
}

bool ScriptedModem::Holds(int slot) {
    std::lock_guard lock(mutex_);
    return slots_.count(slot) > 0;
}

void ScriptedModem::Silence(const std::string& prefix) {
    std::lock_guard lock(mutex_);
    silenced_.push_back(prefix);
}

void ScriptedModem::Speak() {
    std::lock_guard lock(mutex_);
    silenced_.clear();
}

void ScriptedModem::AnswerOnce(const std::string& prefix, std::string answer) {
    std::lock_guard lock(mutex_);
    once_[prefix] = std::move(answer);
}

void ScriptedModem::Unplug() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    terminal_.ReleaseSlave();
    terminal_.CloseMaster();
}

std::vector<std::string> ScriptedModem::Commands() {
    std::lock_guard lock(mutex_);
    return commands_;
}

int ScriptedModem::Count(const std::string& prefix) {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const std::string& command : commands_)
        count += StartsWith(command, prefix) ? 1 : 0;
    return count;
}

std::vector<std::pair<int, std::string>> ScriptedModem::Submitted() {
    std::lock_guard lock(mutex_);
    return submitted_;
}

void ScriptedModem::Run() {
    std::string pending;
    while (!stop_) {
        pollfd fd{terminal_.master(), POLLIN, 0};
        if (poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN))
            continue;
        char buffer[1024];
        const ssize_t n = read(terminal_.master(), buffer, sizeof buffer);
        if (n <= 0)
            continue;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c != '\r' && c != '\x1A') {
                pending.push_back(c);
                continue;
            }
            const std::string answer = Answer(pending);
            pending.clear();
            if (!answer.empty())
                terminal_.Write(answer);
        }
    }
}

std::string ScriptedModem::Answer(const std::string& command) {
    std::lock_guard lock(mutex_);
    commands_.push_back(command);
    for (const std::string& prefix : silenced_) {
        if (StartsWith(command, prefix))
            return {};
    }
    for (auto it = once_.begin(); it != once_.end(); ++it) {
        if (StartsWith(command, it->first)) {
            std::string answer = it->second;
            once_.erase(it);
            return answer;
        }
    }
    if (StartsWith(command, "AT+CMGS=")) {
        pendingLength_ = std::stoi(command.substr(8));
        return "\r\n> ";
    }
    if (StartsWith(command, "AT+CMGR=")) {
        const auto it = slots_.find(std::stoi(command.substr(8)));
        if (it == slots_.end())
            return "\r\n+CMS ERROR: 321\r\n";  // invalid memory index: an empty slot
        return "\r\n+CMGR: 0,,24\r\n" + it->second + "\r\n\r\nOK\r\n";
    }
    if (StartsWith(command, "AT+CMGD=")) {
        slots_.erase(std::stoi(command.substr(8)));
        return "\r\nOK\r\n";
    }
    if (StartsWith(command, "AT") || command.empty())
        return "\r\nOK\r\n";
    // A PDU after the prompt.
    submitted_.emplace_back(pendingLength_, command);
    return "\r\n+CMGS: " + std::to_string(nextReference_++) + "\r\n\r\nOK\r\n";
}

}  // namespace nimbra::handset::testing
