#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "temp_dir.h"

namespace nimbra::testing_support {

// A program run as a child of the test. Its environment is the test's own with the given
// variables set (or removed, for nullopt); its standard output and error go to files the test
// reads at any time. Destroying a child that still runs ends it: SIGTERM, then SIGKILL. A
// child is killed as well when the test ends in any other way, by a crash or a signal.
class ChildProcess {
public:
    struct Options {
        std::string program;  // searched in PATH when it has no "/"
        std::vector<std::string> arguments;
        std::map<std::string, std::optional<std::string>> environment;
        std::filesystem::path workingDirectory;  // empty: the test's own
    };

    // Throws std::runtime_error when the program cannot be started.
    explicit ChildProcess(const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool Running();
    // Sends a signal to a running child.
    void Signal(int signalNumber);
    // False when the child still runs after timeout.
    bool WaitForExit(std::chrono::milliseconds timeout);
    // Once the child has ended: its exit code, or nullopt when a signal ended it.
    std::optional<int> ExitCode() const;
    // Once the child has ended: the signal that ended it, or 0.
    int TermSignal() const;

    std::string Output() const;
    std::string Errors() const;

private:
    bool Reap(bool block);

    TempDir outputDir_;
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

// The processes running program now (by their executable), children of the test or not.
std::vector<pid_t> ProcessesOf(const std::filesystem::path& program);

// A process that runs the program at path (its first command-line word), started by anyone;
// 0 when none does.
pid_t ProcessRunning(const std::filesystem::path& program);

}  // namespace nimbra::testing_support
