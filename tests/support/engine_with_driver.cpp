#include "engine_with_driver.h"

#include <algorithm>
#include <sstream>

#include "child_process.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {

namespace fs = std::filesystem;
using com::TnbMessageServerProxy;
using com::TransmitEngine;

namespace {

std::string ReadFileTextIfAny(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error) ? ReadFileText(path) : std::string();
}

}  // namespace

EngineWithDriver::EngineWithDriver(Programs programs, DriverUnderTest driver)
    : engine(programs.transmit), programs_(programs), driver_(std::move(driver)) {}

::testing::AssertionResult EngineWithDriver::StartAll(std::vector<std::string> simulatorOptions,
                                                      std::map<std::string, std::string> fields) {
    simulatorOptions.insert(simulatorOptions.begin(), driver_.simulatorOptions.begin(),
                            driver_.simulatorOptions.end());
    simulator = std::make_unique<SimulatorProcess>(programs_.mcsim, std::move(simulatorOptions));
    return StartEngine(simulator->port(), std::move(fields));
}

void EngineWithDriver::StartSimulator(int port) {
    std::vector<std::string> options = driver_.simulatorOptions;
    options.insert(options.end(), {"--port", std::to_string(port)});
    simulator = std::make_unique<SimulatorProcess>(programs_.mcsim, std::move(options));
}

::testing::AssertionResult EngineWithDriver::StartEngine(
    int port, std::map<std::string, std::string> fields) {
    fields.emplace("eHost", "127.0.0.1");
    fields.emplace("ePort", std::to_string(port));
    fields.emplace("cbLog", "1");
    return StartEngineWith(fields, "127.0.0.1:");
}

::testing::AssertionResult EngineWithDriver::StartEngineWith(
    const std::map<std::string, std::string>& fields, const std::string& ready) {
    fs::create_directories(engine.home() / "Devices");
    fs::copy_file(driver_.program, Driver());
    fs::permissions(Driver(), fs::perms::owner_all);
    engine.WriteServerSetting("eInstalledNumber", "0");
    engine.WriteServerSetting(driver_.countSetting, "1");
    for (const auto& [name, value] : fields)
        engine.WriteSetting(PluginKeyPath(driver_.loginName), name, value);
    engine.Start();

    client = std::make_unique<TnbMessageServerProxy>(TransmitEngine::Attach(engine.Connect()));
    client->login(QStringLiteral("tester"));
    QObject::connect(client.get(), &TnbMessageServerProxy::MessageSent,
                     [this](const QVariant& id) { sent << id.toString(); });
    QObject::connect(client.get(), &TnbMessageServerProxy::MessageDelivered,
                     [this](const QVariant& id) { delivered << id.toString(); });
    QObject::connect(client.get(), &TnbMessageServerProxy::MessageReceived,
                     [this](const QVariant& msg) { received << msg.toString(); });
    // The driver reports its address once it has logged in to the engine.
    if (!ProcessEventsUntil([&] { return ScreenLogHas(ready); }, kTimeoutMs))
        return ::testing::AssertionFailure() << "the driver did not log in to the engine\n"
                                             << ScreenLog();
    if (client->startServer() != QVariant(1))
        return ::testing::AssertionFailure() << "the server did not start\n" << ScreenLog();
    return ::testing::AssertionSuccess();
}

fs::path EngineWithDriver::Driver() const {
    return engine.home() / "Devices" / driver_.fileName;
}

std::string EngineWithDriver::ScreenLog() const {
    return ReadFileTextIfAny(engine.home() / "logs/screen-log.txt");
}

bool EngineWithDriver::ScreenLogHas(const std::string& line) const {
    return ScreenLog().find("[" + driver_.loginName + "] " + line) != std::string::npos;
}

bool EngineWithDriver::WaitForScreenLog(const std::string& line, int timeoutMs) {
    return ProcessEventsUntil([&] { return ScreenLogHas(line); }, timeoutMs);
}

std::string EngineWithDriver::DriverLog() const {
    return ReadFileTextIfAny(engine.home() / "logs/smpp-log.txt");
}

bool EngineWithDriver::WaitForDriverLog(const std::string& text, int timeoutMs) {
    return ProcessEventsUntil([&] { return DriverLog().find(text) != std::string::npos; },
                              timeoutMs);
}

std::string EngineWithDriver::SendWithNbsms(const std::string& number, const std::string& text) {
    ChildProcess nbsms(engine.ClientProgram(programs_.nbsms, {"send", number, text}));
    if (!ProcessEventsUntil([&] { return !nbsms.Running(); }, kTimeoutMs)) {
        ADD_FAILURE() << "nbsms send did not end";
        return {};
    }
    if (nbsms.ExitCode() != 0) {
        ADD_FAILURE() << "nbsms send failed: " << nbsms.Errors();
        return {};
    }
    std::string id = nbsms.Output();
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r'))
        id.pop_back();
    if (id.empty())
        ADD_FAILURE() << "nbsms send printed no message id";
    return id;
}

fs::path EngineWithDriver::Folder(const std::string& name) const {
    return engine.home() / "SysFolders" / name;
}

fs::path EngineWithDriver::FileHolding(const fs::path& folder, const std::string& text) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".sms" &&
            ReadFileText(entry.path()).find(text) != std::string::npos)
            return entry.path();
    }
    return {};
}

std::vector<std::string> EngineWithDriver::SendNumberedMessages(int count,
                                                                const std::string& text) {
    std::vector<std::string> ids;
    for (int i = 0; i < count; ++i) {
        TGsmSms record;
        record.receiver = "+36201" + std::to_string(10000 + i);
        record.text = text + " " + std::to_string(i);
        QVariant message = QString::fromStdString(record.ToText());
        const std::string id = client->sendMessage(message).toString().toStdString();
        if (id.empty()) {
            ADD_FAILURE() << "message " << i << " was refused";
            break;
        }
        ids.push_back(id);
    }
    return ids;
}

void EngineWithDriver::ExpectSentOnceEach(const std::vector<std::string>& ids,
                                          const std::string& text) {
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            return std::all_of(ids.begin(), ids.end(), [&](const auto& id) { return Sent(id); });
        },
        kTimeoutMs))
        << DriverLog();
    std::map<std::string, int> filesOf;
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            filesOf = FilesPerId(Folder("Sent Items"), ids);
            return std::all_of(filesOf.begin(), filesOf.end(),
                               [](const auto& entry) { return entry.second >= 1; });
        },
        kTimeoutMs));
    for (const auto& [id, count] : filesOf)
        EXPECT_EQ(count, 1) << id;
    for (const std::string& id : ids)
        EXPECT_EQ(sent.count(QString::fromStdString(id)), 1) << id;
    // The Outbox's originals go once their copies are on disk.
    EXPECT_TRUE(ProcessEventsUntil([&] { return FileHolding(Folder("Outbox"), text).empty(); },
                                   kTimeoutMs));
}

std::map<std::string, int> EngineWithDriver::FilesPerId(const fs::path& folder,
                                                        const std::vector<std::string>& ids) {
    std::map<std::string, int> files;
    for (const std::string& id : ids)
        files[id] = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".sms")
            continue;
        std::istringstream lines(ReadFileText(entry.path()));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (const auto it = files.find(line); it != files.end())
                ++it->second;
        }
    }
    return files;
}

bool EngineWithDriver::KeptForRetry(const std::string& id) const {
    return !FileHolding(Folder("Waiting for resend"), id).empty() ||
           !FileHolding(Folder("Could not be sent"), id).empty();
}

}  // namespace nimbra::testing_support
