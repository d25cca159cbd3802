#pragma once

#include <string>
#include <vector>

#include "notifier.h"

namespace nimbra::testing_support {

// Keeps every message and question it is given; questions get the answers queued in
// `answers`, then No.
class RecordingNotifier : public Notifier {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<bool> answers;
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
