// Messages a minute through the handset driver: the real engine and the real driver with the
// modem simulator program on a pseudo-terminal, answering every command at once and making no
// status reports. The messages are queued through a client object; the clock runs until all
// of them are in Sent Items. Then the driver's CPU time over a while with nothing to send and
// receiving on (it reads the device's memory slot by slot all the time).
//
//   handset_throughput_bench [message count] [idle seconds]      (defaults: 10, 20)
//
// Every command costs at least the 700 ms answer wait, a message two commands and the
// outgoing delay (2 s by default), and the engine hands out messages once a second.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include <QCoreApplication>

#include "Transmit_TLB.h"
#include "child_process.h"
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
using nimbra::testing_support::WaitUntil;

// User and system CPU time of a process, in milliseconds.
long long CpuMs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long long user = 0;
    long long system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            user = std::stoll(field);
        if (i == 15)
            system = std::stoll(field);
    }
    return (user + system) * 1000 / sysconf(_SC_CLK_TCK);
}

void Run(int count, int idleSeconds) {
    nimbra::testing_support::ModemSimulatorProcess modem(MODEMSIM, {"--no-report"});
    RunningEngine engine(TRANSMIT);
    const fs::path driver = engine.home() / "Devices/handset";
    fs::create_directories(engine.home() / "Devices");
    fs::copy_file(HANDSET, driver);
    fs::permissions(driver, fs::perms::owner_all);
    const std::string section = nimbra::PluginKeyPath("GSM Device1");
    engine.WriteSetting(section, "cbGSM", "Siemens M20");
    engine.WriteSetting(section, "lbComPort", modem.device());
    engine.Start();

    nimbra::com::TnbMessageServerProxy client(
        nimbra::com::TransmitEngine::Attach(engine.Connect()));
    client.login(QStringLiteral("bench"));
    const fs::path screenLog = engine.home() / "logs/screen-log.txt";
    const auto logHas = [&](const std::string& line) {
        std::error_code error;
        return fs::exists(screenLog, error) &&
               nimbra::testing_support::ReadFileText(screenLog).find(line) != std::string::npos;
    };
    if (!WaitUntil([&] { return logHas("[GSM Device1] Siemens M20,"); }, std::chrono::seconds(30)))
        throw std::runtime_error("the driver did not log in to the engine");
    if (client.startServer() != QVariant(1))
        throw std::runtime_error("the server did not start");
    if (!WaitUntil([&] { return logHas("[GSM Device1] Connected to device"); },
                   std::chrono::seconds(30)))
        throw std::runtime_error("the driver did not connect to the modem");

    const fs::path sentItems = engine.home() / "SysFolders/Sent Items";
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        nimbra::TGsmSms record;
        record.receiver = "+36201234567";
        record.text = "Throughput message " + std::to_string(i + 1) + " of a usual length.";
        QVariant msg = QString::fromStdString(record.ToText());
        client.sendMessage(msg);
    }
    if (!WaitUntil([&] { return MessageFileCount(sentItems) >= count; },
                   std::chrono::seconds(30 + 10 * count)))
        throw std::runtime_error("only " + std::to_string(MessageFileCount(sentItems)) + " of " +
                                 std::to_string(count) + " messages were sent");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("handset: %d messages in %.1f s: %.1f messages a minute\n", count, seconds,
                count * 60 / seconds);
    std::fflush(stdout);

    const pid_t pid = nimbra::testing_support::ProcessRunning(driver);
    if (pid == 0)
        throw std::runtime_error("the driver's process was not found");
    const long long before = CpuMs(pid);
    const int commandsBefore = modem.Count("commands");
    WaitUntil([] { return false; }, std::chrono::seconds(idleSeconds));
    const long long used = CpuMs(pid) - before;
    std::printf("handset idle, receiving on: %lld ms CPU in %d s (%.2f%%), %d commands answered\n",
                used, idleSeconds, used / (idleSeconds * 10.0),
                modem.Count("commands") - commandsBefore);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10;
    const int idle = argc > 2 ? std::atoi(argv[2]) : 20;
    if (count < 1 || idle < 1) {
        std::fprintf(stderr, "usage: handset_throughput_bench [message count] [idle seconds]\n");
        return 2;
    }
    try {
        Run(count, idle);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "handset_throughput_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
