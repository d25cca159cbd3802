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
    std::vector<Device> gone;
    std::erase_if(devices_, [&gone](const Device& d) {
        if (d->IsLive())
            return false;
        gone.push_back(d);
        return true;
    });
    if (gone.empty())
        return;
    std::vector<const TnbSMSPhone*> removed;
    for (const Device& device : gone)
        removed.push_back(device.get());
    Removed(removed);
    Changed();
}

void DeviceList::Remove(const TnbSMSPhone* device) {
    if (std::erase_if(devices_, [device](const Device& d) { return d.get() == device; }) > 0) {
        Removed({device});
        Changed();
    }
}

void DeviceList::Clear() {
    const std::vector<Device> gone = std::move(devices_);
    devices_.clear();
    std::vector<const TnbSMSPhone*> removed;
    for (const Device& device : gone)
        removed.push_back(device.get());
    Removed(removed);
    Changed();
}

TnbSMSPhone* DeviceList::FirstLive(const std::function<bool(const TnbSMSPhone&)>& pick) {
    DropNotLive();
    for (const Device& device : devices_) {
        if (pick(*device))
            return device.get();
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

void DeviceList::Removed(const std::vector<const TnbSMSPhone*>& devices) const {
    if (onRemoved && !devices.empty())
        onRemoved(devices);
}

void DeviceList::Changed() const {
    if (onChange)
        onChange();
}

void DeviceLock::Request(const void* owner, std::function<void()> granted,
                         std::function<void()> dropped) {
    waiting_.push_back({owner, std::move(granted), std::move(dropped)});
    if (!holder_)
        GrantNext();
}

void DeviceLock::Unlock() {
    holder_ = nullptr;
    GrantNext();
}

void DeviceLock::Forget(const std::vector<const void*>& owners) {
    const auto gone = [&owners](const void* owner) {
        return std::find(owners.begin(), owners.end(), owner) != owners.end();
    };
    std::vector<std::function<void()>> dropped;
    std::erase_if(waiting_, [&gone, &dropped](Request_& r) {
        if (!gone(r.owner))
            return false;
        if (r.dropped)
            dropped.push_back(std::move(r.dropped));
        return true;
    });
    if (gone(holder_))
        Unlock();
    // The callers still waiting hear that they will not get the lock.
    for (const auto& tell : dropped)
        tell();
}

void DeviceLock::GrantNext() {
    if (holder_ || waiting_.empty())
        return;
    Request_ next = std::move(waiting_.front());
    waiting_.pop_front();
    holder_ = next.owner;
    next.granted();
}

}  // namespace nimbra
