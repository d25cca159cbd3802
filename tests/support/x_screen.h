#pragma once
// A virtual X screen of the test's own (Xvfb on a free display number), for programs that are
// to show real windows, and the X input tool (xdotool) to look for their windows and type
// into them as an operator would.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace nimbra::testing_support {

class XScreen {
public:
    // Whether Xvfb and xdotool are installed; tests skip without them.
    static bool Available();

    // Starts Xvfb on the first free display from 90 and waits until it takes connections.
    // Throws std::runtime_error when it does not come up.
    XScreen();
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }

    // Whether a mapped window's title matches the regular expression now.
    bool ShowsWindow(const std::string& titlePattern) const;
    // Gives the keyboard focus to the first mapped window whose title matches and types the
    // keys (xdotool names: "Tab", "ctrl+a", "alt+p", "Return") one after another.
    bool Type(const std::string& titlePattern, const std::vector<std::string>& keys) const;

private:
    // Runs xdotool with arguments on this screen; its standard output, or nullopt when it
    // failed.
    std::optional<std::string> XdoTool(std::vector<std::string> arguments) const;

    std::string display_;
    std::unique_ptr<ChildProcess> server_;
};

}  // namespace nimbra::testing_support
