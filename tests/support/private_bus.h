#pragma once

#include <memory>
#include <string>

#include "child_process.h"
#include "temp_dir.h"

namespace nimbra::testing_support {

// A D-Bus daemon of the test's own, listening in a temporary folder, where anyone may own
// any name and call anything and nothing is started on demand. Tests hand address() to the
// programs they start as DBUS_SESSION_BUS_ADDRESS and so never touch the user's bus.
// Destroying it ends the daemon.
class PrivateBus {
public:
    enum class Users {
        Own,  // only the user running the test may connect, as on a session bus
        Any,  // programs of any user may connect (a test runs some as another user)
    };
    // Throws std::runtime_error when the daemon cannot be started or names no address.
    explicit PrivateBus(Users users = Users::Own);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

private:
    TempDir dir_;
    std::unique_ptr<ChildProcess> daemon_;
    std::string address_;
};

}  // namespace nimbra::testing_support
