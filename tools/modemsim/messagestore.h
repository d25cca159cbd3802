#pragma once
// The modem's message memories: the SIM ("SM"), the phone ("ME"), and "MT", both of them as
// one (the SIM's slots first). Slots are numbered from a first index (1 on most devices) and
// hold received messages, status reports, or lines stored as they are for tests.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modemclock.h"
#include "modempdu.h"

namespace modemsim {

enum class Memory { kSim, kPhone, kBoth };

// "SM", "ME" or "MT" in either case; nullopt for anything else.
std::optional<Memory> ParseMemory(std::string_view name);
std::string_view MemoryName(Memory memory);

struct StoredSms {
    enum class Kind { kMessage, kReport, kRaw };
    Kind kind = Kind::kMessage;
    bool read = false;
    StoredPdu pdu;         // raw entries: the line, shown as it is
    bool hasLine = true;   // raw entries: false shows the header with no line after it
    std::string address;   // message: the originator; report: the recipient
    std::string text;      // message: the text of this part
    LocalTime stamp;       // service centre time stamp; report: when the message was sent
    LocalTime discharged;  // report
    int reference = 0;     // report
    int status = 0;        // report
};

class MessageStore {
public:
    MessageStore(int simSlots, int phoneSlots, int firstIndex);

    int firstIndex() const { return first_; }
    int Capacity(Memory memory) const;
    int Used(Memory memory) const;
    // The device index of the last slot of a memory.
    int LastIndex(Memory memory) const { return first_ + Capacity(memory) - 1; }
    bool InRange(Memory memory, int index) const;
    // nullptr for an empty slot or an index outside the memory.
    StoredSms* Find(Memory memory, int index);
    // The index the message got (the first free slot), or nullopt when the memory is full.
    std::optional<int> Add(Memory memory, StoredSms sms);
    // False when the slot was empty or outside the memory.
    bool Remove(Memory memory, int index);
    // The indexes of the occupied slots, in order.
    std::vector<int> Indexes(Memory memory) const;

private:
    std::optional<StoredSms>* Slot(Memory memory, int index);
    const std::optional<StoredSms>* Slot(Memory memory, int index) const;

    std::vector<std::optional<StoredSms>> sim_;
    std::vector<std::optional<StoredSms>> phone_;
    int first_;
};

}  // namespace modemsim
