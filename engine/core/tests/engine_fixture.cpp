#include "engine_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "atomicfile.h"
#include "settingskeys.h"
#include "settingsstore.h"

namespace nimbra::testing_support {

namespace fs = std::filesystem;

void EngineTest::StartEngine() {
    engine = std::make_unique<Engine>(host, home.path().string());
    engine->Sms().clock = [this] { return now; };
    engine->Init();
    host.RunPosted();
}

void EngineTest::StartServer() {
    engine->StartbtnClick(true);
    host.RunPosted();
    for (Device& device : devices)
        device.phone->connectionSuccess();
}

EngineTest::Device& EngineTest::AddDevice(const std::string& name,
                                          const std::string& operatorName) {
    Device device{engine->CreateDevice(), std::make_unique<RecordingDevice>()};
    device.phone->SetSink(device.sink.get());
    device.phone->login(name);
    if (!operatorName.empty())
        device.phone->sendInfo("operator", operatorName);
    device.phone->connectionSuccess();
    devices.push_back(std::move(device));
    return devices.back();
}

RecordingClient& EngineTest::AddClient() {
    auto client = std::make_shared<RecordingClient>();
    engine->AddClient(client);
    clients.push_back(client);
    return *client;
}

std::string EngineTest::QueueOutgoing(const std::string& to, const std::string& text) {
    auto message = std::make_unique<TSms>(engine->Sms());
    message->SetTo(to);
    message->text = text;
    const std::string id = message->messageId;
    TSms::QueueForSending(std::move(message), Folder(SystemFolder::Outbox));
    return id;
}

void EngineTest::Tick() {
    engine->SendTick();
    host.RunPosted();
}

std::size_t EngineTest::FilesIn(const std::string& relative) const {
    std::size_t count = 0;
    std::error_code ec;
    for (fs::directory_iterator it(home / relative, ec), end; !ec && it != end; it.increment(ec))
        count += it->path().extension() == ".sms" ? 1 : 0;
    return count;
}

std::vector<std::string> EngineTest::PaneTexts() const {
    std::vector<std::string> texts;
    for (const PaneLine& line : engine->Logs().Pane())
        texts.push_back(line.text);
    return texts;
}

bool EngineTest::PaneContains(const std::string& text) const {
    const auto& pane = engine->Logs().Pane();
    return std::any_of(pane.begin(), pane.end(), [&text](const PaneLine& line) {
        return line.text.find(text) != std::string::npos;
    });
}

std::string EngineTest::ReadHomeFile(const std::string& relative) const {
    std::string text;
    ReadWholeFile(Home(relative), text);
    return text;
}

void EngineTest::Place(const std::string& relative, const std::string& content) const {
    fs::create_directories((home / relative).parent_path());
    std::ofstream(home / relative, std::ios::binary) << content;
}

std::string EngineTest::Absolute(const std::string& relative) const {
    return fs::absolute(Home(relative)).string();
}

void EngineTest::WriteOption(const std::string& name, const std::string& value) const {
    WritePluginSetting(settings::kServerSection, name, value);
}

}  // namespace nimbra::testing_support
