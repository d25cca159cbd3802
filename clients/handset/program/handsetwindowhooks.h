#pragma once
// What the driver's main window tells its other windows (the preferences, the port settings,
// the test phone, the file phone settings and the signal window), which a library of their
// own provides: the main window never depends on them. All calls on the window thread.

#include <memory>
#include <string>

namespace nimbra::handset {

class HandsetWindowHooks {
public:
    virtual ~HandsetWindowHooks() = default;
    // The engine's MenuItemClick.
    virtual void MenuItemClick(const std::string& name) = 0;
    // A phone without a device registered (true) or unregistered its engine menu item.
    virtual void PhoneMenuItem(const std::string& name, bool registered) = 0;
    // The device is connected (not a test); caption: realName + " (" + model + "," + port + ")";
    // showSignal: "Network monitoring" is on.
    virtual void Connected(const std::string& caption, bool showSignal) = 0;
    // The connection has ended.
    virtual void Disconnected() = 0;
    // The language changed: the windows take their texts again.
    virtual void LanguageChanged() = 0;
    // A test connection has been reported.
    virtual void TestFinished() = 0;
};

}  // namespace nimbra::handset
