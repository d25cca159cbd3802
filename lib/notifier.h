#pragma once

// Messages for the operator. A window program shows them in a message box; without a
// display they go to stderr (and, in the engine, to its error log).

#include <string>

namespace nimbra {

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // A Yes/No question; true only for Yes. Where nobody can answer, the question is shown
    // as a message and gets the safe answer, No.
    virtual bool AskYesNo(const std::string& question);
};

// Writes each message as one line to stderr.
class StderrNotifier final : public Notifier {
public:
    void ShowMessage(const std::string& text) override;
};

// The notifier of library routines that have no environment of their own (settings store,
// language files). Messages go to stderr until a program installs its own notifier.
Notifier& ProcessNotifier();
// Installs the process's notifier; nullptr goes back to stderr. The caller keeps ownership.
void SetProcessNotifier(Notifier* notifier);

}  // namespace nimbra
