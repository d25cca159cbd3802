#pragma once
// A client wired to the scripted surroundings, with the steps most tests share.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "case_name.h"
#include "link_fakes.h"
#include "peer_pdus.h"
#include "unGSMSMS.h"
#include "unSmpp.h"

namespace nimbra::smpp::testing {

using testing_support::CaseName;
using testing_support::FakeClock;
using testing_support::kBaseSeconds;
using testing_support::MapFields;
using testing_support::RecordingEvents;
using testing_support::ScriptedTransport;

inline constexpr std::string_view kSender = "+3620111";
inline constexpr std::string_view kReceiver = "+3650444";

inline std::uint32_t CommandOf(std::string_view bytes) {
    return bytes.size() >= 8 ? ReadLength(bytes.substr(4, 4)) : 0;
}

inline ScriptedTransport::WriteMatch IsCommand(std::uint32_t command) {
    return [command](std::string_view bytes) { return CommandOf(bytes) == command; };
}

class LinkTest : public ::testing::Test {
protected:
    void LogIn() {
        link.ReplyWhen(IsCommand(kBindTransceiver), PeerPdu(kBindTransceiverResp, 1, "00"));
        ASSERT_TRUE(client.Login(link));
    }
    // Hands a message over as the frame does.
    void Transmit(std::string text) {
        TGsmSms record(0.0);
        record.sender = kSender;
        record.receiver = kReceiver;
        record.text = std::move(text);
        client.busy = true;
        client.Submit(record);
    }
    void StopAt(long long atMs) {
        clock.At(atMs, [this] { client.stop = true; });
    }
    // The PDUs written with that command_id, as hex, in order.
    std::vector<std::string> Written(std::uint32_t command) const {
        std::vector<std::string> pdus;
        for (const auto& w : link.written) {
            if (CommandOf(w.bytes) == command)
                pdus.push_back(pdu::HexOfBytes(w.bytes));
        }
        return pdus;
    }
    long long FirstWriteAt(std::uint32_t command) const {
        for (const auto& w : link.written) {
            if (CommandOf(w.bytes) == command)
                return w.atMs;
        }
        return -1;
    }

    FakeClock clock;
    ScriptedTransport link{clock};
    MapFields fields{{"eUser", "user"},        {"ePass", "pw"},        {"eSystemType", "smpp"},
                     {"eOperator", "Op-Test"}, {"rbTransmitter", "0"}, {"rbReceiver", "0"},
                     {"rbTransceiver", "1"},   {"cbDelivery", "0"}};
    RecordingEvents events;
    Tsmppclient client{fields, events, clock};
};

}  // namespace nimbra::smpp::testing
