#pragma once
// The devices that logged in, in login order, and the device lock drivers take around work
// that must not overlap (a shared modem, for instance).
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "smsphone.h"

namespace nimbra {

class DeviceList {
public:
    using Device = std::shared_ptr<TnbSMSPhone>;

    // The name for a device logging in as name: name + one more than the live devices whose
    // names contain it (ignoring case). Appends the device when it is not listed yet.
    std::string Login(const Device& device, const std::string& name);
    // The names of the live devices, in list order: the "installed devices" listing.
    std::vector<std::string> InstalledListing() const;
    // Drops the devices that are no longer live.
    void DropNotLive();
    void Remove(const TnbSMSPhone* device);
    // The first live device (dropping dead ones on the way) for which pick is true.
    TnbSMSPhone* FirstLive(const std::function<bool(const TnbSMSPhone&)>& pick);
    // The last device whose lower-case name contains word or label: the one an uninstall of
    // that kind takes.
    Device LastOfKind(const std::string& word, const std::string& label) const;
    const std::vector<Device>& All() const { return devices_; }
    bool Empty() const { return devices_.empty(); }
    void Clear() { devices_.clear(); }
    std::function<void()> onChange;

private:
    void Changed() const;
    std::vector<Device> devices_;
};

// One device lock for all drivers. A request while it is taken waits its turn; the engine
// goes on serving everything else meanwhile.
class DeviceLock {
public:
    // granted runs when the lock is this request's: at once when it is free.
    void Request(std::function<void()> granted);
    // Releases the lock, whoever holds it, and hands it to the next request.
    void Unlock();
    bool IsTaken() const { return taken_; }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    bool taken_ = false;
    std::deque<std::function<void()>> waiting_;
};

}  // namespace nimbra
