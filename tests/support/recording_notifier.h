#pragma once

#include <string>
#include <vector>

#include "notifier.h"

namespace nimbra::testing_support {

// Keeps every message it is given.
class RecordingNotifier : public Notifier {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Installs a recording notifier as the process notifier for its lifetime.
class ScopedProcessNotifier {
public:
    ScopedProcessNotifier() { SetProcessNotifier(&notifier); }
    ~ScopedProcessNotifier() { SetProcessNotifier(nullptr); }
    ScopedProcessNotifier(const ScopedProcessNotifier&) = delete;
    ScopedProcessNotifier& operator=(const ScopedProcessNotifier&) = delete;

    std::vector<std::string>& messages() { return notifier.messages; }
    RecordingNotifier notifier;
};

}  // namespace nimbra::testing_support
