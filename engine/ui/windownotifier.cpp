#include "windownotifier.h"

#include "qansi.h"

namespace nimbra::ui {

bool WindowNotifier::AskYesNo(const std::string& question) {
    return ask_ ? ask_(QFromAnsi(question)) : false;
}

}  // namespace nimbra::ui
