#include "statusslots.h"

#include <utility>

#include "atomicfile.h"
#include "unStrings.h"

namespace nimbra {

StatusSlots::StatusSlots(std::string logsFolder) : folder_(std::move(logsFolder)) {}

bool StatusSlots::SetStatus(const std::string& name, const std::string& text) {
    if (name == "status0" || name == "status")
        return SetPanel(0, text, "status0.txt");
    if (name == "status1")
        return SetPanel(1, text, nullptr);
    if (name == "status2")
        return SetPanel(2, text, nullptr);
    if (name == "status3")
        return SetPanel(3, text, "status3.txt");
    if (name == "main" && onTrace)
        onTrace(text);
    return true;
}

bool StatusSlots::SetPanel(int index, const std::string& raw, const char* fileName) {
    // A panel and its file hold one line.
    const std::string text = ReplaceAll("\n", " ", ReplaceAll("\r", " ", raw));
    panels_[static_cast<std::size_t>(index)] = text;
    if (onPanel)
        onPanel(index, text);
    if (!fileName)
        return true;
    return WriteFileAtomically(folder_ + fileName, text + "\r\n");
}

ServerControls::ServerControls(std::string logsFolder) : folder_(std::move(logsFolder)) {}

void ServerControls::Publish() {
    WriteState("startbtn.state", startButton);
    WriteState("stopbtn.state", stopButton);
}

void ServerControls::SetStartButton(bool enabled) {
    startButton = enabled;
    WriteState("startbtn.state", enabled);
}

void ServerControls::SetStopButton(bool enabled) {
    stopButton = enabled;
    WriteState("stopbtn.state", enabled);
}

void ServerControls::WriteState(const char* fileName, bool enabled) const {
    WriteFileAtomically(folder_ + fileName, enabled ? "enabled\r\n" : "disabled\r\n");
    if (onChange)
        onChange();
}

}  // namespace nimbra
