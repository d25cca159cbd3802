#pragma once
// Message ids handed from a call to the event the main loop raises later: the caller stores
// the id in the next slot and posts the slot's number; the handler reads the slot.
#include <array>
#include <mutex>
#include <string>

namespace nimbra {

inline constexpr int kNotificationSlots = 200;

class NotificationSlots {
public:
    // Slots 1-9 are used once, then 10-190 in turn.
    int NextSlot();
    // Takes the next slot, stores id in it and gives its number.
    int Store(const std::string& id);
    // The id in a slot; empty for a number out of range.
    std::string Read(long long slot) const;
    void Reset();

private:
    mutable std::mutex mutex_;
    int cursor_ = 0;
    std::array<std::string, kNotificationSlots + 1> slots_;
};

}  // namespace nimbra
