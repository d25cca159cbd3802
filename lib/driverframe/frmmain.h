#pragma once
// TfrmMain, the never-shown main window of the TCP drivers: it logs in to the engine's
// device object, answers the engine's events and carries the window messages of the protocol
// thread to the engine (the ping, the engine watch and the shutdown are the DriverWindow's).
// The link to the message centre is the driver's own (DriverLink); everything else of a TCP
// driver program is here.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <QTimer>

#include "driverlink.h"
#include "driverlog.h"
#include "driverwindow.h"
#include "fieldstore.h"
#include "frameconfig.h"
#include "postafiok.h"
#include "unGSMSMS.h"

namespace nimbra::driver {

class TfrmLog;
class TfrmPref;

class TfrmMain : public DriverWindow, public FrameServices {
    Q_OBJECT
public:
    TfrmMain(const FrameConfig& config, const com::TransmitEngine& engine);
    ~TfrmMain() override;

    // Logs in to the engine and registers the menu items. False when the driver shut down
    // because an engine call failed.
    bool FormCreate() override;
    // The preferences and communication-log windows, owned by this window.
    void CreateWindows() override;
    // The other two windows, created after the login (they need the realName).
    void AttachWindows(TfrmPref* pref, TfrmLog* log);

    const std::string& realName() const { return realName_; }
    const std::string& engineFolder() const { return engineFolder_; }
    DriverLink& link() { return *link_; }
    // The one-shot timer that rebuilds the link (FrameConfig::retryIntervalMs, shortened by
    // the time scale).
    const QTimer& retryTimer() const { return retryTimer_; }
    void Log(std::string_view level, std::string_view line) override;

    // FrameServices: safe from any thread.
    void Sent(std::string reference) override;
    void Failed() override;
    void HandedBack() override;
    void MessageSent(std::string messageId, std::string reference) override;
    void MessageFailed(std::string messageId) override;
    void MessageHandedBack(std::string messageId) override;
    void Info(std::string name, std::string value) override;
    void Received(std::string record) override;
    bool Taken(std::string record) override;
    void PostLinkConnected() override;
    void PostLinkDisconnected() override;
    void PostLinkStatus(std::string text) override;
    void PostArmRetry() override;
    void PostShowMessage(std::string text) override;
    void PostDeviceInfo(std::string text) override;
    void PostThreadEnded(bool reconnect) override;
    LinkFields& Fields() override { return fields_; }
    std::string EngineFolder() const override { return engineFolder_; }
    // Window thread.
    bool EngineConnected() const override { return engineConnected_; }
    void StartRetryTimer(int delayMs = 0) override;
    void StopRetryTimer() override;

protected:
    void nbSMSPhone1Connect() override;
    void nbSMSPhone1Disconnect() override;
    void nbSMSPhone1Transmit(const QString& sms) override;
    void nbSMSPhone1MenuItemClick(const QString& name) override;
    void nbSMSPhone1info(const QString& name) override;
    void nbSMSPhone1ServerShutdown() override;
    void nbSMSPhone1unInstall() override;
    void HandleMessage(const DriverMessage& message) override;
    void OnShutDown() override;

private:
    void RetryTimerFired();
    void PreferencesApplied();
    // byId: the message is named (messageId); otherwise the oldest in flight is meant.
    void HandleSent(const std::string& reference, bool byId, const std::string& messageId);
    void HandleFailed(bool handedBack, bool byId, const std::string& messageId);
    // The record of the message in flight (the oldest, or the one named), or nothing.
    std::optional<TGsmSms> TakeInFlight(bool byId, const std::string& messageId);
    // Tells the engine the link's window when it differs from the one it was told.
    void TellWindow();
    void LoadFields();

    std::string Field(const char* name) const { return fields_.Get(name); }
    std::string DeviceText() const;

    const FrameConfig& config_;
    // The retry timer's waits are shortened by the drivers' time scale.
    const double timeScale_;
    FieldStore fields_;
    TPostafiok mailbox_;
    DriverLog log_;
    std::unique_ptr<DriverLink> link_;
    QTimer retryTimer_;
    TfrmPref* pref_ = nullptr;
    TfrmLog* logWindow_ = nullptr;
    std::unique_ptr<TfrmPref> ownPref_;
    std::unique_ptr<TfrmLog> ownLog_;

    std::string realName_;
    std::string engineFolder_;
    // Messages handed to the link and not reported yet, oldest first.
    std::deque<TGsmSms> inFlight_;
    int toldWindow_ = 1;
    bool engineConnected_ = false;
};

}  // namespace nimbra::driver
