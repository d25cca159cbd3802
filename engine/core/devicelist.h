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
    void Clear();
    std::function<void()> onChange;
    // Called with the devices that left the list, after they left.
    std::function<void(const std::vector<const TnbSMSPhone*>&)> onRemoved;

private:
    void Changed() const;
    void Removed(const std::vector<const TnbSMSPhone*>& devices) const;
    std::vector<Device> devices_;
};

// One device lock for all drivers. A request while it is taken waits its turn; the engine
// goes on serving everything else meanwhile.
class DeviceLock {
public:
    // granted runs when the lock is owner's: at once when it is free. dropped runs instead
    // when the request is dropped because its owner has gone.
    void Request(const void* owner, std::function<void()> granted,
                 std::function<void()> dropped = {});
    // Releases the lock, whoever holds it, and hands it to the next request.
    void Unlock();
    // The owners have gone: their waiting requests are dropped and a lock one of them holds
    // is released, so that a driver that ends between lock and unlock holds up nobody.
    void Forget(const std::vector<const void*>& owners);
    bool IsTaken() const { return holder_ != nullptr; }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    struct Request_ {
        const void* owner;
        std::function<void()> granted;
        std::function<void()> dropped;
    };
    void GrantNext();
    const void* holder_ = nullptr;
    std::deque<Request_> waiting_;
};

}  // namespace nimbra
