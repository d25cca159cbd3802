// One scheduler tick over an Outbox of 100,000 messages: with no device ready, with one ready
// device, and with one ready device that no message may use (every message is bound to
// another operator, so the tick walks the whole Outbox).
//
//   scheduler_bench [message count]      (default 100000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "engine.h"
#include "manual_host.h"
#include "settingsstore.h"

namespace {

using namespace nimbra;
using namespace nimbra::testing_support;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void WriteOutbox(const fs::path& home, int count, const std::string& operatorName) {
    SmsEnvironment sms;
    StoreEnvironment store(sms, home.string());
    TSmsQueue outbox(store, store.PathOf("SysFolders/Outbox"), QueueFlags{true, false, false});
    for (int i = 0; i < count; ++i) {
        auto message = std::make_unique<TSms>(sms);
        message->to = "+4917" + std::to_string(10000000 + i);
        message->text = "Your parcel arrives today between 10:00 and 12:00 - " + std::to_string(i);
        message->operatorName = operatorName;
        outbox.Add(std::move(message), false);
    }
}

// Average milliseconds of a tick; before runs ahead of every tick, untimed.
double MillisecondsPerTick(Engine& engine, int ticks, const std::function<void()>& before) {
    double total = 0;
    for (int i = 0; i < ticks; ++i) {
        before();
        const auto start = Clock::now();
        engine.SendTick();
        total += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    return total / ticks;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const fs::path root = fs::temp_directory_path() / "nimbra-scheduler-bench";
    fs::remove_all(root);
    setenv("NIMBRA_SETTINGS_DIR", (root / "settings").c_str(), 1);
    // No device programs to start, no sound.
    WritePluginSetting("Server", "eInstalledNumber", "0");
    WritePluginSetting("Server", "cbWav", "0");

    for (const char* operatorName : {"", "Elsewhere"}) {
        const fs::path home = root / (*operatorName ? "bound" : "free");
        const auto writeStart = Clock::now();
        WriteOutbox(home, count, operatorName);
        std::printf("wrote %d Outbox messages in %.1f s\n", count,
                    std::chrono::duration<double>(Clock::now() - writeStart).count());

        ManualHost host;
        Engine engine(host, home.string());
        const auto initStart = Clock::now();
        engine.Init();
        std::printf("start-up with them: %.2f s\n",
                    std::chrono::duration<double>(Clock::now() - initStart).count());
        engine.StartbtnClick(false);

        if (!*operatorName) {
            std::printf("tick, no device ready:      %8.3f ms\n",
                        MillisecondsPerTick(engine, 100, [] {}));
        }
        RecordingDevice sink;
        auto device = engine.CreateDevice();
        device->SetSink(&sink);
        device->login("smpp");
        device->sendInfo("operator", "Here");
        const auto ready = [&device] { device->connectionSuccess(); };
        std::printf("tick, one ready device%s: %8.3f ms\n",
                    *operatorName ? " (no message for it)" : "",
                    MillisecondsPerTick(engine, 100, ready));
        std::printf("  messages handed over: %zu\n", sink.transmitted.size());
    }
    fs::remove_all(root);
    return 0;
}
