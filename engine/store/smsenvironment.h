#pragma once

// Engine state that stored messages need: the settings and counters that are engine-wide,
// the address book for display names, the operator notifier and the clock.

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "notifier.h"
#include "unDate.h"

namespace nimbra {

// The address book as stored messages see it.
class AddressLookup {
public:
    virtual ~AddressLookup() = default;
    // Display form of an address: "name (number)" for a contact with a name, the stored
    // number for a contact without one, the text itself when no contact has its number;
    // trimmed. Empty text gives empty text.
    virtual std::string DisplayName(const std::string& text) const = 0;
};

class SmsEnvironment {
public:
    SmsEnvironment();

    // retriesLeft of every new message (the "number of retries" setting).
    int retries = 5;
    // Counter behind stored file names; 16 bits, wraps to 0, 0 when the engine starts.
    std::uint16_t fileCounter = 0;
    // Optional: without one, addresses are kept as given.
    const AddressLookup* addressBook = nullptr;
    // Optional: without one, operator messages go to stderr.
    Notifier* notifier = nullptr;
    std::function<TDateTime()> clock;

    void Notify(const std::string& text) const;
    TDateTime CurrentTime() const { return clock(); }
    // A uniform random integer in 0 ... 999999998 as decimal text.
    std::string NewMessageId();

private:
    std::mt19937 random_;
};

}  // namespace nimbra
