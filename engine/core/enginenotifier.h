#pragma once
// Messages for the operator when no window shows them: each goes to stderr and to the
// engine's error log; questions get the safe answer, No.
#include <functional>
#include <string>

#include "notifier.h"

namespace nimbra {

class EngineNotifier final : public Notifier {
public:
    void ShowMessage(const std::string& text) override;
    std::function<void(const std::string&)> toErrorLog;
};

}  // namespace nimbra
