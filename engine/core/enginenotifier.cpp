#include "enginenotifier.h"

namespace nimbra {

void EngineNotifier::ShowMessage(const std::string& text) {
    StderrNotifier().ShowMessage(text);
    if (toErrorLog)
        toErrorLog(text);
}

}  // namespace nimbra
