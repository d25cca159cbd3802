#pragma once
// The real engine with one device driver program installed in its home and pointed at a
// message centre on loopback (the simulator, or a port of the test's choosing), a client
// object that records the engine's message events, and the command-line client: what the
// drivers' end-to-end tests share. The steps that start things give an AssertionResult for
// ASSERT_TRUE, so that a test stops at the first one that failed instead of waiting on.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QStringList>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "driver_time_scale.h"
#include "running_engine.h"
#include "simulator_process.h"

namespace nimbra::testing_support {

// Which driver, and how the engine knows it.
struct DriverUnderTest {
    const char* program;       // the built driver program
    std::string fileName;      // its name in the home's Devices folder
    std::string countSetting;  // the Server setting that says how many the engine starts
    std::string loginName;     // the name it gets at the engine, also its settings section
    std::vector<std::string> simulatorOptions;  // what makes the simulator speak its protocol
};

// The built programs.
struct Programs {
    const char* transmit;
    const char* nbsms;
    const char* mcsim;
};

class EngineWithDriver {
public:
    static constexpr int kTimeoutMs = 20000;

    // The drivers it starts wait kDriverTestTimeScale of their designed times.
    EngineWithDriver(Programs programs, DriverUnderTest driver);

    // Starts the simulator with options, then the engine with the driver pointed at it.
    [[nodiscard]] ::testing::AssertionResult StartAll(
        std::vector<std::string> simulatorOptions, std::map<std::string, std::string> fields = {});
    // Installs the driver (the handset off), gives it its fields (eHost 127.0.0.1, ePort
    // port and cbLog 1 unless `fields` say otherwise), starts the engine, logs a client in
    // and, once the driver has logged in to the engine, starts the server.
    [[nodiscard]] ::testing::AssertionResult StartEngine(
        int port, std::map<std::string, std::string> fields = {});
    // The same for any driver: its fields as given; the driver has logged in when the screen
    // log shows its line `ready`.
    [[nodiscard]] ::testing::AssertionResult StartEngineWith(
        const std::map<std::string, std::string>& fields, const std::string& ready);
    // Starts the simulator on port, with the driver's protocol.
    void StartSimulator(int port);

    std::filesystem::path Driver() const;
    // The engine's screen log, where the driver's lines arrive as "[loginName] " + line.
    std::string ScreenLog() const;
    bool ScreenLogHas(const std::string& line) const;
    bool WaitForScreenLog(const std::string& line, int timeoutMs = kTimeoutMs);
    // The driver's own log file (with cbLog on).
    std::string DriverLog() const;
    bool WaitForDriverLog(const std::string& text, int timeoutMs = kTimeoutMs);

    // Sends with the command-line client; gives the message id it printed, or an empty text
    // (and a failure) when it did not send.
    [[nodiscard]] std::string SendWithNbsms(const std::string& number, const std::string& text);
    std::filesystem::path Folder(const std::string& name) const;
    // The message file in folder that holds text, or an empty path.
    static std::filesystem::path FileHolding(const std::filesystem::path& folder,
                                             const std::string& text);
    // Sends count messages through the client object, "<text> 0", "<text> 1", ..., each to a
    // number of its own; their ids, or fewer and a failure when one was refused.
    std::vector<std::string> SendNumberedMessages(int count, const std::string& text);
    // Checks that every id was reported sent once and lies in exactly one file of Sent
    // Items, and that the Outbox keeps none of the texts (waiting for each as needed).
    void ExpectSentOnceEach(const std::vector<std::string>& ids, const std::string& text);
    // For each id, how many message files of folder hold it as a whole line.
    static std::map<std::string, int> FilesPerId(const std::filesystem::path& folder,
                                                 const std::vector<std::string>& ids);
    // Whether the message waits for another try after a failure.
    bool KeptForRetry(const std::string& id) const;
    bool Sent(const std::string& id) const { return sent.contains(QString::fromStdString(id)); }
    bool Delivered(const std::string& id) const {
        return delivered.contains(QString::fromStdString(id));
    }

    ScopedDriverTimeScale timeScale;
    RunningEngine engine;
    std::unique_ptr<SimulatorProcess> simulator;
    std::unique_ptr<com::TnbMessageServerProxy> client;
    QStringList sent;
    QStringList delivered;
    QStringList received;

private:
    Programs programs_;
    DriverUnderTest driver_;
};

}  // namespace nimbra::testing_support
