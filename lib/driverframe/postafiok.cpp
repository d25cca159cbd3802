#include "postafiok.h"

#include <utility>

namespace nimbra::driver {

TPostafiok::TPostafiok(std::function<void(int)> notify) : notify_(std::move(notify)) {}

int TPostafiok::Post(std::string text) {
    int slot;
    {
        std::lock_guard lock(mutex_);
        current_ = current_ + 1 >= kMailboxSlots ? 0 : current_ + 1;
        slot = current_;
        slots_[slot] = std::move(text);
    }
    if (notify_) {
        notify_(slot);
    }
    return slot;
}

std::string TPostafiok::Take(int slot) const {
    if (slot < 0 || slot >= kMailboxSlots) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return slots_[slot];
}

}  // namespace nimbra::driver
