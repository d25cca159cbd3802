#pragma once
// A client wired to the fakes, with the steps most tests share.

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"
#include "link_fakes.h"
#include "temp_dir.h"
#include "unCimd.h"

namespace nimbra::cimd::testing {

using testing_support::CaseName;
using testing_support::FakeClock;
using testing_support::kBaseSeconds;
using testing_support::MapFields;
using testing_support::RecordingEvents;
using testing_support::ScriptedTransport;

inline constexpr std::string_view kGreeting = "CIMD2-A ConnectionServer\r\nUse CIMD2 protocol\r\n>";
inline constexpr std::string_view kLoginOk = "51:1\t\r\n>";

class LinkTest : public ::testing::Test {
protected:
    LinkTest() { client.SetHomeFolder(home.path()); }

    // Greeting, login packet (number 1) and a successful answer.
    void LogIn() {
        link.Arrive(clock.ms + 100, std::string(kGreeting));
        link.ReplyTo("01:", std::string(kLoginOk));
        ASSERT_TRUE(client.Login(link));
    }
    // Runs the protocol loop until it ends, the peer closing the link at closeMs at the latest.
    void RunUntil(long long closeMs) {
        link.CloseAt(closeMs);
        client.ThreadLoop(link);
    }
    // Hands a message over as the frame does.
    void Transmit(std::string receiver, std::string text) {
        client.busy = true;
        client.Submit("+3620111", std::move(receiver), std::move(text));
    }

    testing_support::TempDir home;
    FakeClock clock;
    ScriptedTransport link{clock};
    MapFields fields{{"eUser", "user"},       {"ePass", "pw"},      {"eOperator", "T-mobile"},
                     {"eSender", "+3620111"}, {"cbLogin", "0"},     {"cbStx", "1"},
                     {"eKeepalive", "30"},    {"cbOriginator", "0"}};
    RecordingEvents events;
    TCIMDclient client{fields, events, clock};
};

}  // namespace nimbra::cimd::testing
