#include "handsetsession.h"

#include <exception>

namespace nimbra::handset {

HandsetSession::HandsetSession(TPhone& phone, HandsetSettings& settings, ManagerShared& shared,
                               ManagerEvents& events, bool testOnly,
                               std::function<void(bool)> connected, std::function<void()> ended)
    : phone_(phone),
      settings_(settings),
      shared_(shared),
      events_(events),
      testOnly_(testOnly),
      connected_(std::move(connected)),
      ended_(std::move(ended)) {
    setObjectName(QStringLiteral("handset connection"));
}

void HandsetSession::run() {
    bool ok = false;
    try {
        phone_.ConnectDevice();
        ok = true;
    } catch (const std::exception&) {
        ok = false;
    }
    if (!shared_.closing)
        connected_(ok);
    if (ok && !testOnly_ && shared_.active && !shared_.closing) {
        managerStarted_ = true;
        TPhoneManager manager(phone_, settings_, shared_, events_);
        manager.Run();
    }
    try {
        phone_.DisconnectDevice();
    } catch (const std::exception&) {
        // The port goes with the phone object.
    }
    ended_();
}

}  // namespace nimbra::handset
