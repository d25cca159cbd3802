// Where a link connects, read from its fields, and the TCP transport on a real loopback
// socket.

#include "tcptransport.h"

#include <atomic>
#include <string>

#include <gtest/gtest.h>

#include "fieldstore.h"
#include "frameconfig.h"
#include "loopback_peer.h"

namespace nimbra::driver {
namespace {

using testing_support::FreeLoopbackPort;
using testing_support::LoopbackListener;

constexpr int kTimeoutMs = 10000;

TEST(ParsePortTest, TakesWholeNumbersInRange) {
    const struct {
        const char* text;
        bool zeroAllowed;
        bool valid;
        quint16 port;
    } cases[] = {
        {"1", false, true, 1},      {"65535", false, true, 65535}, {"+6000", false, true, 6000},
        {"0", false, false, 0},     {"0", true, true, 0},          {"65536", true, false, 0},
        {"-1", true, false, 0},     {"", true, false, 0},          {"6000x", false, false, 0},
        {"60 00", false, false, 0}, {"0x10", false, false, 0},     {"99999999999", true, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.zeroAllowed ? " (0 allowed)" : ""));
        quint16 port = 4321;
        EXPECT_EQ(ParsePort(c.text, port, c.zeroAllowed), c.valid);
        EXPECT_EQ(port, c.valid ? c.port : 4321);
    }
}

TEST(ReadConnectTargetTest, APortFieldThatIsNoPortFallsBackAndShowsTheFallback) {
    const struct {
        const char* portField;
        quint16 port;
        const char* portFieldAfter;
    } cases[] = {
        {"6000", 6000, "6000"}, {"+6000", 6000, "+6000"}, {"0", 5000, "5000"},
        {"", 5000, "5000"},     {"70000", 5000, "5000"},  {"six", 5000, "5000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.portField);
        FieldStore fields;
        fields.Set(kFieldHost, "mc.example.com");
        fields.Set(kFieldPort, c.portField);
        const ConnectTarget target = ReadConnectTarget(fields, 5000);
        EXPECT_EQ(target.host.toStdString(), "mc.example.com");
        EXPECT_EQ(target.hostField, "mc.example.com");
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.portField, c.portFieldAfter);
        EXPECT_EQ(fields.Get(kFieldPort), c.portFieldAfter);
    }
}

TEST(TcpTransportTest, ConnectsOrSaysWhyNot) {
    LoopbackListener listener;
    const std::atomic<bool> stop{false};
    const struct {
        const char* name;
        QString localAddress;  // empty: a plain connect
        int port;
        bool connected;
        const char* error;  // the start of error(); empty: none
    } cases[] = {
        {"listening", {}, listener.port(), true, ""},
        {"nothing listens", {}, FreeLoopbackPort(), false, "Connection refused"},
        {"bound to a free port", QStringLiteral("127.0.0.1"), listener.port(), true, ""},
        {"bound to no address", QStringLiteral("localhost"), listener.port(), false,
         "not an IP address: localhost"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TcpTransport transport;
        const quint16 port = static_cast<quint16>(c.port);
        const bool connected =
            c.localAddress.isEmpty()
                ? transport.Connect(QStringLiteral("127.0.0.1"), port, kTimeoutMs, stop)
                : transport.BindAndConnect(c.localAddress, 0, QStringLiteral("127.0.0.1"), port,
                                           kTimeoutMs, stop);
        EXPECT_EQ(connected, c.connected) << transport.error().toStdString();
        EXPECT_EQ(transport.IsUp(), c.connected);
        EXPECT_TRUE(*c.error ? transport.error().startsWith(QString::fromLatin1(c.error))
                             : transport.error().isEmpty())
            << transport.error().toStdString();
        if (connected) {
            EXPECT_TRUE(listener.Accept());
        }
    }
}

TEST(TcpTransportTest, ABoundConnectToAPortInUseFails) {
    LoopbackListener listener;
    LoopbackListener taken;
    const std::atomic<bool> stop{false};
    TcpTransport transport;
    EXPECT_FALSE(transport.BindAndConnect(
        QStringLiteral("127.0.0.1"), static_cast<quint16>(taken.port()),
        QStringLiteral("127.0.0.1"), static_cast<quint16>(listener.port()), kTimeoutMs, stop));
    EXPECT_FALSE(transport.error().isEmpty());
    EXPECT_FALSE(transport.IsUp());
}

// What the peer sent before it closed the link is read; the read after it fails.
TEST(TcpTransportTest, BytesBeforeTheCloseAreReadAndThenTheLinkIsDown) {
    LoopbackListener listener;
    const std::atomic<bool> stop{false};
    TcpTransport transport;
    ASSERT_TRUE(transport.Connect(QStringLiteral("127.0.0.1"),
                                  static_cast<quint16>(listener.port()), kTimeoutMs, stop));
    auto peer = listener.Accept();
    ASSERT_TRUE(peer);
    ASSERT_TRUE(transport.Write("ping\r"));
    EXPECT_EQ(peer->ReadUntil("\r"), "ping\r");
    ASSERT_TRUE(peer->Send("pong\r"));
    peer.reset();

    std::string read;
    for (int round = 0; round < 10 && transport.Read(read, kTimeoutMs); ++round) {
    }
    EXPECT_EQ(read, "pong\r");
    EXPECT_FALSE(transport.IsUp());
    EXPECT_FALSE(transport.Write("late"));
}

}  // namespace
}  // namespace nimbra::driver
