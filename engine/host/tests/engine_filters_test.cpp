// The engine with its real host and real filter libraries: an outgoing filter signs every
// attempt at a message, an incoming filter rewrites the sender before the message is stored.
#include <filesystem>
#include <memory>
#include <string>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "engine.h"
#include "manual_host.h"
#include "qtenginehost.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using testing_support::RecordingDevice;
using testing_support::ScopedSettingsDir;
using testing_support::TempDir;

TEST(EngineFiltersTest, RealLibrariesFilterBothWays) {
    ScopedSettingsDir settings;
    TempDir home;
    fs::create_directories(home / "OutFilters");
    fs::create_directories(home / "InFilters");
    fs::copy_file(SIGNATURE_FILTER, home / "OutFilters" / "signature.so");
    fs::copy_file(SENDER_FILTER, home / "InFilters" / "sender.so");
    WritePluginSetting(settings::kServerSection, "cbFilterOut", "signature.so");
    WritePluginSetting(settings::kServerSection, "cbFilterIn", "sender.so");
    WritePluginSetting(settings::kServerSection, "cbWav", "0");

    QtEngineHost host;
    Engine engine(host, home.path().string());
    engine.Init();
    RecordingDevice sink;
    auto device = engine.CreateDevice();
    device->SetSink(&sink);
    device->login("smpp");
    engine.StartbtnClick(false);
    device->connectionSuccess();

    auto message = std::make_unique<TSms>(engine.Sms());
    message->SetTo("+447009001");
    message->text = "hello";
    const std::string id = message->messageId;
    TSms::QueueForSending(std::move(message), engine.Queue(SystemFolder::Outbox));
    engine.SendTick();
    ASSERT_EQ(sink.transmitted.size(), 1u);
    EXPECT_EQ(sink.transmitted[0].text, "hello -- sent by Nimbra");

    // A failed attempt comes back with the signed text and is signed again.
    device->sendFailed(id, "no answer");
    engine.ResendFailedMessages();
    engine.SendTick();
    ASSERT_EQ(sink.transmitted.size(), 2u);
    EXPECT_EQ(sink.transmitted[1].text, "hello -- sent by Nimbra -- sent by Nimbra");

    TGsmSms incoming;
    incoming.sender = "+447009002";
    incoming.text = "reply";
    device->smsReceived(incoming.ToText());
    TSmsQueue& inbox = engine.Queue(SystemFolder::Inbox);
    ASSERT_EQ(inbox.Count(), 1);
    EXPECT_EQ(inbox.At(0).from, "+10000000000");
    EXPECT_EQ(inbox.At(0).text, "reply");
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace nimbra
