#include "notifier.h"

#include <atomic>
#include <cstdio>

namespace nimbra {
namespace {

std::atomic<Notifier*> g_processNotifier{nullptr};

}  // namespace

bool Notifier::AskYesNo(const std::string& question) {
    ShowMessage(question + " [No]");
    return false;
}

void StderrNotifier::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

Notifier& ProcessNotifier() {
    static StderrNotifier fallback;
    Notifier* installed = g_processNotifier.load();
    return installed ? *installed : fallback;
}

void SetProcessNotifier(Notifier* notifier) {
    g_processNotifier.store(notifier);
}

}  // namespace nimbra
