#pragma once
// The engine: owns the message store, the connected devices and clients, the logs and status
// slots, the timers that drive the scheduler, and the queue of requests ("window messages")
// carried out on the main thread. It runs the same with or without windows; windows observe
// its state.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "addressbook.h"
#include "devicelist.h"
#include "devicepanel.h"
#include "easysms.h"
#include "engineclient.h"
#include "enginehost.h"
#include "enginenotifier.h"
#include "folderman.h"
#include "logchannels.h"
#include "messagefilters.h"
#include "messageserver.h"
#include "notificationslots.h"
#include "pducoder_parts.h"
#include "queuemanager.h"
#include "sendpacing.h"
#include "servermenu.h"
#include "serveroptions.h"
#include "servicecontrol.h"
#include "smsenvironment.h"
#include "statusslots.h"
#include "storeenvironment.h"
#include "windowmessages.h"

namespace nimbra {

// Start-up cannot go on; what() is the text for the operator.
class EngineStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Timer intervals in milliseconds.
inline constexpr int kSendTickMs = kDesignedTickMs;
inline constexpr int kListSortDelayMs = 2000;
inline constexpr int kMessageCountMs = 500;
inline constexpr int kServerControlMs = 1000;
inline constexpr int kDeviceStatusMs = 1000;

// The engine ended to be started again (after a change of the user-interface language): its
// service manager restarts it on this exit code (EX_TEMPFAIL).
inline constexpr int kRestartExitCode = 75;

class Engine {
public:
    // home: prefix of every path of the engine; "" when the process runs in its home, so
    // that paths stay relative.
    explicit Engine(EngineHost& host, std::string home = "");
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The start-up sequence: message store, options, device programs, directories, logs,
    // filters, the timers. Throws EngineStartError.
    void Init();
    // Another copy of the engine was started and handed over to this one.
    void Activate();
    // The user-interface language changed: the engine publishes its identifier again and
    // tells every device.
    void LanguageChanged(const std::string& language);
    // The operator asked to close (exit command, Ctrl-C, a termination signal): timers stop
    // and the shutdown runs from the event loop; the host's Quit ends the run.
    void Exit();
    // Exit, ending the program with kRestartExitCode.
    void ExitForRestart();
    // What the program ends with once the engine has shut down.
    int ExitCode() const { return exitCode_; }
    bool HasShutDown() const { return shutDown_; }

    void StartbtnClick(bool notify);
    void StopbtnClick();
    bool IsRunning() const { return running_; }
    bool IsStarting() const { return starting_; }
    // While the options window is open a start does not take effect.
    bool preferencesOpen = false;

    void PostMessage(WindowMessage message, long long wParam = 0, long long lParam = 0);
    void HandleMessage(WindowMessage message, long long wParam, long long lParam);
    // Stores id in the next notification slot and posts message with the slot's number.
    void PostWithSlot(WindowMessage message, const std::string& id, long long lParam = 0);

    void Log(const std::string& channel, const std::string& text);
    void SetStatus(const std::string& name, const std::string& text);
    std::string Translate(const std::string& text) const;
    // The user-interface language.
    std::string LanguageName() const;
    TDateTime Now() const { return sms_.CurrentTime(); }
    // home + relative.
    std::string PathOf(const std::string& relative) const;

    // Start-up removes the parts of concatenated messages (in "smsparts", where the handset
    // driver collects them) written more than this long ago by this clock.
    std::chrono::seconds partFileMaxAge = kPartFileMaxAge;
    std::function<std::filesystem::file_time_type()> fileClock = [] {
        return std::filesystem::file_time_type::clock::now();
    };

    // Requests that only a window can carry out (show the main window, repaint or re-sort
    // the message list, tray and composer requests); without windows nobody listens.
    std::function<void(WindowMessage)> onWindowRequest;
    // Where the operator's messages and questions go when there are windows (null: none).
    void SetWindowNotifier(Notifier* notifier) { notifier_.windows = notifier; }

    // Devices and clients.
    std::shared_ptr<TnbSMSPhone> CreateDevice();
    void AddClient(std::shared_ptr<EngineClient> client);
    // Tags start at 1: tag 0 marks a menu item of nobody.
    int NextTag() { return ++tagCounter_; }
    void ClickServerMenuItem(std::size_t index);
    // Raises info("devicename") on every live device after clearing the panel.
    void RefreshDevicePanel();
    // Uninstalls the last device of a kind (1 gsm, 2 ucp, 3 smpp, 4 cimd).
    void UninstallDeviceKind(int kind);
    // The device an uninstall of a kind takes, or null.
    DeviceList::Device LastDeviceOfKind(int kind);
    // Starts one more program of a device kind (index in kDeviceKinds); a program that
    // cannot be found or started is told in the screen log.
    void StartDevice(int kindIndex);
    // The state of the heartbeat check, once a second.
    void CheckDevices();

    // The once-a-second scheduler tick and the retry timer's action.
    void SendTick();
    void PutBackDue();
    bool IsPutBackDue() const { return putBackDue_; }
    // Moves up to 20 messages from "Waiting for resend" back to the Outbox.
    void PutBack();
    // "Resend failed messages": the next tick puts failed messages back.
    void ResendFailedMessages() { PutBackDue(); }
    // A live device that is idle and may send.
    bool AnyDeviceReady();
    // The first device that can take the message (dropping devices that left on the way);
    // the message then carries the device's operator.
    TnbSMSPhone* ChooseDevice(TSms& message);
    // The control folder check, once a second.
    void CheckControlFolder();

    // Incoming messages and delivery reports.
    void ReceiveMessage(TGsmSms& record);
    // Marks the sent message the report speaks about: a report whose status is empty or "0"
    // confirms its delivery; any other status is the outcome, logged and kept in the
    // message's spare1 line. True when a message matched or a reference agreed numerically.
    bool matchReport(const TGsmSms& report);

    // The outgoing filter applied to a message text, the incoming one to a record text.
    std::string FilterOutgoing(const std::string& text) const { return outFilter_.Apply(text); }
    std::string FilterIncoming(const std::string& text) const { return inFilter_.Apply(text); }
    MessageFilter& IncomingFilter() { return inFilter_; }
    MessageFilter& OutgoingFilter() { return outFilter_; }

    EngineHost& Host() { return host_; }
    SmsEnvironment& Sms() { return sms_; }
    StoreEnvironment& Store() { return store_; }
    LogChannels& Logs() { return logs_; }
    StatusSlots& Status() { return status_; }
    ServerControls& Controls() { return controls_; }
    NotificationSlots& Slots() { return slots_; }
    ServerOptions& Options() { return options_; }
    TAddressBook& AddressBook() { return *addressBook_; }
    TFolderMan& Folders() { return *folders_; }
    TqueueManager& Queues() { return *queues_; }
    TSmsQueue& Queue(SystemFolder folder) { return queues_->Queue(folder); }
    DeviceList& Devices() { return devices_; }
    DeviceLock& Lock() { return deviceLock_; }
    DevicePanel& Panel() { return panel_; }
    ServerMenu& Menu() { return serverMenu_; }
    const std::vector<std::shared_ptr<EngineClient>>& Clients() const { return clients_; }

    // Client objects of other programs; each joins the client list at creation.
    std::shared_ptr<TnbMessageServer> CreateMessageServer();
    std::shared_ptr<TnbEasySMS> CreateEasySms();
    std::shared_ptr<TnbServiceControl> CreateServiceControl();
    // How many objects of kind T the client list holds.
    template <class T>
    int CountClients() const {
        int count = 0;
        for (const auto& client : clients_)
            count += dynamic_cast<const T*>(client.get()) != nullptr ? 1 : 0;
        return count;
    }
    // Raises MessageAcceptedForDelivery on every live message-server client.
    void RaiseAcceptedForDelivery(const std::string& source, const std::string& messageId,
                                  const std::string& record);
    // The Plugins menu: a separator per client, then its commands, tagged like the Server
    // menu's.
    ServerMenu& PluginMenu() { return pluginMenu_; }
    void ClickPluginMenuItem(std::size_t index);
    // The client lock message-server clients take around work that must not overlap.
    DeviceLock& ClientLock() { return clientLock_; }
    // Shuts down the first live client whose name is plugin's: its commands go, it hears
    // ServerShutdown and leaves the client list.
    void UninstallPlugin(const std::string& plugin);
    // The names of the live message-server clients: the "Currently active plugins" listing.
    std::vector<std::string> ActiveClientsListing() const;
    std::function<void()> onClientsChange;
    // A client's name or sink changed, or clients left the list: the listing may differ.
    void ClientsChanged();
    // The progress bar a long piece of work (a mass send) shows.
    struct Progress {
        bool visible = false;
        int maximum = 0;
        int position = 0;
    };
    const Progress& WorkProgress() const { return progress_; }
    void SetProgress(const Progress& progress);
    std::function<void()> onProgress;
    // Whether the Start and the Stop command are available now. A running server can be
    // stopped also while its start still waits for devices to connect (the Stop button
    // shows only the completed start): a driver that never answers Connect must not keep
    // the server from stopping.
    bool StartAvailable() const { return controls_.startButton; }
    bool StopAvailable() const { return controls_.stopButton || running_; }
    // The engine's program directory, ending in "/".
    std::string ProgramDirectory() const;
    EngineTimer& SendTimer() { return *tSend_; }
    const SendPacing& Pacing() const { return pacing_; }
    EngineTimer& PutBackTimer() { return *putBackTimer_; }
    EngineTimer& AutostartTimer() { return *tStartAtStartup_; }

private:
    void CreateTimers();
    void LoadAndLaunch();
    TnbSMSPhone* FindDeviceFor(const TSms& message);
    // Moves an Outbox message to "Could not be sent" with the reason logged; false when it
    // could not be moved.
    bool RejectOutgoing(TSmsQueue& outbox, int position, const std::string& reason,
                        bool spaceBeforeLine);
    void EnsureDirectory(const std::string& relative);
    void RemoveStaleTemporaryFiles();
    void RestartPutBackTimer();
    // Drops the clients that are gone, then acts on each live one in list order.
    void ForEachClient(const std::function<void(EngineClient&)>& action);
    // Drops the clients whose programs let go of them; they are never put back.
    void DropGoneClients();
    void Shutdown();
    void StopTimers();
    void ForEachDevice(const std::function<void(TnbSMSPhone&)>& action);
    void RaiseMessageEvent(WindowMessage message, const std::string& id, long long lParam);
    void CopyToGroupFolder(const TSms& message);
    void ConfirmDelivery(TSms& message, const TSmsQueue& sent);
    void RecordOutcome(TSms& message, const std::string& outcome);

    EngineHost& host_;
    std::string home_;
    EngineNotifier notifier_;
    SmsEnvironment sms_;
    StoreEnvironment store_;
    LogChannels logs_;
    StatusSlots status_;
    ServerControls controls_;
    NotificationSlots slots_;
    ServerOptions options_;
    std::unique_ptr<TAddressBook> addressBook_;
    std::unique_ptr<TFolderMan> folders_;
    std::unique_ptr<TqueueManager> queues_;
    DeviceList devices_;
    DeviceLock deviceLock_;
    DevicePanel panel_;
    ServerMenu serverMenu_;
    std::vector<std::shared_ptr<EngineClient>> clients_;
    ServerMenu pluginMenu_;
    DeviceLock clientLock_;
    Progress progress_;
    MessageFilter inFilter_;
    MessageFilter outFilter_;
    // Address groups whose folder could not be made, told to the operator once each.
    std::set<std::string> groupFoldersToldOf_;
    int tagCounter_ = 0;
    bool running_ = false;
    bool starting_ = false;
    bool putBackDue_ = false;
    SendPacing pacing_;
    bool shutDown_ = false;
    int exitCode_ = 0;

    std::unique_ptr<EngineTimer> tSend_;
    std::unique_ptr<EngineTimer> putBackTimer_;
    std::unique_ptr<EngineTimer> tStartAtStartup_;
    std::unique_ptr<EngineTimer> tScreenrefresh_;
    std::unique_ptr<EngineTimer> tScreenRefresh500_;
    std::unique_ptr<EngineTimer> tServerControl_;
    std::unique_ptr<EngineTimer> tDevinfoStatus_;
};

}  // namespace nimbra
