#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "file_text.h"
#include "wait.h"

extern char** environ;

namespace nimbra::testing_support {
namespace {

constexpr auto kTermGrace = std::chrono::seconds(3);

std::vector<std::string> ChildEnvironment(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : changes) {
        if (value)
            variables[name] = *value;
        else
            variables.erase(name);
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : variables)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// posix_spawn's file actions, released at the end of the scope.
class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
    std::vector<std::string> argumentStrings{options.program};
    argumentStrings.insert(argumentStrings.end(), options.arguments.begin(),
                           options.arguments.end());
    std::vector<std::string> environmentStrings = ChildEnvironment(options.environment);
    std::vector<char*> argv = Pointers(argumentStrings);
    std::vector<char*> envp = Pointers(environmentStrings);

    const std::string outputPath = outputDir_ / "stdout";
    const std::string errorPath = outputDir_ / "stderr";
    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, errorPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(actions.get(), options.workingDirectory.c_str());

    const int error = posix_spawnp(&pid_, options.program.c_str(), actions.get(), nullptr,
                                   argv.data(), envp.data());
    if (error != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + options.program + ": " + std::strerror(error));
    }
}

ChildProcess::~ChildProcess() {
    if (!Running())
        return;
    ::kill(pid_, SIGTERM);
    if (!WaitForExit(kTermGrace)) {
        ::kill(pid_, SIGKILL);
        Reap(true);
    }
}

bool ChildProcess::Reap(bool block) {
    if (ended_ || pid_ < 0)
        return true;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid_) {
        ended_ = true;
        status_ = status;
    } else if (result < 0) {
        ended_ = true;  // not our child any more; nothing left to wait for
    }
    return ended_;
}

bool ChildProcess::Running() {
    return !Reap(false);
}

void ChildProcess::Signal(int signalNumber) {
    if (Running())
        ::kill(pid_, signalNumber);
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    return WaitUntil([this] { return !Running(); }, timeout);
}

std::optional<int> ChildProcess::ExitCode() const {
    if (ended_ && WIFEXITED(status_))
        return WEXITSTATUS(status_);
    return std::nullopt;
}

int ChildProcess::TermSignal() const {
    return ended_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0;
}

std::string ChildProcess::Output() const {
    return ReadFileText(outputDir_ / "stdout");
}

std::string ChildProcess::Errors() const {
    return ReadFileText(outputDir_ / "stderr");
}

}  // namespace nimbra::testing_support
