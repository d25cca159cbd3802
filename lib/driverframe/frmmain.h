#pragma once
// TfrmMain, the never-shown main window of a driver: it logs in to the engine's device
// object, answers the engine's events, carries the window messages of the protocol thread
// to the engine, watches the engine with a ping every second and shuts the driver down when
// the engine goes or a call to it fails. The link to the message centre is the driver's own
// (DriverLink); everything else of a driver program is here.

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include <QTimer>
#include <QWidget>

#include "driverlink.h"
#include "driverlog.h"
#include "fieldstore.h"
#include "frameconfig.h"
#include "postafiok.h"
#include "unGSMSMS.h"

namespace nimbra::com {
class TnbSMSPhoneProxy;
class TransmitEngine;
}  // namespace nimbra::com

namespace nimbra::driver {

class TfrmLog;
class TfrmPref;

class TfrmMain : public QWidget, public FrameServices {
    Q_OBJECT
public:
    TfrmMain(const FrameConfig& config, const com::TransmitEngine& engine);
    ~TfrmMain() override;

    // Logs in to the engine and registers the menu items. False when the driver shut down
    // because an engine call failed.
    bool FormCreate();
    // The other two windows, created after the login (they need the realName).
    void AttachWindows(TfrmPref* pref, TfrmLog* log);

    const std::string& realName() const { return realName_; }
    const std::string& engineFolder() const { return engineFolder_; }
    bool closing() const { return closing_; }
    DriverLink& link() { return *link_; }
    // The one-shot timer that rebuilds the link (FrameConfig::retryIntervalMs).
    const QTimer& retryTimer() const { return retryTimer_; }
    void Log(std::string_view level, std::string_view line) override;
    // A stop signal: the driver lets go of its engine object and ends.
    void ShutDownByRequest() { ShutDown(); }

    // FrameServices: safe from any thread.
    void Sent(std::string reference) override;
    void Failed() override;
    void Received(std::string record) override;
    void PostLinkConnected() override;
    void PostLinkDisconnected() override;
    void PostLinkStatus(std::string text) override;
    void PostArmRetry() override;
    void PostShowMessage(std::string text) override;
    void PostDeviceInfo(std::string text) override;
    void PostThreadEnded(bool reconnect) override;
    LinkFields& Fields() override { return fields_; }
    // Window thread.
    bool EngineConnected() const override { return engineConnected_; }
    void StartRetryTimer() override;
    void StopRetryTimer() override;

signals:
    // The driver has shut down; the program ends.
    void shutDown();

protected:
    bool event(QEvent* event) override;

private:
    // Engine events.
    void nbSMSPhone1Connect();
    void nbSMSPhone1Disconnect();
    void nbSMSPhone1Transmit(const QString& sms);
    void nbSMSPhone1MenuItemClick(const QString& name);
    void nbSMSPhone1info(const QString& name);
    void nbSMSPhone1ServerShutdown();
    void nbSMSPhone1unInstall();
    void tPingTimer();
    void RetryTimerFired();
    void PreferencesApplied();

    // Window messages.
    struct QueuedMessage {
        int message;
        int wParam;
        int lParam;
        std::string text;
        std::string name;
    };
    void HandleMessage(int message, int wParam, int lParam, const std::string& text,
                       const std::string& name);
    void HandleSent(const std::string& reference);
    void HandleFailed();
    TGsmSms TakeInFlight();
    void Post(int message, int wParam = 0, int lParam = 1, std::string text = {},
              std::string name = {});

    // Runs an engine call; a failure shuts the driver down. False when it failed.
    template <typename Call>
    bool EngineCall(Call&& call);
    void ShutDown();
    void LoadFields();

    std::string Field(const char* name) const { return fields_.Get(name); }
    std::string DeviceText() const;

    const FrameConfig& config_;
    std::unique_ptr<com::TnbSMSPhoneProxy> phone_;
    FieldStore fields_;
    TPostafiok mailbox_;
    DriverLog log_;
    std::unique_ptr<DriverLink> link_;
    QTimer tPing_;
    QTimer retryTimer_;
    TfrmPref* pref_ = nullptr;
    TfrmLog* logWindow_ = nullptr;

    std::string realName_;
    std::string engineFolder_;
    std::optional<TGsmSms> inFlight_;
    bool engineConnected_ = false;
    bool closing_ = false;
    bool shutDown_ = false;
    std::string successSender_;
    // Window messages that came while one was being handled; see event().
    std::deque<QueuedMessage> queuedMessages_;
    bool handlingMessage_ = false;
};

}  // namespace nimbra::driver
