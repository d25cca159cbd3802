#include "smsenvironment.h"

namespace nimbra {

SmsEnvironment::SmsEnvironment() : clock([] { return Now(); }), random_(std::random_device{}()) {}

void SmsEnvironment::Notify(const std::string& text) const {
    if (notifier) {
        notifier->ShowMessage(text);
    } else {
        StderrNotifier().ShowMessage(text);
    }
}

std::string SmsEnvironment::NewMessageId() {
    std::uniform_int_distribution<int> dist(0, 999999998);
    return std::to_string(dist(random_));
}

}  // namespace nimbra
