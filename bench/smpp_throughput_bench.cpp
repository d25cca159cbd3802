// Messages per second through one SMPP connection: the real engine, the `smpp` driver and the
// message-centre simulator on loopback (it answers every submit at once and sends no
// receipts). The messages are queued with `nbsms masssend` and the clock runs until all of
// them are in "Sent Items"; every message file is flushed to the disk as usual.
//
//   smpp_throughput_bench [windowed count] [designed count] [fast tick ms]
//       (defaults 10000, 300 and 2)
//
// Runs: the designed engine (a tick a second, ten a tick) with the designed connection
// (window 1) for the designed count; then the fast tick with windows 1 (designed count),
// 10 and 100 (windowed count), the rate cap off. For each: messages a second, and the CPU
// time per message of the engine, the driver and the simulator, from /proc.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QCoreApplication>

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
using nimbra::testing_support::ChildProcess;
using nimbra::testing_support::MessageFileCount;
using nimbra::testing_support::ProcessesOf;
using nimbra::testing_support::RunningEngine;
using nimbra::testing_support::SimulatorProcess;
using nimbra::testing_support::WaitUntil;

// CPU seconds (user and system) a process has used so far.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct RunPlan {
    const char* name;
    int window;
    int fastTickMs;  // 0: the designed tick
    int count;
};

void Run(const RunPlan& plan) {
    SimulatorProcess simulator(MCSIM, {"--protocol", "smpp", "--no-report"});
    RunningEngine engine(TRANSMIT);
    fs::create_directories(engine.home() / "Devices");
    fs::copy_file(SMPP, engine.home() / "Devices/smpp");
    fs::permissions(engine.home() / "Devices/smpp", fs::perms::owner_all);
    engine.WriteServerSetting("eInstalledNumber", "0");
    engine.WriteServerSetting("eSMPPInstalledNumber", "1");
    engine.WriteServerSetting("cbStartup2", "1");
    engine.WriteServerSetting("eAutoStart", "2");
    if (plan.fastTickMs > 0)
        engine.WriteServerSetting("eFastSendTickMs", std::to_string(plan.fastTickMs));
    const std::string section = nimbra::PluginKeyPath("smpp1");
    engine.WriteSetting(section, "eHost", "127.0.0.1");
    engine.WriteSetting(section, "ePort", std::to_string(simulator.port()));
    engine.WriteSetting(section, "eWindow", std::to_string(plan.window));
    engine.WriteSetting(section, "eRateCap", "0");
    engine.Start();
    if (!WaitUntil([&] { return simulator.Count("logins") >= 1; }, std::chrono::seconds(60)))
        throw std::runtime_error("the connection did not bind to the simulator");

    const fs::path records = engine.home() / "masssend.txt";
    {
        std::ofstream out(records);
        for (int i = 0; i < plan.count; ++i) {
            nimbra::TGsmSms record;
            record.receiver = "+36201234567";
            record.text = "Throughput message " + std::to_string(i + 1) + " of a usual length.";
            out << record.ToText() << "\n";
        }
    }
    const std::vector<pid_t> drivers = ProcessesOf(engine.home() / "Devices/smpp");
    const pid_t driver = drivers.empty() ? -1 : drivers.front();
    const pid_t enginePid = engine.process().pid();
    const double engineCpu0 = CpuSeconds(enginePid);
    const double driverCpu0 = driver > 0 ? CpuSeconds(driver) : 0;
    const double simulatorCpu0 = CpuSeconds(simulator.process().pid());

    const fs::path sentItems = engine.home() / "SysFolders/Sent Items";
    const auto start = Clock::now();
    ChildProcess nbsms(engine.ClientProgram(NBSMS, {"masssend", records.string()}));
    if (!nbsms.WaitForExit(std::chrono::minutes(10)) || nbsms.ExitCode() != 0)
        throw std::runtime_error("nbsms masssend failed");
    const double queued = std::chrono::duration<double>(Clock::now() - start).count();
    const auto deadline = std::chrono::seconds(60 + 2 * plan.count);
    if (!WaitUntil([&] { return MessageFileCount(sentItems) >= plan.count; }, deadline))
        throw std::runtime_error("only " + std::to_string(MessageFileCount(sentItems)) + " of " +
                                 std::to_string(plan.count) + " messages were sent");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double engineCpu = CpuSeconds(enginePid) - engineCpu0;
    const double driverCpu = driver > 0 ? CpuSeconds(driver) - driverCpu0 : 0;
    const double simulatorCpu = CpuSeconds(simulator.process().pid()) - simulatorCpu0;
    const double perMessageMs = 1000.0 / plan.count;
    std::printf(
        "%-32s %6d messages in %7.1f s (masssend %5.2f s): %8.1f messages/s, %6.3f ms each; "
        "CPU per message: engine %.3f ms, driver %.3f ms, simulator %.3f ms\n",
        plan.name, plan.count, seconds, queued, plan.count / seconds, seconds * perMessageMs,
        engineCpu * perMessageMs, driverCpu * perMessageMs, simulatorCpu * perMessageMs);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int windowed = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int designed = argc > 2 ? std::atoi(argv[2]) : 300;
    const int fastTick = argc > 3 ? std::atoi(argv[3]) : 2;
    if (windowed < 1 || designed < 1 || fastTick < 1 || fastTick > 1000) {
        std::fprintf(stderr,
                     "usage: smpp_throughput_bench [windowed count] [designed count] "
                     "[fast tick ms]\n");
        return 2;
    }
    const std::vector<RunPlan> plans = {
        {"designed tick, window 1", 1, 0, designed},
        {"fast tick, window 1", 1, fastTick, designed},
        {"fast tick, window 10", 10, fastTick, windowed},
        {"fast tick, window 100", 100, fastTick, windowed},
    };
    const char* only = std::getenv("BENCH_ONLY");
    try {
        for (const RunPlan& plan : plans) {
            if (only && std::string(plan.name).find(only) == std::string::npos)
                continue;
            Run(plan);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "smpp_throughput_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
