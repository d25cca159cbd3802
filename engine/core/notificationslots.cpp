#include "notificationslots.h"

namespace nimbra {

int NotificationSlots::NextSlot() {
    std::lock_guard lock(mutex_);
    int next = cursor_ + 1;
    if (next > 190)
        next = 10;
    cursor_ = next;
    return next;
}

int NotificationSlots::Store(const std::string& id) {
    const int slot = NextSlot();
    std::lock_guard lock(mutex_);
    slots_[static_cast<std::size_t>(slot)] = id;
    return slot;
}

std::string NotificationSlots::Read(long long slot) const {
    if (slot < 1 || slot > kNotificationSlots)
        return {};
    std::lock_guard lock(mutex_);
    return slots_[static_cast<std::size_t>(slot)];
}

void NotificationSlots::Reset() {
    std::lock_guard lock(mutex_);
    cursor_ = 0;
    slots_.fill({});
}

}  // namespace nimbra
