#pragma once
// A pseudo-terminal for tests of serial-port code: the program under test opens the device
// path, the test speaks on the master side. The line is raw (no echo, no line editing), so
// bytes pass as they are.

#include <chrono>
#include <string>

namespace nimbra::testing_support {

class PseudoTerminal {
public:
    // Throws std::runtime_error when no pseudo-terminal can be had.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The device path the program opens, e.g. "/dev/pts/5".
    const std::string& path() const { return path_; }
    // Writes to the program; false when the master is closed.
    bool Write(const std::string& bytes);
    // What the program wrote, up to timeout for the first byte, then what follows at once.
    std::string Read(std::chrono::milliseconds timeout);
    // The program's side is open for reading nowhere but in the program: the test's own
    // handle of it is let go.
    void ReleaseSlave();
    // The device goes away: the program's reads and writes fail from now on.
    void CloseMaster();
    int master() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace nimbra::testing_support
