#include "x_screen.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "file_text.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr int kStartAttempts = 10;
// Between two keys, so that a menu or window opened by one is there for the next.
constexpr auto kKeyGap = std::chrono::milliseconds(150);

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

// The process id an X server writes into the lock file of its display number.
pid_t LockHolder(const fs::path& lock) {
    try {
        return static_cast<pid_t>(std::stol(ReadFileText(lock)));
    } catch (const std::exception&) {
        return -1;
    }
}

}  // namespace

bool XScreen::Available() {
    return OnPath("Xvfb") && OnPath("xdotool");
}

XScreen::XScreen() {
    // Tests run in parallel may pick the same free number at the same moment; the one whose
    // server loses the race tries the next number.
    std::string errors;
    int number = 90 + static_cast<int>(::getpid() % 400);
    for (int attempt = 0; attempt < kStartAttempts; ++attempt, ++number) {
        std::error_code ignored;
        while (fs::exists("/tmp/.X" + std::to_string(number) + "-lock", ignored) ||
               fs::exists("/tmp/.X11-unix/X" + std::to_string(number), ignored))
            ++number;
        display_ = ":" + std::to_string(number);
        server_ = std::make_unique<ChildProcess>(ChildProcess::Options{
            "Xvfb", {display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, {}, {}});
        // The server is up once the lock of its number names it: a socket alone may belong
        // to the server of another test.
        const fs::path lock = "/tmp/.X" + std::to_string(number) + "-lock";
        const fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const bool up = WaitUntil(
            [&] {
                std::error_code error;
                return !server_->Running() ||
                       (fs::exists(socket, error) && LockHolder(lock) == server_->pid());
            },
            kStartTimeout);
        if (up && server_->Running())
            return;
        errors = server_->Errors();
    }
    throw std::runtime_error("Xvfb did not start on " + display_ + ": " + errors);
}

XScreen::~XScreen() = default;

std::optional<std::string> XScreen::XdoTool(std::vector<std::string> arguments) const {
    ChildProcess tool({"xdotool", std::move(arguments), {{"DISPLAY", display_}}, {}});
    if (!tool.WaitForExit(kStartTimeout) || tool.ExitCode() != 0)
        return std::nullopt;
    return tool.Output();
}

bool XScreen::ShowsWindow(const std::string& titlePattern) const {
    const auto found = XdoTool({"search", "--onlyvisible", "--name", titlePattern});
    return found && !found->empty();
}

bool XScreen::Type(const std::string& titlePattern, const std::vector<std::string>& keys) const {
    const auto found = XdoTool({"search", "--onlyvisible", "--name", titlePattern});
    if (!found || found->empty())
        return false;
    const std::string window = found->substr(0, found->find('\n'));
    if (!XdoTool({"windowfocus", "--sync", window}))
        return false;
    for (const std::string& key : keys) {
        std::this_thread::sleep_for(kKeyGap);
        if (!XdoTool({"key", "--clearmodifiers", key}))
            return false;
    }
    return true;
}

}  // namespace nimbra::testing_support
