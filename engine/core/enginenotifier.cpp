#include "enginenotifier.h"

namespace nimbra {

void EngineNotifier::ShowMessage(const std::string& text) {
    if (windows)
        windows->ShowMessage(text);
    else
        StderrNotifier().ShowMessage(text);
    if (toErrorLog)
        toErrorLog(text);
}

bool EngineNotifier::AskYesNo(const std::string& question) {
    if (windows)
        return windows->AskYesNo(question);
    return Notifier::AskYesNo(question);
}

}  // namespace nimbra
