#pragma once
// A device for the phone's tests: every command written to it (up to its CR, or a text up to
// its Ctrl-Z) is recorded and answered at once by the script; the clock only moves when the
// phone waits. Settings live in a map, the driver window's side is recorded.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "phonemanager.h"
#include "unPhone.h"

namespace nimbra::handset::testing {

class FakeClock final : public ModemClock {
public:
    long long NowMs() override { return now; }
    void Sleep(int ms) override { now += ms; }
    long long now = 0;
};

class RecordingLog final : public PortLog {
public:
    void Line(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

class ScriptedDevice final : public ModemPort {
public:
    // The answer to a command (without its CR or Ctrl-Z); nothing for no answer.
    using Script = std::function<std::string(const std::string& command)>;

    explicit ScriptedDevice(FakeClock& clock) : clock_(clock) {}

    void Attach(TModem& modem) { modem_ = &modem; }
    Script script = [](const std::string&) { return std::string("\r\nOK\r\n"); };

    bool Open() override;
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    bool Write(std::string_view bytes) override;
    bool Lost() const override { return lost; }

    // Commands as written, each with the time it was complete.
    std::vector<std::string> commands;
    std::vector<long long> times;
    // Every write as it reached the port.
    std::vector<std::string> writes;
    bool open = false;
    bool lost = false;
    bool refuseOpen = false;
    int opens = 0;

private:
    FakeClock& clock_;
    TModem* modem_ = nullptr;
    std::string pending_;
};

class MapSettings final : public SettingsSource {
public:
    std::string Read(std::string_view section, std::string_view name,
                     std::string_view def) const override;
    void Write(std::string_view section, std::string_view name, std::string_view value) override;
    // "section/name" -> value
    std::map<std::string, std::string> values;
};

class RecordingHost final : public PhoneHost {
public:
    void RequestReconnect() override { ++reconnects; }
    void RegisterMenuItem(std::string name) override { menuItems.push_back("+" + name); }
    void UnregisterMenuItem(std::string name) override { menuItems.push_back("-" + name); }
    void ShowMessage(std::string text) override { messages.push_back(std::move(text)); }
    std::string Translate(const std::string& text) override { return text; }
    int reconnects = 0;
    std::vector<std::string> menuItems;
    std::vector<std::string> messages;
};

// A phone of a driver index on a scripted device, with its settings.
struct PhoneBench {
    explicit PhoneBench(int driverIndex, std::map<std::string, std::string> prefs = {},
                        std::map<std::string, std::string> portValues = {});

    FakeClock clock;
    RecordingLog log;
    ScriptedDevice device{clock};
    MapSettings store;
    HandsetSettings settings{store, "GSM Device1"};
    RecordingHost host;
    MemoryPduReferenceStore references;
    std::unique_ptr<TPhone> phone;
};

}  // namespace nimbra::handset::testing
