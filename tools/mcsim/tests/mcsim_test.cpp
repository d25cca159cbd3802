// mcsim, the built program, with a plain socket in the role of the driver and another on
// its control port.

#include <csignal>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "file_text.h"
#include "loopback_peer.h"
#include "simulator_process.h"
#include "temp_dir.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 10s;
const std::string kPrompt = "\r\n>";

using Peer = LoopbackPeer;
using Simulator = SimulatorProcess;

// A driver connection that has read the greeting.
std::unique_ptr<Peer> Greeted(Simulator& simulator) {
    auto peer = std::make_unique<Peer>(simulator.port());
    EXPECT_TRUE(peer->connected());
    EXPECT_EQ(peer->ReadUntil(kPrompt), "CIMD2-A ConnectionServer" + kPrompt);
    return peer;
}

std::string LoginPacket() {
    return "01:1\t011:secret\t010:6000\t\r\n";
}

// A logged-in driver connection.
std::unique_ptr<Peer> LoggedIn(Simulator& simulator) {
    auto peer = Greeted(simulator);
    EXPECT_TRUE(peer->Send(LoginPacket()));
    EXPECT_EQ(peer->ReadUntil(kPrompt), "51:1\t" + kPrompt);
    return peer;
}

TEST(McsimTest, GreetsAnswersLoginAndAliveWithTheirNumbers) {
    Simulator simulator(MCSIM, {"--user", "6000", "--password", "secret"});
    auto peer = LoggedIn(simulator);
    EXPECT_TRUE(peer->Send("40:3\t\r\n"));
    EXPECT_EQ(peer->ReadUntil(kPrompt), "90:3\t" + kPrompt);
    EXPECT_EQ(simulator.Control("stats"),
              "ok connections=1 logins=1 submits=0 reports=0 delivers=0 acks=0\n");

    auto stranger = Greeted(simulator);
    EXPECT_TRUE(stranger->Send("01:1\t011:guess\t010:6000\t\r\n"));
    EXPECT_EQ(stranger->ReadUntil(kPrompt), "51:1\t900:100\t" + kPrompt);
}

TEST(McsimTest, RefusesLoginsWithTheErrorCodeItWasGiven) {
    Simulator simulator(MCSIM, {"--login-error", "102"});
    auto peer = Greeted(simulator);
    EXPECT_TRUE(peer->Send(LoginPacket()));
    EXPECT_EQ(peer->ReadUntil(kPrompt), "51:1\t900:102\t" + kPrompt);
}

TEST(McsimTest, SubmitsGetUniqueTimeStampsAndStatusReportsCarryThem) {
    Simulator simulator(MCSIM, {"--report-delay", "50"});
    auto peer = LoggedIn(simulator);
    EXPECT_TRUE(peer->Send(
        "03:3\t021:+3620111\t033:one\t056:8\t\r\n03:5\t021:+3620222\t033:two\t056:8\t\r\n"));
    const std::regex answer("53:(\\d+)\t060:(\\d{12})\t\r\n>");
    std::smatch first, second;
    const std::string firstText = peer->ReadUntil(kPrompt);
    const std::string secondText = peer->ReadUntil(kPrompt);
    ASSERT_TRUE(std::regex_match(firstText, first, answer)) << firstText;
    ASSERT_TRUE(std::regex_match(secondText, second, answer)) << secondText;
    EXPECT_EQ(first[1], "3");
    EXPECT_EQ(second[1], "5");
    EXPECT_NE(first[2], second[2]);

    // The reports get the simulator's own packet numbers.
    EXPECT_EQ(peer->ReadUntil(kPrompt),
              "23:1\t021:+3620111\t060:" + first[2].str() + "\t061:4\t" + kPrompt);
    EXPECT_EQ(peer->ReadUntil(kPrompt),
              "23:3\t021:+3620222\t060:" + second[2].str() + "\t061:4\t" + kPrompt);
    EXPECT_TRUE(peer->Send("73:1\t\r\n73:3\t\r\n"));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return simulator.Control("stats") ==
                   "ok connections=1 logins=1 submits=2 reports=2 delivers=0 acks=2\n";
        },
        kTimeout));
}

TEST(McsimTest, ControlPortDeliversSendsRawBytesAndDrops) {
    Simulator simulator(MCSIM, {});
    EXPECT_EQ(simulator.Control("deliver +3620111 6000 hi"),
              "error no logged-in connection took the message\n");
    auto peer = LoggedIn(simulator);

    // UTF-8 on the control line; the user data is the single-byte text encoded.
    EXPECT_EQ(simulator.Control("deliver +3620111 6000 a_b \xC3\xA9 @ \xC5\x90"),
              "ok delivered to 1 connections\n");
    EXPECT_EQ(peer->ReadUntil(kPrompt),
              "20:1\t023:+3620111\t021:6000\t033:a_--b _e' _Oa _o\"\t" + kPrompt);

    EXPECT_EQ(simulator.Control("raw 00 ff 0d 41"), "ok sent 4 bytes to 1 connections\n");
    EXPECT_EQ(peer->ReadUntil("A"), std::string("\x00\xff\rA", 4));
    EXPECT_EQ(simulator.Control("raw 4"), "error usage: raw HEX (pairs of hex digits)\n");
    EXPECT_EQ(simulator.Control("fly"),
              "error unknown command \"fly\"; commands: deliver FROM TO TEXT..., drop, raw HEX, "
              "throttle N [CODE], stats, quit\n");

    EXPECT_EQ(simulator.Control("drop"), "ok dropped 1 connections\n");
    EXPECT_TRUE(peer->ClosedByPeer());
    EXPECT_TRUE(WaitUntil(
        [&] { return simulator.Control("stats").starts_with("ok connections=0 "); }, kTimeout));
}

// A standard CIMD2 frame: STX, the packet, the byte sum from STX through the last TAB
// modulo 256 in two upper-case hex digits, ETX.
std::string Framed(const std::string& packet) {
    const std::string framed = "\x02" + packet;
    unsigned sum = 0;
    for (const char c : framed)
        sum += static_cast<unsigned char>(c);
    static const char kHex[] = "0123456789ABCDEF";
    return framed + kHex[(sum % 256) / 16] + kHex[sum % 16] + "\x03";
}

// A standard connection that has logged in.
std::unique_ptr<Peer> StandardLoggedIn(Simulator& simulator) {
    auto peer = std::make_unique<Peer>(simulator.port());
    EXPECT_TRUE(peer->Send(Framed("01:001\t011:secret\t010:6000\t")));
    EXPECT_EQ(peer->ReadUntil("\x03"), "CIMD2-A ConnectionServer\r\n" + Framed("51:001\t"));
    return peer;
}

TEST(McsimTest, StandardPacketsAreFramedWithoutPrompts) {
    Simulator simulator(MCSIM, {"--stx", "--no-report"});
    auto peer = StandardLoggedIn(simulator);

    // Split across writes, two packets in one.
    const std::string alive = Framed("40:003\t");
    EXPECT_TRUE(peer->Send(alive.substr(0, 4)));
    EXPECT_TRUE(peer->Send(alive.substr(4) + Framed("40:005\t")));
    EXPECT_EQ(peer->ReadUntil("\x03"), Framed("90:003\t"));
    EXPECT_EQ(peer->ReadUntil("\x03"), Framed("90:005\t"));

    // A frame without a checksum is taken, one with a wrong checksum is not.
    EXPECT_TRUE(
        peer->Send("\x02"
                   "40:007\t\x03"));
    EXPECT_EQ(peer->ReadUntil("\x03"), Framed("90:007\t"));
    EXPECT_TRUE(
        peer->Send("\x02"
                   "40:009\t00\x03"));
    EXPECT_TRUE(simulator.WaitForLog("ignored: wrong checksum", kTimeout)) << simulator.Log();
}

TEST(McsimTest, StandardSubmitsAreReadByTheirCodingAndPartsAreJoined) {
    Simulator simulator(MCSIM, {"--stx", "--report-status", "3", "--report-delay", "0"});
    auto peer = StandardLoggedIn(simulator);
    // A submit that asks only for the delivered report gets none for a failed delivery; one
    // that asks for every final outcome gets it.
    EXPECT_TRUE(peer->Send(Framed("03:001\t021:+3620111\t033:x\t056:8\t")));
    EXPECT_TRUE(peer->Send(Framed("03:003\t021:+3620111\t033:_Oa _L- _e' _a\"\t056:62\t")));
    const std::regex answer(
        "\x02"
        "53:(\\d{3})\t060:(\\d{12})\t[0-9A-F]{2}\x03");
    std::smatch stamp;
    const std::string first = peer->ReadUntil("\x03");
    ASSERT_TRUE(std::regex_match(first, stamp, answer)) << first;
    EXPECT_EQ(stamp[1].str(), "001");
    const std::string second = peer->ReadUntil("\x03");
    ASSERT_TRUE(std::regex_match(second, stamp, answer)) << second;
    EXPECT_EQ(stamp[1].str(), "003");
    EXPECT_EQ(peer->ReadUntil("\x03"),
              Framed("23:002\t021:+3620111\t060:" + stamp[2].str() + "\t061:3\t"));

    // A Greek text in two parts, UCS-2 with the concatenation header.
    EXPECT_TRUE(peer->Send(Framed("03:005\t021:+3620111\t030:8\t032:050003070201\t"
                                  "034:03930385\t056:62\t") +
                           Framed("03:007\t021:+3620111\t030:8\t032:050003070202\t"
                                  "034:03B903B1\t056:62\t")));
    EXPECT_TRUE(simulator.WaitForLog("message text: @ \xC2\xA3 \xC3\xA9 \xC3\xA4", kTimeout))
        << simulator.Log();
    EXPECT_TRUE(simulator.WaitForLog("message text: \xCE\x93\xCE\x85\xCE\xB9\xCE\xB1", kTimeout))
        << simulator.Log();
}

TEST(McsimTest, StandardDeliversCarryTheirCoding) {
    Simulator simulator(MCSIM, {"--stx"});
    auto peer = StandardLoggedIn(simulator);
    EXPECT_EQ(simulator.Control("deliver +3620111 6000 @ \xC3\xA9"),
              "ok delivered to 1 connections\n");
    EXPECT_EQ(peer->ReadUntil("\x03"), Framed("20:002\t023:+3620111\t021:6000\t033:_Oa _e'\t"));
    EXPECT_EQ(simulator.Control("deliver +3620111 6000 \xCE\x93\xD0\x96"),
              "ok delivered to 1 connections\n");
    EXPECT_EQ(peer->ReadUntil("\x03"),
              Framed("20:004\t023:+3620111\t021:6000\t030:8\t034:03930416\t"));
}

TEST(McsimTest, LineNoiseLeavesItAnswering) {
    const TempDir dir;
    Simulator simulator(MCSIM, {"--log", (dir / "packets.log").string()});
    auto peer = Greeted(simulator);
    peer->Send(std::string(100 * 1024, 'x'));               // no CR at all
    peer->Send(std::string("\x00\x01\xff\x7f:\t\t\r", 8));  // binary noise
    std::string pieces = "03:1";
    for (int i = 0; i < 60; ++i)
        pieces += "\t021:" + std::to_string(i);
    peer->Send(pieces + "\t\r\n");          // more than 50 pieces
    peer->Send("77:9\t\r\n>\r\n:\r\n03:");  // unknown code, prompt, a half
    peer->Send("\r\n");                     // ... without a packet number
    EXPECT_TRUE(peer->Send(LoginPacket()));
    EXPECT_EQ(peer->ReadUntil(kPrompt), "51:1\t" + kPrompt);
    EXPECT_TRUE(simulator.process().Running());

    const std::string log = ReadFileText(dir / "packets.log");
    EXPECT_NE(log.find(" #1 -- dropped "), std::string::npos) << log;
    EXPECT_NE(log.find(" #1 -- ignored: more than 50 pieces"), std::string::npos);
    EXPECT_NE(log.find(" #1 -- ignored: no packet number"), std::string::npos);
    EXPECT_NE(log.find(" #1 -> 01:1<tab>011:secret<tab>010:6000<tab><cr><lf>"), std::string::npos);
    EXPECT_NE(log.find(" #1 <- 51:1<tab><cr><lf>>"), std::string::npos);
}

TEST(McsimTest, LogoutIsAnsweredAndClosesTheLink) {
    Simulator simulator(MCSIM, {});
    auto peer = LoggedIn(simulator);
    EXPECT_TRUE(peer->Send("02:3\t\r\n"));
    EXPECT_EQ(peer->ReadUntil(kPrompt), "52:3\t" + kPrompt);
    EXPECT_TRUE(peer->ClosedByPeer());
}

TEST(McsimTest, EndsOnQuitAndOnSigterm) {
    Simulator byCommand(MCSIM, {});
    EXPECT_EQ(byCommand.Control("quit"), "ok quitting\n");
    ASSERT_TRUE(byCommand.process().WaitForExit(kTimeout));
    EXPECT_EQ(byCommand.process().ExitCode(), 0);

    Simulator bySignal(MCSIM, {});
    auto peer = LoggedIn(bySignal);
    bySignal.process().Signal(SIGTERM);
    ASSERT_TRUE(bySignal.process().WaitForExit(kTimeout));
    EXPECT_EQ(bySignal.process().ExitCode(), 0);
}

}  // namespace
}  // namespace nimbra::testing_support
