// mcsim speaking SMPP 3.4, with a plain socket in the role of the driver. The PDUs are built
// and read here byte by byte, apart from the simulator's own codec.

#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "loopback_peer.h"
#include "simulator_process.h"
#include "smpp_wire.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 10s;

constexpr std::uint32_t kResp = 0x80000000;
constexpr std::uint32_t kGenericNack = 0x80000000;
constexpr std::uint32_t kBindReceiver = 0x01;
constexpr std::uint32_t kBindTransmitter = 0x02;
constexpr std::uint32_t kSubmitSm = 0x04;
constexpr std::uint32_t kDeliverSm = 0x05;
constexpr std::uint32_t kUnbind = 0x06;
constexpr std::uint32_t kBindTransceiver = 0x09;
constexpr std::uint32_t kEnquireLink = 0x15;

using Peer = LoopbackPeer;
using Simulator = SimulatorProcess;

std::string Octets(std::initializer_list<int> bytes) {
    std::string text;
    for (const int byte : bytes)
        text += static_cast<char>(byte);
    return text;
}

// A C-octet string.
std::string C(const std::string& text) {
    return text + '\0';
}

std::string BindBody(const std::string& systemId, const std::string& password) {
    return C(systemId) + C(password) + C("") + Octets({0x34, 0, 0}) + C("");
}

// From an international number to another, default alphabet.
std::string SubmitBody(const std::string& from, const std::string& to, const std::string& text,
                       int registeredDelivery) {
    return C("") + Octets({1, 1}) + C(from) + Octets({1, 1}) + C(to) + Octets({0, 0, 0}) + C("") +
           C("") + Octets({registeredDelivery, 0, 0, 0, static_cast<int>(text.size())}) + text;
}

// The fields of a deliver_sm body up to sm_length, as the simulator sends them.
std::string DeliverFields(const std::string& source, int sourceTon, int sourceNpi,
                          const std::string& destination, int destinationTon, int destinationNpi,
                          int esmClass) {
    return C("") + Octets({sourceTon, sourceNpi}) + C(source) +
           Octets({destinationTon, destinationNpi}) + C(destination) + Octets({esmClass, 0, 0}) +
           C("") + C("") + Octets({0, 0, 0, 0});
}

std::vector<std::string> SmppOptions(std::vector<std::string> options) {
    options.insert(options.begin(), {"--protocol", "smpp"});
    return options;
}

// A connection bound with `bindCommand` as system_id "6000".
std::unique_ptr<Peer> Bound(Simulator& simulator, std::uint32_t bindCommand,
                            const std::string& systemId = "6000") {
    auto peer = std::make_unique<Peer>(simulator.port());
    EXPECT_TRUE(peer->Send(Pdu(bindCommand, 1, BindBody(systemId, "secret"))));
    const std::optional<Received> answer = ReadPdu(*peer);
    EXPECT_TRUE(answer && answer->command == (bindCommand | kResp) && answer->status == 0);
    return peer;
}

TEST(SmppSimTest, BindsAreAnsweredAsTheOptionsSay) {
    const std::vector<std::string> credentials = {"--user", "6000", "--password", "secret"};
    const struct {
        const char* name;
        std::vector<std::string> options;
        std::uint32_t command;
        std::string systemId;
        std::string password;
        std::uint32_t status;
    } cases[] = {
        {"transceiver, any credentials", {}, kBindTransceiver, "any", "thing", 0},
        {"receiver, the right credentials", credentials, kBindReceiver, "6000", "secret", 0},
        {"transmitter, a wrong password", credentials, kBindTransmitter, "6000", "guess", 0x0E},
        {"--login-error in hex", {"--login-error", "0x58"}, kBindTransceiver, "6000", "x", 0x58},
        {"--login-error in decimal", {"--login-error", "13"}, kBindTransceiver, "6000", "x", 13},
        {"system_id over 15 characters", {}, kBindTransceiver, "sixteen-chars-id", "x", 0x0F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator simulator(MCSIM, SmppOptions(c.options));
        Peer peer(simulator.port());
        ASSERT_TRUE(peer.Send(Pdu(c.command, 7, BindBody(c.systemId, c.password))));
        const std::optional<Received> answer = ReadPdu(peer);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->command, c.command | kResp);
        EXPECT_EQ(answer->sequence, 7u);
        EXPECT_EQ(answer->status, c.status);
        const bool accepted = c.status == 0;
        EXPECT_EQ(answer->body, accepted ? C("mcsim") : "");
        EXPECT_EQ(simulator.Count("logins"), accepted ? 1 : 0);
        if (accepted) {
            ASSERT_TRUE(peer.Send(Pdu(c.command, 8, BindBody(c.systemId, c.password))));
            const std::optional<Received> again = ReadPdu(peer);
            ASSERT_TRUE(again);
            EXPECT_EQ(again->command, c.command | kResp);
            EXPECT_EQ(again->status, 0x05u);  // already bound
        }
    }
}

TEST(SmppSimTest, SubmitGetsAnIdAndAReceiptOnlyWhenItAsksForOne) {
    Simulator simulator(MCSIM, SmppOptions({"--report-delay", "50"}));
    auto peer = Bound(simulator, kBindTransceiver);
    const std::string text = "Hello world, this is longer than twenty";
    ASSERT_TRUE(peer->Send(Pdu(kSubmitSm, 2, SubmitBody("3620111", "3630999", "no receipt", 0)) +
                           Pdu(kSubmitSm, 3, SubmitBody("3620111", "3630999", text, 1))));
    std::string ids[2];
    for (std::uint32_t sequence : {2u, 3u}) {
        const std::optional<Received> answer = ReadPdu(*peer);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->command, kSubmitSm | kResp);
        EXPECT_EQ(answer->sequence, sequence);
        EXPECT_EQ(answer->status, 0u);
        ASSERT_TRUE(answer->body.size() > 1 && answer->body.back() == '\0') << answer->body;
        ids[sequence - 2] = answer->body.substr(0, answer->body.size() - 1);
    }
    EXPECT_NE(ids[0], ids[1]);

    // The receipts keep the order of the submits: the first PDU now would be the receipt of
    // the first submit, had it asked for one.
    const std::optional<Received> receipt = ReadPdu(*peer);
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->command, kDeliverSm);
    EXPECT_EQ(receipt->sequence, 1u);
    const std::string fields = DeliverFields("3630999", 1, 1, "3620111", 1, 1, 0x04);
    ASSERT_TRUE(receipt->body.starts_with(fields));
    const std::size_t length = static_cast<unsigned char>(receipt->body[fields.size()]);
    const std::string receiptText = receipt->body.substr(fields.size() + 1, length);
    EXPECT_TRUE(
        std::regex_match(receiptText, std::regex("id:" + ids[1] +
                                                 " sub:001 dlvrd:001 submit date:\\d{10} done "
                                                 "date:\\d{10} stat:DELIVRD err:000 text:" +
                                                 text.substr(0, 20))))
        << receiptText;
    // receipted_message_id and message_state (delivered).
    EXPECT_EQ(receipt->body.substr(fields.size() + 1 + length),
              Octets({0x00, 0x1E, 0x00, static_cast<int>(ids[1].size() + 1)}) + C(ids[1]) +
                  Octets({0x04, 0x27, 0x00, 0x01, 0x02}));

    ASSERT_TRUE(peer->Send(Pdu(kDeliverSm | kResp, 1, C(""))));
    EXPECT_TRUE(simulator.WaitForCount("acks", 1, kTimeout));
    EXPECT_EQ(simulator.Control("stats"),
              "ok connections=1 logins=1 submits=2 reports=1 delivers=0 acks=1\n");
    EXPECT_TRUE(simulator.WaitForLog(" #1 -> submit_sm seq=3 status=0 000000", kTimeout))
        << simulator.Log();
    EXPECT_TRUE(simulator.WaitForLog(" #1 <- deliver_sm seq=1 status=0 000000", kTimeout));
}

// --reply: the recipient answers every accepted submit with a message to its sender.
TEST(SmppSimTest, ReplyComesFromTheRecipientAfterTheSubmit) {
    Simulator simulator(MCSIM, SmppOptions({"--report-delay", "10", "--reply", "Got it"}));
    auto peer = Bound(simulator, kBindTransceiver);
    ASSERT_TRUE(peer->Send(Pdu(kSubmitSm, 2, SubmitBody("3620111", "3630999", "Hi", 0))));
    const std::optional<Received> answer = ReadPdu(*peer);
    ASSERT_TRUE(answer && answer->command == (kSubmitSm | kResp) && answer->status == 0);
    const std::optional<Received> reply = ReadPdu(*peer);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kDeliverSm);
    EXPECT_EQ(reply->body,
              DeliverFields("3630999", 1, 1, "3620111", 1, 1, 0) + Octets({6}) + "Got it");
}

TEST(SmppSimTest, SubmitsAreRefusedOrLeftUnansweredAsTheOptionsSay) {
    const struct {
        const char* name;
        std::vector<std::string> options;
        std::optional<std::uint32_t> bind;  // none: not bound
        std::string destination;
        std::optional<Received> answer;  // none: left unanswered
    } cases[] = {
        {"--submit-error",
         {"--submit-error", "0x45"},
         kBindTransceiver,
         "3630999",
         Received{kSubmitSm | kResp, 0x45, 5, ""}},
        {"--submit-nack",
         {"--submit-nack"},
         kBindTransmitter,
         "3630999",
         Received{kGenericNack, 0x03, 5, ""}},
        {"--no-submit-answer", {"--no-submit-answer"}, kBindTransceiver, "3630999", std::nullopt},
        {"before a bind", {}, std::nullopt, "3630999", Received{kSubmitSm | kResp, 0x04, 5, ""}},
        {"bound as receiver",
         {},
         kBindReceiver,
         "3630999",
         Received{kSubmitSm | kResp, 0x04, 5, ""}},
        {"destination over 20 digits",
         {},
         kBindTransceiver,
         "123456789012345678901",
         Received{kSubmitSm | kResp, 0x0B, 5, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator simulator(MCSIM, SmppOptions(c.options));
        auto peer = c.bind ? Bound(simulator, *c.bind) : std::make_unique<Peer>(simulator.port());
        // The enquire_link after the submit shows whether an answer to it came first.
        ASSERT_TRUE(peer->Send(Pdu(kSubmitSm, 5, SubmitBody("3620111", c.destination, "hi", 1)) +
                               Pdu(kEnquireLink, 6)));
        if (c.answer) {
            const std::optional<Received> answer = ReadPdu(*peer);
            ASSERT_TRUE(answer);
            EXPECT_EQ(answer->command, c.answer->command);
            EXPECT_EQ(answer->status, c.answer->status);
            EXPECT_EQ(answer->sequence, c.answer->sequence);
            EXPECT_EQ(answer->body, c.answer->body);
        }
        const std::optional<Received> alive = ReadPdu(*peer);
        ASSERT_TRUE(alive);
        EXPECT_EQ(alive->command, kEnquireLink | kResp);
        EXPECT_EQ(alive->sequence, 6u);
        EXPECT_EQ(simulator.Count("submits"), 0);
    }
}

TEST(SmppSimTest, PiecesExtraBodyBytesUnknownCommandsAndUnbind) {
    Simulator simulator(MCSIM, SmppOptions({}));
    auto peer = Bound(simulator, kBindTransceiver);

    // One enquire_link a few bytes at a time, then one with four body bytes it does not use.
    const std::string alive = Pdu(kEnquireLink, 2);
    for (std::size_t at = 0; at < alive.size(); at += 3) {
        ASSERT_TRUE(peer->Send(alive.substr(at, 3)));
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(peer->Send(Pdu(kEnquireLink, 3, "junk") + Pdu(0x00000077, 4)));
    for (const auto& [command, status, sequence] :
         {std::tuple{kEnquireLink | kResp, 0u, 2u}, std::tuple{kEnquireLink | kResp, 0u, 3u},
          std::tuple{kGenericNack, 0x03u, 4u}}) {
        const std::optional<Received> answer = ReadPdu(*peer);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->command, command);
        EXPECT_EQ(answer->status, status);
        EXPECT_EQ(answer->sequence, sequence);
    }

    ASSERT_TRUE(peer->Send(Pdu(kUnbind, 5)));
    const std::optional<Received> answer = ReadPdu(*peer);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->command, kUnbind | kResp);
    EXPECT_EQ(answer->sequence, 5u);
    EXPECT_TRUE(peer->ClosedByPeer());
}

TEST(SmppSimTest, DeliverReachesReceiversAndATransmittersReceiptItsReceiver) {
    Simulator simulator(MCSIM, SmppOptions({"--report-delay", "50"}));
    auto transmitter = Bound(simulator, kBindTransmitter, "acme");
    EXPECT_EQ(simulator.Control("deliver +3620111 6000 hi"),
              "error no logged-in connection took the message\n");
    auto receiver = Bound(simulator, kBindReceiver, "acme");

    EXPECT_EQ(simulator.Control("deliver +3620111 ACME hi there"),
              "ok delivered to 1 connections\n");
    const std::optional<Received> deliver = ReadPdu(*receiver);
    ASSERT_TRUE(deliver);
    EXPECT_EQ(deliver->command, kDeliverSm);
    EXPECT_EQ(deliver->sequence, 1u);
    EXPECT_EQ(deliver->body,
              DeliverFields("3620111", 1, 1, "ACME", 5, 0, 0x00) + Octets({8}) + "hi there");

    ASSERT_TRUE(transmitter->Send(Pdu(kSubmitSm, 2, SubmitBody("6000", "3630999", "yo", 1))));
    const std::optional<Received> answer = ReadPdu(*transmitter);
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 0u);
    const std::optional<Received> receipt = ReadPdu(*receiver);
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->command, kDeliverSm);
    EXPECT_EQ(receipt->sequence, 2u);
    EXPECT_NE(receipt->body.find("id:" + answer->body.substr(0, answer->body.size() - 1) +
                                 " sub:001 dlvrd:001 "),
              std::string::npos);
    EXPECT_EQ(simulator.Count("delivers"), 1);
    EXPECT_EQ(simulator.Count("reports"), 1);
}

TEST(SmppSimTest, ACommandLengthOutOfRangeClosesOnlyThatConnection) {
    Simulator simulator(MCSIM, SmppOptions({}));
    for (const std::uint32_t length : {0u, 4u, 15u, 0x10001u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        Peer peer(simulator.port());
        ASSERT_TRUE(peer.Send(U32(length) + U32(kEnquireLink) + U32(0) + U32(1)));
        EXPECT_TRUE(peer.ClosedByPeer());
        Bound(simulator, kBindTransceiver);
    }
    EXPECT_TRUE(simulator.process().Running());
    EXPECT_EQ(simulator.Count("logins"), 5);
    EXPECT_NE(simulator.Log().find("command_length 4294967295 is not 16 to 65536"),
              std::string::npos);
}

}  // namespace
}  // namespace nimbra::testing_support
