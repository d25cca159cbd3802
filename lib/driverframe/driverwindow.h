#pragma once
// The never-shown main window every driver program has: it owns the device-object client
// through which the driver is logged in to the engine, hands the engine's events to the
// driver's handlers, carries window messages posted from any thread to the window thread in
// posting order, shows signs of life with statusInfo("ping") every second, and shuts the
// driver down when an engine call fails, the ping fails or the engine leaves the bus.
//
// A driver window:
// - MUST make every engine call on the window thread, through EngineCall where a failure is
//   to end the driver;
// - MUST NOT block the window thread on its workers; workers Post what they have;
// - SHOULD stop its workers in OnShutDown, which runs once, after the device object is let go.

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <QDBusPendingCall>
#include <QTimer>
#include <QWidget>

namespace nimbra::com {
class TnbSMSPhoneProxy;
class TransmitEngine;
}  // namespace nimbra::com

namespace nimbra::driver {

// Below the 128 replies a message bus lets one connection await by default.
inline constexpr std::size_t kMostUnansweredReports = 100;

// One window message as it is handled: its number, wParam, lParam and what it carries.
struct DriverMessage {
    int message;
    int wParam;
    int lParam;
    std::string text;
    std::string name;
};

class DriverWindow : public QWidget {
    Q_OBJECT
public:
    explicit DriverWindow(const com::TransmitEngine& engine);
    ~DriverWindow() override;

    // Logs in to the engine. False when the driver shut down because an engine call failed.
    virtual bool FormCreate() = 0;
    // The driver's other windows, made after the login; the program keeps them until it ends.
    virtual void CreateWindows() {}

    bool closing() const { return closing_; }
    // A stop signal: the driver lets go of its engine object and ends.
    void ShutDownByRequest() { ShutDown(); }
    // Posts a window message; safe from any thread, never blocks.
    void Post(int message, int wParam = 0, int lParam = 1, std::string text = {},
              std::string name = {});

signals:
    // The driver has shut down; the program ends.
    void shutDown();

protected:
    // The engine's events.
    virtual void nbSMSPhone1Connect() = 0;
    virtual void nbSMSPhone1Disconnect() = 0;
    virtual void nbSMSPhone1Transmit(const QString& sms) = 0;
    virtual void nbSMSPhone1MenuItemClick(const QString& name) = 0;
    virtual void nbSMSPhone1info(const QString& name) = 0;
    virtual void nbSMSPhone1ServerShutdown() = 0;
    virtual void nbSMSPhone1unInstall() = 0;
    // A window message, on the window thread; never while another one is being handled.
    // WM_DRV_STATUS (statusInfo of the text), WM_DRV_BUSY (sendFailed of the message id in
    // the text, "phone busy"), WM_DRV_DEVICEINFO (deviceInfo of the text, a failure ignored)
    // and WM_DRV_SHOW_MESSAGE (a message box) are handled here and do not reach it.
    virtual void HandleMessage(const DriverMessage& message) = 0;
    // Once, when the driver shuts down, after the device object was let go.
    virtual void OnShutDown() {}

    com::TnbSMSPhoneProxy& phone() { return *phone_; }
    // Runs engine calls; a failure shuts the driver down. False when it failed or the driver
    // has shut down already.
    bool EngineCall(const std::function<void()>& call);
    // Lets go of the device object, stops the ping and the workers, and ends the program.
    void ShutDown();
    bool IsShutDown() const { return shutDown_; }
    // The outcome of a message for the engine: sendSuccess with "{" + senderGroup + "},{" +
    // reference + "}" or sendFailed(reason: "could not transmit" uses a retry of the message,
    // "phone busy" does not), then statusInfo(status).
    void ReportSent(const std::string& messageId, const std::string& senderGroup,
                    const std::string& reference, const std::string& status);
    void ReportFailed(const std::string& messageId, const std::string& status,
                      const char* reason = "could not transmit");
    // The same outcomes for a driver with several messages in flight: the call starts at once
    // and its answer is not awaited (the engine answers once the message is filed on the
    // disk, and files the next meanwhile); no status line follows. A call the engine refuses
    // shuts the driver down as EngineCall does; at most kMostUnansweredReports wait, the next
    // one waits for the oldest.
    void ReportSentLater(const std::string& messageId, const std::string& senderGroup,
                         const std::string& reference);
    void ReportFailedLater(const std::string& messageId, const char* reason = "could not transmit");
    // For a worker thread that may let go of an incoming message only once the engine has
    // stored it: posts `message` with the record as its text and a take number as its
    // wParam, and waits until the window thread tells FinishTake whether the engine took
    // it, at most ten seconds. On the window thread itself it only posts (wParam 0) and
    // says taken. False after AbandonTakes.
    bool AwaitTake(int message, std::string record);
    // Called by the window thread's handler of such a message (wParam != 0).
    void FinishTake(int number, bool taken);
    // Releases every waiting worker with "not taken"; for a window about to wait for its
    // workers to end.
    void AbandonTakes();
    void SetClosing() { closing_ = true; }
    void StartPing() { tPing_.start(); }

    bool event(QEvent* event) override;

private:
    void tPingTimer();
    // Keeps a report started without waiting; forgets those answered, shutting down when
    // the engine refused one.
    void KeepReport(QDBusPendingCall call);
    // The messages every driver handles alike; false for the others.
    bool HandleCommonMessage(const DriverMessage& message);

    std::unique_ptr<com::TnbSMSPhoneProxy> phone_;
    QTimer tPing_;
    bool closing_ = false;
    bool shutDown_ = false;
    // Window messages that came while one was being handled; see event().
    std::deque<DriverMessage> queuedMessages_;
    bool handlingMessage_ = false;
    std::deque<QDBusPendingCall> unansweredReports_;
    struct PendingTake {
        bool done = false;
        bool taken = false;
    };
    std::mutex takesMutex_;
    std::condition_variable takesChanged_;
    std::map<int, PendingTake> takes_;
    int lastTake_ = 0;
    bool takesAbandoned_ = false;
};

}  // namespace nimbra::driver
