#include "running_engine.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include <QDBusConnectionInterface>

#include "settingskeys.h"
#include "settingsstore.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

constexpr char kEngineBusName[] = "org.nimbra.Transmit";

// Points the settings store at folder while it lives.
class SettingsFolderSwitch {
public:
    explicit SettingsFolderSwitch(const std::filesystem::path& folder) {
        if (const char* previous = std::getenv("NIMBRA_SETTINGS_DIR"))
            previous_ = previous;
        ::setenv("NIMBRA_SETTINGS_DIR", folder.c_str(), 1);
    }
    ~SettingsFolderSwitch() {
        if (previous_)
            ::setenv("NIMBRA_SETTINGS_DIR", previous_->c_str(), 1);
        else
            ::unsetenv("NIMBRA_SETTINGS_DIR");
    }
    SettingsFolderSwitch(const SettingsFolderSwitch&) = delete;
    SettingsFolderSwitch& operator=(const SettingsFolderSwitch&) = delete;

private:
    std::optional<std::string> previous_;
};

QString NewConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("nimbra-running-engine-%1").arg(++counter);
}

}  // namespace

RunningEngine::RunningEngine(std::filesystem::path transmit, PrivateBus::Users users)
    : transmit_(std::move(transmit)), bus_(users) {}

RunningEngine::~RunningEngine() {
    engine_.reset();
    for (const QString& name : connectionNames_)
        QDBusConnection::disconnectFromBus(name);
}

void RunningEngine::WriteSetting(std::string_view keyPath, std::string_view name,
                                 std::string_view value) {
    const SettingsFolderSwitch folder(settings_.path());
    nimbra::WriteSetting(keyPath, name, value);
}

void RunningEngine::WriteServerSetting(std::string_view name, std::string_view value) {
    const SettingsFolderSwitch folder(settings_.path());
    WritePluginSetting(settings::kServerSection, name, value);
}

RunningEngine::Environment RunningEngine::ClientEnvironment() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", bus_.address()},
            {"NIMBRA_SETTINGS_DIR", settings_.path().string()},
            {"NIMBRA_HOME", home_.path().string()},
            {"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt}};
}

ChildProcess::Options RunningEngine::ClientProgram(const std::string& program,
                                                   std::vector<std::string> arguments) const {
    return {program, std::move(arguments), ClientEnvironment(), {}};
}

void RunningEngine::Start(std::chrono::milliseconds timeout) {
    if (engine_)
        throw std::logic_error("the engine has been started already");
    Environment environment = ClientEnvironment();
    // The home is given on the command line only.
    environment["NIMBRA_HOME"] = std::nullopt;
    std::vector<std::string> arguments{"--headless", "--home", home_.path().string()};
    if (!windowDisplay_.empty()) {
        environment["DISPLAY"] = windowDisplay_;
        environment["QT_QPA_PLATFORM"] = "xcb";
        arguments.erase(arguments.begin());
    }
    engine_ = std::make_unique<ChildProcess>(
        ChildProcess::Options{transmit_.string(), arguments, environment, {}});
    // The engine claims the name before it prepares its home; once the control folder is
    // there its start-up has run and it serves calls as soon as its event loop turns.
    const bool ready = WaitUntil(
        [this] {
            if (!engine_->Running())
                return true;
            std::error_code ignored;
            return std::filesystem::exists(home_ / "servercontrol", ignored) && OwnsBusName();
        },
        timeout);
    if (!engine_->Running())
        throw std::runtime_error("transmit ended at start-up: " + engine_->Errors());
    if (!ready)
        throw std::runtime_error("transmit was not ready in time: " + engine_->Errors());
}

bool RunningEngine::Running() {
    return engine_ && engine_->Running();
}

bool RunningEngine::Stop(std::chrono::milliseconds timeout) {
    if (!engine_)
        return true;
    engine_->Signal(SIGTERM);
    return engine_->WaitForExit(timeout);
}

QDBusConnection RunningEngine::Connect() {
    const QString name = NewConnectionName();
    connectionNames_.append(name);
    return QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), name);
}

bool RunningEngine::OwnsBusName() {
    if (connectionNames_.isEmpty())
        Connect();
    const QDBusConnection probe(connectionNames_.first());
    QDBusConnectionInterface* bus = probe.interface();
    return bus && bus->isServiceRegistered(QString::fromLatin1(kEngineBusName)).value();
}

}  // namespace nimbra::testing_support
