#pragma once
// TPostafiok, the mailbox that hands log lines from any thread to the window thread: a ring
// of 101 slots; each post fills the next slot and tells the window thread its number. A slot
// keeps its text until it is overwritten 101 posts later.

#include <array>
#include <functional>
#include <mutex>
#include <string>

namespace nimbra::driver {

inline constexpr int kMailboxSlots = 101;

class TPostafiok {
public:
    // notify(slot) posts the slot number to the window thread; it must not block.
    explicit TPostafiok(std::function<void(int)> notify);

    // Stores text in the next slot (0, 1, ..., 100, 0, ...), notifies, returns the slot.
    // Callable from any thread; never waits for the window thread.
    int Post(std::string text);
    // The text of a slot; the slot keeps it.
    std::string Take(int slot) const;

private:
    std::function<void(int)> notify_;
    mutable std::mutex mutex_;
    std::array<std::string, kMailboxSlots> slots_;
    int current_ = -1;
};

}  // namespace nimbra::driver
