#pragma once
// Messages for the operator: each goes to the engine's error log and to the windows when
// there are windows, to stderr when not; without windows questions get the safe answer, No.
#include <functional>
#include <string>

#include "notifier.h"

namespace nimbra {

class EngineNotifier final : public Notifier {
public:
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::function<void(const std::string&)> toErrorLog;
    // The windows' notifier, or null. Not owned.
    Notifier* windows = nullptr;
};

}  // namespace nimbra
