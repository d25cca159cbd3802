#pragma once
// What the smpp driver's end-to-end tests share: the real engine with the real driver bound to
// the message-centre simulator over loopback TCP, and readers of the simulator's packet log.

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include <QByteArray>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "engine_with_driver.h"
#include "event_wait.h"
#include "simulator_process.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {

inline constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
inline constexpr auto kTimeout = std::chrono::milliseconds(kTimeoutMs);
inline constexpr char kDriverName[] = "smpp1";

// Upper-case hex of the bytes of text, as the simulator logs PDUs.
inline std::string Hex(const std::string& text) {
    return QByteArray::fromStdString(text).toHex().toUpper().toStdString();
}

// The hex of every PDU the simulator logged with this name, in order ("-> submit_sm" for
// what it received, "<- submit_sm_resp" for what it sent).
inline std::vector<std::string> LoggedPdus(const std::string& log, const std::string& what) {
    std::vector<std::string> pdus;
    const std::regex line(what + " seq=[0-9]+ status=\\S+ ([0-9A-Fa-f]+)");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator();
         ++it)
        pdus.push_back(QByteArray::fromStdString((*it)[1].str()).toUpper().toStdString());
    return pdus;
}

// The message id a submit_sm_resp carries: the C-octet string after the 16-byte header.
inline std::string MessageIdOf(const std::string& responseHex) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(responseHex));
    return bytes.mid(16).split('\0').front().toStdString();
}

inline int Occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class SmppEndToEndTest : public ::testing::Test, protected EngineWithDriver {
protected:
    SmppEndToEndTest()
        : EngineWithDriver(
              {TRANSMIT, NBSMS, MCSIM},
              {SMPP, "smpp", "eSMPPInstalledNumber", kDriverName, {"--protocol", "smpp"}}) {}

    // Waits with the events running until the simulator has counted `atLeast` binds.
    bool WaitForBinds(int atLeast, int timeoutMs = kTimeoutMs) {
        return ProcessEventsUntil([&] { return simulator->Count("logins") >= atLeast; }, timeoutMs);
    }

    // Sends a whole record through the client object, which keeps its sender and its text.
    std::string SendRecord(const std::string& sender, const std::string& text) {
        TGsmSms record;
        record.sender = sender;
        record.receiver = "+3620111";
        record.text = text;
        QVariant msg = QString::fromStdString(record.ToText());
        return client->sendMessage(msg).toString().toStdString();
    }
};

}  // namespace nimbra::testing_support
