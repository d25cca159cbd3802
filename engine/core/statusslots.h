#pragma once
// The status slots: four panels of the status bar, two of them mirrored into one-line files
// of the logs folder ("status0.txt", "status3.txt") for other programs, and the "main" trace.
#include <array>
#include <functional>
#include <string>

namespace nimbra {

class StatusSlots {
public:
    // logsFolder with a trailing "/".
    explicit StatusSlots(std::string logsFolder);

    // "status0" (or "status"), "status1", "status2", "status3" and "main"; other names are
    // ignored. False when a status file could not be written.
    bool SetStatus(const std::string& name, const std::string& text);
    const std::string& Panel(int index) const {
        return panels_.at(static_cast<std::size_t>(index));
    }

    std::function<void(int panel, const std::string& text)> onPanel;
    std::function<void(const std::string& trace)> onTrace;

private:
    bool SetPanel(int index, const std::string& text, const char* fileName);

    std::string folder_;
    std::array<std::string, 4> panels_;
};

// The Start and Stop buttons and menu items and the preferences command. Every change of a
// button is mirrored into "startbtn.state" / "stopbtn.state" ("enabled" or "disabled").
class ServerControls {
public:
    explicit ServerControls(std::string logsFolder);

    // Writes both button files with the current state.
    void Publish();
    void SetStartButton(bool enabled);
    void SetStopButton(bool enabled);
    bool startButton = true;
    bool stopButton = false;
    bool startMenuItem = true;
    bool stopMenuItem = false;
    bool preferencesCommand = true;
    // Called after every change of a button. The menu items change beside their buttons, so
    // a window reads them all once the change is over.
    std::function<void()> onChange;

private:
    void WriteState(const char* fileName, bool enabled) const;
    std::string folder_;
};

}  // namespace nimbra
