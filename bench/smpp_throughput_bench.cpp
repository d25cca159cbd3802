// Messages per second through the smpp driver: the real engine with one, then five SMPP
// connections to the message-centre simulator on loopback (it answers every submit at once
// and sends no receipts). The messages are queued through a client object as fast as the
// engine takes them; the clock runs until all of them are in Sent Items.
//
//   smpp_throughput_bench [message count]      (default 30)
//
// One message is in flight per connection, the driver looks for work every 300 ms and the
// engine hands out messages once a second, so expect a few messages per second at most.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <QCoreApplication>

#include "Transmit_TLB.h"
#include "file_text.h"
#include "keypath.h"
#include "running_engine.h"
#include "simulator_process.h"
#include "unGSMSMS.h"
#include "wait.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using nimbra::testing_support::MessageFileCount;
using nimbra::testing_support::RunningEngine;
using nimbra::testing_support::SimulatorProcess;
using nimbra::testing_support::WaitUntil;

void Run(int connections, int count) {
    SimulatorProcess simulator(MCSIM, {"--protocol", "smpp", "--no-report"});
    RunningEngine engine(TRANSMIT);
    fs::create_directories(engine.home() / "Devices");
    fs::copy_file(SMPP, engine.home() / "Devices/smpp");
    fs::permissions(engine.home() / "Devices/smpp", fs::perms::owner_all);
    engine.WriteServerSetting("eInstalledNumber", "0");
    engine.WriteServerSetting("eSMPPInstalledNumber", std::to_string(connections));
    for (int i = 1; i <= connections; ++i) {
        const std::string section = nimbra::PluginKeyPath("smpp" + std::to_string(i));
        engine.WriteSetting(section, "eHost", "127.0.0.1");
        engine.WriteSetting(section, "ePort", std::to_string(simulator.port()));
    }
    engine.Start();

    nimbra::com::TnbMessageServerProxy client(
        nimbra::com::TransmitEngine::Attach(engine.Connect()));
    client.login(QStringLiteral("bench"));
    // Every driver has logged in to the engine when it has reported its address.
    const fs::path screenLog = engine.home() / "logs/screen-log.txt";
    const std::string last = "[smpp" + std::to_string(connections) + "] 127.0.0.1:";
    if (!WaitUntil(
            [&] {
                std::error_code error;
                return fs::exists(screenLog, error) &&
                       nimbra::testing_support::ReadFileText(screenLog).find(last) !=
                           std::string::npos;
            },
            std::chrono::seconds(30)))
        throw std::runtime_error("the drivers did not log in to the engine");
    if (client.startServer() != QVariant(1))
        throw std::runtime_error("the server did not start");
    if (!WaitUntil([&] { return simulator.Count("logins") >= connections; },
                   std::chrono::seconds(30)))
        throw std::runtime_error("not every connection bound to the simulator");

    const fs::path sentItems = engine.home() / "SysFolders/Sent Items";
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        nimbra::TGsmSms record;
        record.receiver = "+36201234567";
        record.text = "Throughput message " + std::to_string(i + 1) + " of a usual length.";
        QVariant msg = QString::fromStdString(record.ToText());
        client.sendMessage(msg);
    }
    const double queued = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WaitUntil([&] { return MessageFileCount(sentItems) >= count; },
                   std::chrono::seconds(30 + 3 * count)))
        throw std::runtime_error("only " + std::to_string(MessageFileCount(sentItems)) + " of " +
                                 std::to_string(count) + " messages were sent");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "smpp, %d connection%s: %d messages in %.1f s (queued in %.2f s): %.2f messages/s, "
        "%.2f per connection\n",
        connections, connections == 1 ? "" : "s", count, seconds, queued, count / seconds,
        count / seconds / connections);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 30;
    if (count < 1) {
        std::fprintf(stderr, "usage: smpp_throughput_bench [message count]\n");
        return 2;
    }
    try {
        Run(1, count);
        Run(5, count);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "smpp_throughput_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
