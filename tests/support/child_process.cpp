#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Opens path on fd in a child before exec; only async-signal-safe calls.
bool OpenOnto(int fd, const char* path, int flags) {
    const int opened = ::open(path, flags | O_CLOEXEC, 0644);
    if (opened < 0)
        return false;
    const bool moved = ::dup2(opened, fd) == fd;
    ::close(opened);
    return moved;
}

// Tells the parent through the report pipe why the child could not start, and ends it.
[[noreturn]] void FailInChild(int reportFd) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

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
    const std::string workingDirectory = options.workingDirectory.string();

    // The child writes errno here when it cannot start; a successful exec closes it empty.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot start " + options.program + ": " + std::strerror(errno));
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // Between fork and exec only async-signal-safe calls: the test may have threads.
        // The child dies with the test, even when the test crashes or is killed. The death
        // signal follows the thread that forked; tests start children from their main thread.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
            FailInChild(report[1]);
        if (::getppid() != parent)
            ::_exit(127);  // the test ended before the death signal was set up
        if (!OpenOnto(STDIN_FILENO, "/dev/null", O_RDONLY) ||
            !OpenOnto(STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC) ||
            !OpenOnto(STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC))
            FailInChild(report[1]);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0)
            FailInChild(report[1]);
        ::execvpe(argv[0], argv.data(), envp.data());
        FailInChild(report[1]);
    }
    const int forkError = errno;
    ::close(report[1]);
    if (pid_ < 0) {
        ::close(report[0]);
        throw std::runtime_error("cannot start " + options.program + ": " +
                                 std::strerror(forkError));
    }
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got > 0) {
        Reap(true);
        pid_ = -1;
        throw std::runtime_error("cannot start " + options.program + ": " +
                                 std::strerror(childError));
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

std::vector<pid_t> ProcessesOf(const std::filesystem::path& program) {
    namespace fs = std::filesystem;
    std::vector<pid_t> pids;
    std::error_code error;
    const fs::path wanted = fs::canonical(program, error);
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
        if (!linkError && exe == wanted)
            pids.push_back(std::stoi(entry.path().filename().string()));
    }
    return pids;
}

pid_t ProcessRunning(const std::filesystem::path& program) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string first;
        std::getline(in, first, '\0');
        if (!first.empty() && first == program.string())
            return static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
    }
    return 0;
}

}  // namespace nimbra::testing_support
