#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include "child_process.h"
#include "private_bus.h"
#include "temp_dir.h"

namespace nimbra::testing_support {

// The real engine program, `transmit --headless`, on a private bus of its own, with a
// temporary home and a temporary settings folder. The home starts empty: no device program
// is there, so the engine starts no driver. Settings written before Start() are what the
// engine reads at start-up. Destroying it ends the engine (SIGTERM, then SIGKILL), the
// connections made with Connect() and the bus, in that order.
class RunningEngine {
public:
    using Environment = std::map<std::string, std::optional<std::string>>;

    // transmit: the engine program (the tests get it from the build as TRANSMIT); users: who
    // may connect to its bus.
    explicit RunningEngine(std::filesystem::path transmit,
                           PrivateBus::Users users = PrivateBus::Users::Own);
    ~RunningEngine();
    RunningEngine(const RunningEngine&) = delete;
    RunningEngine& operator=(const RunningEngine&) = delete;

    // A value of this engine's settings store; meant for before Start().
    void WriteSetting(std::string_view keyPath, std::string_view name, std::string_view value);
    // A value of the engine's "Server" section, e.g. ("cbStartup2", "1") for the automatic
    // start or ("eInstalledNumber", "0") for no handset.
    void WriteServerSetting(std::string_view name, std::string_view value);

    // The engine runs with its windows on that X display (":N") instead of --headless;
    // meant for before Start().
    void ShowWindowsOn(const std::string& display) { windowDisplay_ = display; }

    // Runs the engine and waits until it owns org.nimbra.Transmit and has prepared its home.
    // Throws std::runtime_error (with what the engine wrote to stderr) when it ends or is not
    // ready within timeout.
    void Start(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool Running();
    // SIGTERM and wait: the engine closes in order. False when it still runs after timeout.
    bool Stop(std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // A new connection of this process to the private bus; each call gives a connection of
    // its own, so that one test can be several clients. Closed when the engine is destroyed.
    QDBusConnection Connect();
    // Whether org.nimbra.Transmit has an owner on the private bus now.
    bool OwnsBusName();

    // Environment for programs that are to reach this engine: its bus and its settings,
    // the home as NIMBRA_HOME, no display.
    Environment ClientEnvironment() const;
    // Options to run program with arguments in that environment.
    ChildProcess::Options ClientProgram(const std::string& program,
                                        std::vector<std::string> arguments) const;

    const std::string& busAddress() const { return bus_.address(); }
    const std::filesystem::path& home() const { return home_.path(); }
    const std::filesystem::path& settings() const { return settings_.path(); }
    // The engine's process; only after Start().
    ChildProcess& process() { return *engine_; }

private:
    std::filesystem::path transmit_;
    PrivateBus bus_;
    TempDir home_;
    TempDir settings_;
    QStringList connectionNames_;
    std::unique_ptr<ChildProcess> engine_;
    std::string windowDisplay_;
};

}  // namespace nimbra::testing_support
