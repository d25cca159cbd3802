#include "drivermessages.h"

namespace nimbra::driver {

QEvent::Type DriverMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace nimbra::driver
