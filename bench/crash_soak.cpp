// Crash soak: the real engine with the smpp driver and the message-centre simulator on
// loopback. Clients (nbsms) send bursts of messages and the simulator delivers messages to the
// driver, while the engine (first half of the kills) or the driver (second half) is killed
// with SIGKILL at a random moment and started again. After every kill each message file in
// the home must be whole; at the end every message a client got an id for must lie in
// exactly one file, in Sent Items, and every message the driver acknowledged to the
// simulator must lie in the Inbox exactly once.
//
//   crash_soak [kills] [seed]      (default 100 kills, seed from the clock)
//
// Prints the counts and exits 1 when a message was lost or a file half-written.

#include <signal.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "child_process.h"
#include "driver_time_scale.h"
#include "file_text.h"
#include "keypath.h"
#include "private_bus.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "simulator_process.h"
#include "temp_dir.h"
#include "wait.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using nimbra::testing_support::ChildProcess;
using nimbra::testing_support::PrivateBus;
using nimbra::testing_support::ProcessesOf;
using nimbra::testing_support::ReadFileText;
using nimbra::testing_support::ScopedDriverTimeScale;
using nimbra::testing_support::ScopedSettingsDir;
using nimbra::testing_support::SimulatorProcess;
using nimbra::testing_support::TempDir;
using nimbra::testing_support::WaitUntil;

constexpr int kClientsAtOnce = 3;
// The engine hands a device one message a second; bursts come about as fast.
constexpr std::chrono::milliseconds kBurstInterval{2500};
constexpr char kNumber[] = "+36201234567";

struct Outgoing {
    std::string text;
    std::string id;  // what the client got; empty when the send failed
};

struct Incoming {
    std::string text;
    bool acknowledged = false;
};

struct Figures {
    int sendsTried = 0;
    int sent = 0;  // a client got an id
    int sentLost = 0;
    int sentDuplicatedInStore = 0;
    int sentTwiceToCentre = 0;
    int delivered = 0;
    int received = 0;  // acknowledged by the driver
    int receivedLost = 0;
    int receivedDuplicated = 0;
    int unacknowledgedButStored = 0;
    int halfWritten = 0;
    int engineKills = 0;
    int driverKills = 0;
};

std::vector<fs::path> MessageFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    if (!fs::exists(folder, error))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".sms")
            files.push_back(entry.path());
    }
    return files;
}

// A whole message file holds at least 12 lines, each ended by CR LF.
bool Whole(const std::string& text) {
    int lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++lines;
    return lines >= 12 && text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

class Soak {
public:
    Soak(int kills, unsigned seed) : kills_(kills), random_(seed) {}

    Figures Run() {
        Prepare();
        StartEngine();
        for (int kill = 0; kill < kills_; ++kill) {
            const bool engineKill = kill < (kills_ + 1) / 2;
            RunTraffic(
                std::chrono::milliseconds(std::uniform_int_distribution<int>(500, 4000)(random_)));
            if (engineKill) {
                KillEngine();
                CheckFiles();
                StartEngine();
            } else {
                KillDriver();
                CheckFiles();
                StartDriver();
            }
            std::printf("kill %d/%d (%s): %d sent, %d received so far\n", kill + 1, kills_,
                        engineKill ? "engine" : "driver", CountSent(), CountReceived());
            std::fflush(stdout);
        }
        Drain();
        CheckFiles();
        Verify();
        return figures_;
    }

private:
    fs::path Home(const std::string& relative) const { return home_.path() / relative; }

    std::map<std::string, std::optional<std::string>> Environment() const {
        // No NIMBRA_HOME: a client never starts an engine of its own.
        return {{"DBUS_SESSION_BUS_ADDRESS", bus_.address()},
                {"NIMBRA_HOME", std::nullopt},
                {"DISPLAY", std::nullopt},
                {"WAYLAND_DISPLAY", std::nullopt}};
    }

    void Prepare() {
        fs::create_directories(Home("Devices"));
        fs::copy_file(SMPP, Home("Devices/smpp"));
        fs::permissions(Home("Devices/smpp"), fs::perms::owner_all);
        nimbra::WritePluginSetting(nimbra::settings::kServerSection, "eInstalledNumber", "0");
        nimbra::WritePluginSetting(nimbra::settings::kServerSection, "eSMPPInstalledNumber", "1");
        // The server starts with the engine.
        nimbra::WritePluginSetting(nimbra::settings::kServerSection, "cbStartup2", "1");
        const std::string section = nimbra::PluginKeyPath("smpp1");
        nimbra::WriteSetting(section, "eHost", "127.0.0.1");
        nimbra::WriteSetting(section, "ePort", std::to_string(simulator_.port()));
    }

    bool Connected() { return simulator_.Count("connections") == 1; }

    void StartEngine() {
        // The driver of the killed engine leaves once it sees the engine gone.
        if (!WaitUntil([&] { return ProcessesOf(Home("Devices/smpp")).empty(); }, 30s))
            throw std::runtime_error("the driver of the killed engine did not end");
        engine_.reset();
        driver_.reset();
        engine_ = std::make_unique<ChildProcess>(ChildProcess::Options{
            TRANSMIT, {"--headless", "--home", home_.path().string()}, Environment(), {}});
        const int logins = simulator_.Count("logins");
        if (!WaitUntil([&] { return !engine_->Running() || simulator_.Count("logins") > logins; },
                       60s) ||
            !engine_->Running())
            throw std::runtime_error("the engine and its driver did not come up: " +
                                     engine_->Errors());
    }

    void KillEngine() {
        engine_->Signal(SIGKILL);
        engine_->WaitForExit(10s);
        ++figures_.engineKills;
    }

    void KillDriver() {
        const std::vector<pid_t> drivers = ProcessesOf(Home("Devices/smpp"));
        for (pid_t pid : drivers)
            ::kill(pid, SIGKILL);
        WaitUntil([&] { return ProcessesOf(Home("Devices/smpp")).empty(); }, 10s);
        driver_.reset();
        ++figures_.driverKills;
    }

    // The driver as the engine starts it: in the home, with the engine's environment. The
    // engine connects its devices when the server starts, so a driver that comes while the
    // server runs waits for the next start: the server is stopped and started until the
    // driver has bound to the simulator.
    void StartDriver() {
        WaitUntil([&] { return simulator_.Count("connections") == 0; }, 10s);
        const int logins = simulator_.Count("logins");
        driver_ = std::make_unique<ChildProcess>(
            ChildProcess::Options{Home("Devices/smpp").string(), {}, Environment(), home_.path()});
        for (int attempt = 0; attempt < 20; ++attempt) {
            for (const char* command : {"stop", "start"}) {
                ChildProcess server({NBSMS, {command}, Environment(), {}});
                server.WaitForExit(30s);
            }
            if (WaitUntil([&] { return simulator_.Count("logins") > logins; }, 3s))
                return;
        }
        throw std::runtime_error("the driver did not bind again: " + driver_->Errors());
    }

    void StartSend() {
        Outgoing message{"soak out " + std::to_string(++sendCounter_), {}};
        auto child = std::make_unique<ChildProcess>(
            ChildProcess::Options{NBSMS, {"send", kNumber, message.text}, Environment(), {}});
        inFlight_.push_back({std::move(child), std::move(message)});
        ++figures_.sendsTried;
    }

    void ReapSends(bool wait) {
        for (auto it = inFlight_.begin(); it != inFlight_.end();) {
            if (wait)
                it->first->WaitForExit(30s);
            if (it->first->Running()) {
                ++it;
                continue;
            }
            if (it->first->ExitCode() == 0) {
                std::string id = it->first->Output();
                id = id.substr(0, id.find('\n'));
                if (!id.empty())
                    it->second.id = id;
            }
            outgoing_.push_back(std::move(it->second));
            it = inFlight_.erase(it);
        }
    }

    // One message from the simulator at a time, so that each acknowledgement is known.
    void Deliver() {
        if (pendingIncoming_) {
            if (simulator_.Count("acks") > acksBefore_) {
                incoming_.back().acknowledged = true;
                pendingIncoming_ = false;
            } else if (Clock::now() - deliveredAt_ < 5s) {
                return;
            } else {
                pendingIncoming_ = false;
            }
        }
        if (!Connected())
            return;
        acksBefore_ = simulator_.Count("acks");
        const std::string text = "soak in " + std::to_string(incoming_.size() + 1);
        const std::string answer = simulator_.Control("deliver +36301111111 1234 " + text);
        if (answer.rfind("ok delivered to 1 ", 0) != 0)
            return;
        incoming_.push_back({text, false});
        ++figures_.delivered;
        pendingIncoming_ = true;
        deliveredAt_ = Clock::now();
    }

    // After a kill the connection is gone: a message without its acknowledgement gets none.
    void SettleIncoming() {
        if (!pendingIncoming_)
            return;
        WaitUntil([&] { return simulator_.Count("connections") == 0; }, 10s);
        incoming_.back().acknowledged = simulator_.Count("acks") > acksBefore_;
        pendingIncoming_ = false;
    }

    void RunTraffic(std::chrono::milliseconds length) {
        const auto end = Clock::now() + length;
        while (Clock::now() < end) {
            ReapSends(false);
            // A burst from several clients at once, as often as one connection carries them.
            if (inFlight_.empty() && Clock::now() - lastBurst_ >= kBurstInterval) {
                for (int i = 0; i < kClientsAtOnce; ++i)
                    StartSend();
                lastBurst_ = Clock::now();
            }
            Deliver();
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(20ms);
        }
    }

    void CheckFiles() {
        SettleIncoming();
        ReapSends(true);
        for (const fs::path& file : MessageFiles(home_.path())) {
            std::string text;
            try {
                text = ReadFileText(file);
            } catch (const std::exception&) {
                continue;  // renamed away meanwhile
            }
            if (!Whole(text)) {
                ++figures_.halfWritten;
                std::fprintf(stderr, "half-written: %s\n", file.c_str());
            }
        }
    }

    int CountSent() const {
        int n = 0;
        for (const Outgoing& message : outgoing_)
            n += message.id.empty() ? 0 : 1;
        return n;
    }
    int CountReceived() const {
        int n = 0;
        for (const Incoming& message : incoming_)
            n += message.acknowledged ? 1 : 0;
        return n;
    }

    int FilesOutside(const char* folder) {
        int n = 0;
        for (const fs::path& file : MessageFiles(Home("SysFolders")))
            n += file.parent_path().filename() != folder ? 1 : 0;
        return n;
    }

    // No more kills: the failed messages go out again until all have gone.
    void Drain() {
        std::printf("draining\n");
        std::fflush(stdout);
        const auto waiting = [&] {
            int n = 0;
            for (const char* folder :
                 {"Outbox", "Waiting for resend", "Could not be sent", "Tmp", "Receive"})
                n += static_cast<int>(MessageFiles(Home("SysFolders") / folder).size());
            return n;
        };
        const auto end = Clock::now() + 300s;
        while (waiting() > 0 && Clock::now() < end) {
            ChildProcess resend({NBSMS, {"resend-failed"}, Environment(), {}});
            resend.WaitForExit(30s);
            WaitUntil([&] { return waiting() == 0; }, 5s);
        }
        if (waiting() > 0)
            std::fprintf(stderr, "%d messages still waiting after the drain\n", waiting());
    }

    void Verify() {
        std::map<std::string, std::vector<fs::path>> byText;
        for (const fs::path& file : MessageFiles(Home("SysFolders"))) {
            const std::string content = ReadFileText(file);
            static const std::regex kSoakText("soak (out|in) [0-9]+");
            for (std::sregex_iterator it(content.begin(), content.end(), kSoakText), end; it != end;
                 ++it) {
                // "soak out 1" is a prefix of "soak out 12": the whole word is the key.
                const std::size_t after = static_cast<std::size_t>(it->position() + it->length());
                if (after < content.size() &&
                    std::isdigit(static_cast<unsigned char>(content[after])))
                    continue;
                byText[it->str()].push_back(file);
                break;
            }
        }
        // What the simulator took: "message text: "TEXT"" once per submit.
        std::map<std::string, int> atCentre;
        static const std::regex kSubmitted("message text: \"(soak out [0-9]+)\"");
        const std::string log = simulator_.Log();
        for (std::sregex_iterator it(log.begin(), log.end(), kSubmitted), end; it != end; ++it)
            ++atCentre[(*it)[1].str()];

        for (const Outgoing& message : outgoing_) {
            if (message.id.empty())
                continue;
            ++figures_.sent;
            const std::vector<fs::path>& files = byText[message.text];
            bool inSent = false;
            for (const fs::path& file : files) {
                inSent = inSent || (file.parent_path().filename() == "Sent Items" &&
                                    ReadFileText(file).find(message.id) != std::string::npos);
            }
            if (files.empty() || !inSent) {
                ++figures_.sentLost;
                std::fprintf(stderr, "lost: \"%s\" (id %s) in %zu files\n", message.text.c_str(),
                             message.id.c_str(), files.size());
            }
            if (files.size() > 1)
                ++figures_.sentDuplicatedInStore;
            if (atCentre[message.text] > 1)
                ++figures_.sentTwiceToCentre;
        }
        for (const Incoming& message : incoming_) {
            const std::vector<fs::path>& files = byText[message.text];
            int inInbox = 0;
            for (const fs::path& file : files)
                inInbox += file.parent_path().filename() == "Inbox" ? 1 : 0;
            if (!message.acknowledged) {
                figures_.unacknowledgedButStored += inInbox > 0 ? 1 : 0;
                continue;
            }
            ++figures_.received;
            if (inInbox == 0) {
                ++figures_.receivedLost;
                std::fprintf(stderr, "lost incoming: \"%s\"\n", message.text.c_str());
            }
            if (inInbox > 1)
                ++figures_.receivedDuplicated;
        }
    }

    int kills_;
    std::mt19937 random_;
    ScopedDriverTimeScale timeScale_;
    ScopedSettingsDir settings_;
    PrivateBus bus_;
    TempDir home_;
    SimulatorProcess simulator_{MCSIM, {"--protocol", "smpp", "--no-report"}};
    std::unique_ptr<ChildProcess> engine_;
    std::unique_ptr<ChildProcess> driver_;
    std::vector<std::pair<std::unique_ptr<ChildProcess>, Outgoing>> inFlight_;
    std::vector<Outgoing> outgoing_;
    std::vector<Incoming> incoming_;
    bool pendingIncoming_ = false;
    int acksBefore_ = 0;
    Clock::time_point deliveredAt_;
    Clock::time_point lastBurst_;
    int sendCounter_ = 0;
    Figures figures_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int kills = argc > 1 ? std::atoi(argv[1]) : 100;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                   : static_cast<unsigned>(Clock::now().time_since_epoch().count());
    if (kills < 1) {
        std::fprintf(stderr, "usage: crash_soak [kills] [seed]\n");
        return 2;
    }
    std::printf("crash_soak: %d kills, seed %u\n", kills, seed);
    Figures f;
    try {
        f = Soak(kills, seed).Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "crash_soak: %s\n", e.what());
        return 1;
    }
    std::printf(
        "kills: %d of the engine, %d of the driver\n"
        "outgoing: %d sends tried, %d got an id; lost %d, in more than one file %d, "
        "handed to the message centre twice %d\n"
        "incoming: %d delivered, %d acknowledged by the driver; lost %d, duplicated %d "
        "(unacknowledged but stored: %d)\n"
        "half-written files: %d\n",
        f.engineKills, f.driverKills, f.sendsTried, f.sent, f.sentLost, f.sentDuplicatedInStore,
        f.sentTwiceToCentre, f.delivered, f.received, f.receivedLost, f.receivedDuplicated,
        f.unacknowledgedButStored, f.halfWritten);
    return f.sentLost == 0 && f.receivedLost == 0 && f.halfWritten == 0 ? 0 : 1;
}
