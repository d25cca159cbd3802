#pragma once
// A modem for the handset's end-to-end tests: it answers the driver's AT commands on a
// pseudo-terminal from a thread of its own. Echo off, PDU mode; AT+CMGS gets the prompt and
// each PDU a reference counting from 17; AT+CMGR reads the slot's PDU (any memory; an empty
// slot is an invalid index, +CMS ERROR: 321) and AT+CMGD empties it; everything else answers
// OK. It can stop answering, answer a command with bytes of the test's choice, and go away
// (the master side closed).

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pseudo_terminal.h"

namespace nimbra::handset::testing {

class ScriptedModem {
public:
    ScriptedModem();
    ~ScriptedModem();

    const std::string& path() const { return terminal_.path(); }

    // A PDU stored in a slot, to be read.
    void Store(int slot, const std::string& pdu);
    bool Holds(int slot);
    // No answers to commands that start with prefix ("" for all) from now on / again.
    void Silence(const std::string& prefix);
    void Speak();
    // The answer to commands that start with prefix, instead of the usual one (once).
    void AnswerOnce(const std::string& prefix, std::string answer);
    // The device goes away.
    void Unplug();

    // Every command line, in order.
    std::vector<std::string> Commands();
    int Count(const std::string& prefix);
    // The PDUs sent with AT+CMGS, each with the length the command gave.
    std::vector<std::pair<int, std::string>> Submitted();

private:
    void Run();
    std::string Answer(const std::string& command);

    testing_support::PseudoTerminal terminal_;
    std::mutex mutex_;
    std::map<int, std::string> slots_;
    std::vector<std::string> silenced_;
    std::map<std::string, std::string> once_;
    std::vector<std::string> commands_;
    std::vector<std::pair<int, std::string>> submitted_;
    int pendingLength_ = 0;
    int nextReference_ = 17;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

}  // namespace nimbra::handset::testing
