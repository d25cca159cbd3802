#include "messagestore.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace modemsim {

std::optional<Memory> ParseMemory(std::string_view name) {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return static_cast<char>(std::toupper(c)); });
    if (upper == "SM")
        return Memory::kSim;
    if (upper == "ME")
        return Memory::kPhone;
    if (upper == "MT")
        return Memory::kBoth;
    return std::nullopt;
}

std::string_view MemoryName(Memory memory) {
    switch (memory) {
        case Memory::kSim:
            return "SM";
        case Memory::kPhone:
            return "ME";
        case Memory::kBoth:
            break;
    }
    return "MT";
}

MessageStore::MessageStore(int simSlots, int phoneSlots, int firstIndex)
    : sim_(static_cast<std::size_t>(std::max(simSlots, 0))),
      phone_(static_cast<std::size_t>(std::max(phoneSlots, 0))),
      first_(firstIndex) {}

int MessageStore::Capacity(Memory memory) const {
    const auto sim = static_cast<int>(sim_.size());
    const auto phone = static_cast<int>(phone_.size());
    switch (memory) {
        case Memory::kSim:
            return sim;
        case Memory::kPhone:
            return phone;
        case Memory::kBoth:
            break;
    }
    return sim + phone;
}

int MessageStore::Used(Memory memory) const {
    return static_cast<int>(Indexes(memory).size());
}

bool MessageStore::InRange(Memory memory, int index) const {
    return index >= first_ && index <= LastIndex(memory);
}

const std::optional<StoredSms>* MessageStore::Slot(Memory memory, int index) const {
    if (!InRange(memory, index))
        return nullptr;
    auto slot = static_cast<std::size_t>(index - first_);
    switch (memory) {
        case Memory::kSim:
            return &sim_[slot];
        case Memory::kPhone:
            return &phone_[slot];
        case Memory::kBoth:
            break;
    }
    return slot < sim_.size() ? &sim_[slot] : &phone_[slot - sim_.size()];
}

std::optional<StoredSms>* MessageStore::Slot(Memory memory, int index) {
    return const_cast<std::optional<StoredSms>*>(std::as_const(*this).Slot(memory, index));
}

StoredSms* MessageStore::Find(Memory memory, int index) {
    std::optional<StoredSms>* slot = Slot(memory, index);
    return slot && *slot ? &**slot : nullptr;
}

std::optional<int> MessageStore::Add(Memory memory, StoredSms sms) {
    for (int index = first_; index <= LastIndex(memory); ++index) {
        std::optional<StoredSms>* slot = Slot(memory, index);
        if (!*slot) {
            *slot = std::move(sms);
            return index;
        }
    }
    return std::nullopt;
}

bool MessageStore::Remove(Memory memory, int index) {
    std::optional<StoredSms>* slot = Slot(memory, index);
    if (!slot || !*slot)
        return false;
    slot->reset();
    return true;
}

std::vector<int> MessageStore::Indexes(Memory memory) const {
    std::vector<int> indexes;
    for (int index = first_; index <= LastIndex(memory); ++index) {
        if (*Slot(memory, index))
            indexes.push_back(index);
    }
    return indexes;
}

}  // namespace modemsim
