#include "devicelist.h"

#include <algorithm>

#include "codepage.h"

namespace nimbra {

namespace {

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
    return LowerAnsi(text).find(LowerAnsi(part)) != std::string::npos;
}

}  // namespace

std::string DeviceList::Login(const Device& device, const std::string& name) {
    int count = 0;
    for (const std::string& listed : InstalledListing()) {
        if (ContainsIgnoringCase(listed, name))
            ++count;
    }
    device->realName = name + std::to_string(count + 1);
    if (std::find(devices_.begin(), devices_.end(), device) == devices_.end())
        devices_.push_back(device);
    Changed();
    return device->realName;
}

std::vector<std::string> DeviceList::InstalledListing() const {
    std::vector<std::string> names;
    for (const Device& device : devices_) {
        if (device->IsLive())
            names.push_back(device->realName);
    }
    return names;
}

void DeviceList::DropNotLive() {
    if (std::erase_if(devices_, [](const Device& d) { return !d->IsLive(); }) > 0)
        Changed();
}

void DeviceList::Remove(const TnbSMSPhone* device) {
    if (std::erase_if(devices_, [device](const Device& d) { return d.get() == device; }) > 0)
        Changed();
}

TnbSMSPhone* DeviceList::FirstLive(const std::function<bool(const TnbSMSPhone&)>& pick) {
    for (std::size_t i = 0; i < devices_.size();) {
        TnbSMSPhone& device = *devices_[i];
        if (!device.IsLive()) {
            devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(i));
            Changed();
            continue;
        }
        if (pick(device))
            return &device;
        ++i;
    }
    return nullptr;
}

DeviceList::Device DeviceList::LastOfKind(const std::string& word, const std::string& label) const {
    for (auto it = devices_.rbegin(); it != devices_.rend(); ++it) {
        if (ContainsIgnoringCase((*it)->realName, word) ||
            ContainsIgnoringCase((*it)->realName, label))
            return *it;
    }
    return nullptr;
}

void DeviceList::Changed() const {
    if (onChange)
        onChange();
}

void DeviceLock::Request(std::function<void()> granted) {
    if (!taken_) {
        taken_ = true;
        granted();
        return;
    }
    waiting_.push_back(std::move(granted));
}

void DeviceLock::Unlock() {
    taken_ = false;
    if (waiting_.empty())
        return;
    std::function<void()> next = std::move(waiting_.front());
    waiting_.pop_front();
    taken_ = true;
    next();
}

}  // namespace nimbra
