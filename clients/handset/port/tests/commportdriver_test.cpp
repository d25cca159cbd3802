#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include <termios.h>

#include "commportdriver.h"
#include "pseudo_terminal.h"
#include "wait.h"

namespace nimbra::handset {
namespace {

using namespace std::chrono_literals;
using testing_support::PseudoTerminal;
using testing_support::WaitUntil;

class PortTest : public ::testing::Test {
protected:
    PortTest()
        : port_([this] {
              PortSettings settings = settings_;
              settings.portName = terminal_.path();
              return settings;
          }) {
        port_.SetReceiveHandler([this](std::string_view bytes) {
            std::lock_guard lock(mutex_);
            received_.append(bytes);
        });
        port_.SetLogHandler([this](std::string line) {
            std::lock_guard lock(mutex_);
            logs_.push_back(std::move(line));
        });
    }

    std::string Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    PortSettings settings_;
    PseudoTerminal terminal_;
    TCommPortDriver port_;
    std::mutex mutex_;
    std::string received_;
    std::vector<std::string> logs_;
};

TEST_F(PortTest, BytesGoBothWaysInOrderOnAPseudoTerminal) {
    ASSERT_TRUE(port_.Open());
    EXPECT_TRUE(port_.IsOpen());
    ASSERT_TRUE(port_.Write("AT+CMGF=0\r"));
    EXPECT_EQ(terminal_.Read(2s), "AT+CMGF=0\r");
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        const std::string chunk = "\r\n+CMGR: " + std::to_string(i) + "\r\n\x81\xFF";
        expected += chunk;
        ASSERT_TRUE(terminal_.Write(chunk));
    }
    EXPECT_TRUE(WaitUntil([&] { return Received().size() >= expected.size(); }, 5s));
    EXPECT_EQ(Received(), expected);
    port_.Close();
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_FALSE(port_.Write("AT\r"));
}

// A pseudo-terminal keeps speed and stop bits; it refuses 7 data bits and the modem control
// lines, which leaves the port open with warnings.
TEST_F(PortTest, TheLineSettingsReachTheDeviceAndRefusedOnesAreWarnings) {
    struct Case {
        int baud;
        StopBits stopBits;
        speed_t speed;
    };
    const std::vector<Case> cases = {
        {19200, StopBits::One, B19200},
        {115200, StopBits::Two, B115200},
        {9600, StopBits::One, B9600},
    };
    for (const Case& c : cases) {
        settings_.baud = c.baud;
        settings_.stopBits = c.stopBits;
        settings_.dataBits = 7;
        ASSERT_TRUE(port_.Open()) << c.baud;
        termios attributes{};
        ASSERT_EQ(tcgetattr(terminal_.master(), &attributes), 0);
        EXPECT_EQ(cfgetospeed(&attributes), c.speed) << c.baud;
        EXPECT_EQ((attributes.c_cflag & CSTOPB) != 0, c.stopBits == StopBits::Two);
        port_.Close();
    }
    std::lock_guard lock(mutex_);
    ASSERT_FALSE(logs_.empty());
    EXPECT_EQ(logs_.front().rfind(terminal_.path() + ": ", 0), 0u) << logs_.front();
}

TEST_F(PortTest, AClosedMasterIsALostDevice) {
    ASSERT_TRUE(port_.Open());
    terminal_.ReleaseSlave();
    terminal_.CloseMaster();
    EXPECT_TRUE(WaitUntil([&] { return port_.Lost(); }, 5s));
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_FALSE(port_.Write("AT\r"));
}

TEST(PortOpen, AMissingDeviceDoesNotOpenAndSaysWhy) {
    std::vector<std::string> logs;
    TCommPortDriver port([] {
        PortSettings settings;
        settings.portName = "/dev/nimbra-no-such-port";
        return settings;
    });
    port.SetLogHandler([&](std::string line) { logs.push_back(std::move(line)); });
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    ASSERT_FALSE(logs.empty());
    EXPECT_EQ(logs.front().rfind("/dev/nimbra-no-such-port: ", 0), 0u) << logs.front();
}

}  // namespace
}  // namespace nimbra::handset
