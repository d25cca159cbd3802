#include "notifier.h"

#include <cstdio>

namespace nimbra {

void StderrNotifier::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace nimbra
