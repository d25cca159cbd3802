#pragma once

// The notifier of window programs: a message box when there is a display, otherwise
// the fallback notifier (stderr unless another is given), so that a program started
// without a display never waits for a box nobody can see.

#include "notifier.h"

namespace nimbra {

class MessageBoxNotifier final : public Notifier {
public:
    // fallback: where messages go without a display; nullptr means stderr. Not owned.
    explicit MessageBoxNotifier(Notifier* fallback = nullptr);

    // Shows the box and returns at once.
    void ShowMessage(const std::string& text) override;
    // Waits for the answer in a modal box.
    bool AskYesNo(const std::string& question) override;

    // True when a widget application runs on a platform that shows windows to a person.
    static bool DisplayAvailable();

private:
    // Null when the message cannot be shown in a box here.
    Notifier* Fallback();
    bool CanShowBox() const;

    Notifier* fallback_;
    StderrNotifier stderr_;
};

}  // namespace nimbra
