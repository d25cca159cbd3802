#include "engine.h"

#include <filesystem>
#include <utility>

#include "atomicfile.h"
#include "housekeepingsetting.h"
#include "pducoder.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "translation.h"
#include "unDate.h"

namespace nimbra {

namespace fs = std::filesystem;

Engine::Engine(EngineHost& host, std::string home)
    : host_(host),
      home_(std::move(home)),
      store_(sms_, home_),
      logs_(PathOf("logs/"), [this] { return Now(); }),
      status_(PathOf("logs/")),
      controls_(PathOf("logs/")),
      inFilter_(MessageFilter::kIncoming, PathOf(""), host,
                [this](const std::string& text) { Log("screen", text); }),
      outFilter_(MessageFilter::kOutgoing, PathOf(""), host,
                 [this](const std::string& text) { Log("screen", text); }) {
    notifier_.toErrorLog = [this](const std::string& text) { Log("error", text); };
    sms_.notifier = &notifier_;
    store_.housekeepingRules = ReadHousekeepingRules;
    store_.log = [this](const std::string& channel, const std::string& text) {
        Log(channel, text);
    };
    store_.status = [this](const std::string& slot, const std::string& text) {
        SetStatus(slot, text);
    };
    store_.translate = [](const std::string& text) { return nimbra::Translate(text); };
    devices_.onRemoved = [this](const std::vector<const TnbSMSPhone*>& gone) {
        deviceLock_.Forget({gone.begin(), gone.end()});
        for (const TnbSMSPhone* device : gone)
            serverMenu_.RemoveTag(device->menuTag);
    };
    CreateTimers();
}

Engine::~Engine() {
    if (&ProcessNotifier() == &notifier_)
        SetProcessNotifier(nullptr);
    if (addressBook_)
        addressBook_->WaitUntilSaved();
}

std::string Engine::PathOf(const std::string& relative) const {
    return store_.PathOf(relative);
}

void Engine::Log(const std::string& channel, const std::string& text) {
    logs_.Log(channel, text);
}

void Engine::SetStatus(const std::string& name, const std::string& text) {
    if (!status_.SetStatus(name, text))
        notifier_.ShowMessage("Debug failed");
}

std::string Engine::Translate(const std::string& text) const {
    return nimbra::Translate(text);
}

std::string Engine::LanguageName() const {
    return ProcessLanguage().Language();
}

void Engine::CreateTimers() {
    tSend_ = host_.CreateTimer([this] { SendTick(); }, false);
    putBackTimer_ = host_.CreateTimer([this] { PutBackDue(); }, false);
    tStartAtStartup_ = host_.CreateTimer(
        [this] {
            if (options_.autostart)
                StartbtnClick(true);
        },
        true);
    tScreenrefresh_ = host_.CreateTimer(
        [this] {
            if (onWindowRequest)
                onWindowRequest(WindowMessage::RestartListSort);
        },
        true);
    tScreenRefresh500_ = host_.CreateTimer(
        [this] {
            if (queues_)
                SetStatus("status2", std::to_string(queues_->MessageList().RowCount()));
        },
        false);
    tServerControl_ = host_.CreateTimer(
        [this] {
            tServerControl_->Stop();
            CheckControlFolder();
            if (!shutDown_)
                tServerControl_->Start(kServerControlMs);
        },
        false);
    tDevinfoStatus_ = host_.CreateTimer([this] { CheckDevices(); }, false);
}

void Engine::EnsureDirectory(const std::string& relative) {
    const std::string path = PathOf(relative);
    std::error_code ec;
    fs::create_directories(path, ec);
    if (!fs::is_directory(path, ec))
        throw EngineStartError("Cannot create directory " + path);
}

void Engine::RemoveStaleTemporaryFiles() {
    // A crash in the middle of a write leaves its temporary file; nothing else writes in the
    // home while the engine starts.
    const std::string home = PathOf("").empty() ? std::string(".") : PathOf("");
    std::size_t removed = RemoveStaleTemporaries(home, false);
    for (const std::string& folder : {kSystemFoldersDirectory, kUserFoldersDirectory})
        removed += RemoveStaleTemporaries(PathOf(folder), true);
    removed += RemoveStaleTemporaries(PathOf("logs"), false);
    if (removed > 0)
        Log("screen", "Temporary files left by an earlier run removed: " + std::to_string(removed));
}

void Engine::Init() {
    // The logs come first, so that nothing said during start-up is lost and the last run's
    // screen log is kept rather than replaced by the first new line.
    SetProcessNotifier(&notifier_);
    EnsureDirectory("logs");
    logs_.LoadScreenLog();
    logs_.OpenFiles();
    controls_.Publish();
    // A state file left by a run that ended abruptly would say the server runs.
    SetStatus("status0", "The Server is Stoped");
    RemoveStaleTemporaryFiles();

    ProcessLanguage().SetHome(PathOf("").empty() ? fs::path(".") : fs::path(PathOf("")));
    ProcessLanguage().SetLanguage(
        ReadSetting(settings::kLanguageKey, settings::kLanguageValue, settings::kLanguageDefault));
    WriteSetting(settings::kServicePidKey, settings::kPidValue, host_.ProcessId());
    WriteSetting(settings::kServicePidKey, settings::kAppModeValue, settings::kAppModeApplication);

    addressBook_ = std::make_unique<TAddressBook>(
        home_, TMyThread::WriteFunction{}, [this](const std::string& message) {
            // The saver reports from its own thread.
            host_.Post([this, message] { notifier_.ShowMessage(message); });
        });
    addressBook_->LoadAddressBook();
    sms_.addressBook = addressBook_.get();
    sms_.fileCounter = 0;
    slots_.Reset();
    try {
        folders_ = std::make_unique<TFolderMan>(store_);
        folders_->ShowFolders();
        LoadAndLaunch();
        queues_ = std::make_unique<TqueueManager>(store_, *folders_);
    } catch (const std::runtime_error& e) {
        throw EngineStartError(e.what());
    }
    queues_->LoadAtStart();
    queues_->SelectFolder(kTreeInbox);
    PutBack();
    if (onWindowRequest && options_.showMonitor)
        onWindowRequest(WindowMessage::ShowMonitor);

    PduPartStore(PathOf(std::string(kPartsFolderName)))
        .RemoveWrittenBefore(fileClock() - partFileMaxAge);
    EnsureDirectory("servercontrol");
    for (const char* folder : {"InFilters", "OutFilters", "Devices", "Plugins"}) {
        std::error_code ec;
        fs::create_directories(PathOf(folder), ec);
    }
    inFilter_.Load(options_.filterIn);
    outFilter_.Load(options_.filterOut);

    tScreenRefresh500_->Start(kMessageCountMs);
    tServerControl_->Start(kServerControlMs);
    tDevinfoStatus_->Start(kDeviceStatusMs);
    tStartAtStartup_->Start(options_.AutostartDelaySeconds() * 1000);
}

void Engine::LoadAndLaunch() {
    options_ = LoadServerOptions(notifier_);
    sms_.retries = options_.retries;
    // Handsets, then message-centre connections: ucp, cimd, smpp.
    for (int kind : {0, 1, 3, 2}) {
        for (int copy = 0; copy < options_.InstalledCount(kind); ++copy)
            StartDevice(kind);
    }
    std::error_code ec;
    const std::string pictureGate = PathOf("Devices/picturegate");
    if (fs::is_regular_file(pictureGate, ec))
        host_.StartProgram(fs::absolute(pictureGate).string());
    for (const std::string& plugin : options_.plugins) {
        if (!IsPlainFileName(plugin))
            continue;
        const std::string path = PathOf("Plugins/" + plugin);
        if (fs::is_regular_file(path, ec))
            host_.StartProgram(fs::absolute(path).string());
    }
}

void Engine::StartDevice(int kindIndex) {
    const std::string path = PathOf(kDeviceKinds[kindIndex].program);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        Log("screen", "The driver cannot be found: " + fs::absolute(path).string());
        return;
    }
    if (!host_.StartProgram(fs::absolute(path).string()))
        Log("screen", "The driver cannot be started: " + fs::absolute(path).string());
}

void Engine::Activate() {
    Log("screen", "Another start of transmit was handed over to this engine");
    if (onWindowRequest)
        onWindowRequest(WindowMessage::ShowMonitor);
}

void Engine::LanguageChanged(const std::string& language) {
    WriteSetting(settings::kServicePidKey, settings::kPidValue, host_.ProcessId());
    const std::string notice = "setlanguage(" + language + ")";
    ForEachClient([&notice](EngineClient& client) { client.Info(notice); });
    ForEachDevice([&notice](TnbSMSPhone& device) { device.RaiseInfo(notice); });
}

void Engine::StartbtnClick(bool notify) {
    panel_.Clear();
    if (starting_ || !controls_.startButton)
        return;
    if (!preferencesOpen) {
        SetStatus("main", "Threadcontrol: Start started");
        SetStatus("status3", "");
        controls_.startMenuItem = false;
        controls_.stopMenuItem = false;
        controls_.SetStartButton(false);
        controls_.SetStopButton(false);
        running_ = false;
        starting_ = true;
        if (notify)
            PostMessage(WindowMessage::ConnectDevices);
        starting_ = false;
        running_ = true;
        controls_.preferencesCommand = false;
        Log("screen", "SERVER_STARTUP ok");
        putBackDue_ = false;
        putBackTimer_->Start(options_.resendIntervalMs);
        pacing_ = SendPacing(ParseFastTickMs(options_.fastSendTick));
        tSend_->Start(kSendTickMs);
        SetStatus("main", "Threadcontrol: Start ended");
    }
    SetStatus("status0", "The Server is Started");
    if (notify)
        PostMessage(WindowMessage::ServerStartedEvents);
}

void Engine::StopbtnClick() {
    PostMessage(WindowMessage::ServerStoppedEvents);
    running_ = false;
    SetStatus("main", "Threadcontrol: Stop Started");
    controls_.stopMenuItem = false;
    controls_.SetStopButton(false);
    tSend_->Stop();
    PostMessage(WindowMessage::DisconnectDevices);
    Log("screen", "SERVER_SHUTDOWN ok");
    SetStatus("status0", "The Server is Stoped");
    controls_.preferencesCommand = true;
    putBackTimer_->Stop();
    putBackDue_ = false;
    controls_.SetStartButton(true);
    controls_.startMenuItem = true;
    SetStatus("main", "Threadcontrol: Stop ended");
}

void Engine::StopTimers() {
    for (EngineTimer* timer :
         {tSend_.get(), putBackTimer_.get(), tStartAtStartup_.get(), tScreenrefresh_.get(),
          tScreenRefresh500_.get(), tServerControl_.get(), tDevinfoStatus_.get()})
        timer->Stop();
}

void Engine::Exit() {
    if (shutDown_)
        return;
    StopTimers();
    PostMessage(WindowMessage::Shutdown);
}

void Engine::ExitForRestart() {
    exitCode_ = kRestartExitCode;
    Exit();
}

void Engine::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    StopTimers();
    // A failing step ends only itself: the engine closes in any case.
    const auto step = [this](const char* name, const std::function<void()>& action) {
        try {
            action();
        } catch (const std::exception& e) {
            Log("error", std::string("Shutdown, ") + name + ": " + e.what());
        }
    };
    if (running_) {
        running_ = false;
        step("clients", [this] { ForEachClient([](EngineClient& c) { c.ServerStopped(); }); });
        step("devices", [this] { ForEachDevice([](TnbSMSPhone& d) { d.RaiseDisconnect(); }); });
        Log("screen", "SERVER_SHUTDOWN ok");
    }
    // Other programs read the state files after the engine has gone: they say what a Stop
    // says, whatever the server was doing.
    SetStatus("status0", "The Server is Stoped");
    controls_.SetStopButton(false);
    controls_.SetStartButton(true);
    step("clients", [this] {
        const auto clients = clients_;
        for (const auto& client : clients) {
            if (client->IsLive())
                client->ServerShutdown();
        }
    });
    clients_.clear();
    step("devices", [this] { ForEachDevice([](TnbSMSPhone& d) { d.RaiseServerShutdown(); }); });
    devices_.Clear();
    step("filters", [this] {
        inFilter_.Unload();
        outFilter_.Unload();
    });
    step("handset", [this] { host_.TellHandsetToClose(); });
    if (addressBook_)
        addressBook_->WaitUntilSaved();
    logs_.CloseFiles();
    host_.Quit();
}

void Engine::RestartPutBackTimer() {
    putBackTimer_->Stop();
    putBackDue_ = false;
    putBackTimer_->Start(options_.resendIntervalMs);
}

void Engine::PutBackDue() {
    putBackDue_ = true;
    putBackTimer_->Stop();
}

}  // namespace nimbra
