#pragma once
// TfrmHandset, the never-shown main window of the GSM driver: it logs in to the engine as
// the translated "GSM Device", answers the engine's events, connects the phone of the chosen
// model on a thread of its own when the engine asks (the connection result follows the
// device's initialisation), carries the phone manager's window messages to the engine, keeps
// the port log, offers the console that talks to the device by hand, and reconnects a device
// that stopped answering or went away. Settings are read from the store when they are
// needed: the preferences in the section of the realName, the port settings in realName +
// "_comport".
//
// Outgoing messages: one at a time. A message is accepted while none is held and sending is
// on; it is answered exactly once, by sendSuccess, sendFailed("could not transmit") after the
// device refused it, or sendFailed("phone busy") when it never reached the device (the device
// went away and did not come back, or the engine disconnected first).

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QTimer>

#include "commportdriver.h"
#include "driverwindow.h"
#include "handsetsession.h"
#include "handsetwindowhooks.h"
#include "overlaysettings.h"
#include "pdureferencesetting.h"
#include "phonemanager.h"
#include "portlogfile.h"
#include "storedsettings.h"
#include "unPhone.h"

namespace nimbra::handset {

class TfrmHandset final : public driver::DriverWindow, public PhoneHost, public ManagerEvents {
    Q_OBJECT
public:
    explicit TfrmHandset(const com::TransmitEngine& engine);
    ~TfrmHandset() override;

    bool FormCreate() override;
    // The other windows, made by the factory the program gives (none in tests that do not).
    using WindowFactory = std::function<std::unique_ptr<HandsetWindowHooks>(TfrmHandset&)>;
    void SetWindowFactory(WindowFactory factory) { windowFactory_ = std::move(factory); }
    void CreateWindows() override;
    HandsetWindowHooks* windows() { return windows_.get(); }

    const std::string& realName() const { return realName_; }
    // The phone object of the current connection, or none.
    TPhone* currentPhone() { return phone_.get(); }
    bool active() const { return shared_.active; }
    std::vector<std::string> PortLogView() const { return portLog_.ViewLines(); }

    // The console: the text with CR ("Command"), Ctrl-Z ("Message") or nothing ("Text")
    // written to the connected device; the answer shows in the port log. False when no device
    // is connected or the console's previous command still waits for its answer.
    enum class CommandType { Command, Text, Message };
    bool bModemClick(const std::string& text, CommandType type);
    // "Test connection": connects, reports the outcome to the operator and disconnects.
    // preferences: values of the preferences window not yet kept, which the test uses in
    // front of the stored ones.
    void TestConnection(OverlaySettings::Values preferences = {});
    bool testRunning() const { return testMode_; }
    // The preferences were kept: the engine hears the operator and the device text.
    void PreferencesSaved();
    // The settings as stored.
    HandsetSettings* settings() { return settings_.get(); }
    SettingsSource& store() { return store_; }
    // "Service" when the engine runs as a service.
    const std::string& runMode() const { return runMode_; }

    // PhoneHost: from any thread.
    void RequestReconnect() override { shared_.reconnectRequested = true; }
    void RegisterMenuItem(std::string name) override;
    void UnregisterMenuItem(std::string name) override;
    void ShowMessage(std::string text) override;
    std::string Translate(const std::string& text) override;

    // ManagerEvents: from the manager's thread.
    void Sending(std::string summary) override;
    void Reading() override;
    void Sent(std::string reference) override;
    void Failed() override;
    void Received(std::string record) override;
    bool Taken(std::string record) override;
    void Info(std::string line) override;
    void Reconnect() override;

protected:
    void nbSMSPhone1Connect() override;
    void nbSMSPhone1Disconnect() override;
    void nbSMSPhone1Transmit(const QString& sms) override;
    void nbSMSPhone1MenuItemClick(const QString& name) override;
    void nbSMSPhone1info(const QString& name) override;
    void nbSMSPhone1ServerShutdown() override;
    void nbSMSPhone1unInstall() override;
    void HandleMessage(const driver::DriverMessage& message) override;
    void OnShutDown() override;

private slots:
    void EngineClosing();

private:
    void Connect(bool testOnly);
    void StartConnection();
    void StopConnection();
    void ConnectionResult(bool ok);
    void SessionEnded();
    void ReconnectTimerFired();
    void HandleSent(const std::string& reference);
    void HandleFailed();
    void GiveBackUnsent();
    void JoinConsole();
    void SetAutostart(bool value);
    std::string ModelAndPort() const;
    // The settings of the connection being made: a test's own, else the stored ones.
    HandsetSettings& ConnectionSettings() const;

    const QString engineService_;
    StoredSettings store_;
    std::unique_ptr<HandsetSettings> settings_;
    const ModemTimings timings_;
    SettingsPduReferenceStore references_;
    PortLogFile portLog_;
    ManagerShared shared_;

    // The connection: its port, its phone and its thread.
    std::unique_ptr<TCommPortDriver> port_;
    std::unique_ptr<TPhone> phone_;
    std::unique_ptr<HandsetSession> session_;
    std::unique_ptr<std::thread> console_;
    std::atomic<bool> consoleBusy_ = false;

    // The message accepted from the engine and not yet answered.
    std::optional<TGsmSms> held_;

    std::string realName_;
    std::string engineFolder_;
    std::string runMode_;
    bool engineWants_ = false;     // between the engine's Connect and Disconnect
    bool connectWaiting_ = false;  // a connect waits for the previous connection to end
    bool reconnecting_ = false;
    bool testMode_ = false;
    QTimer reconnectTimer_;

    // A test's settings: the preferences window's values in front of the store. Made when the
    // test's connection starts and kept until the next one (its phone reads them).
    OverlaySettings::Values testValues_;
    std::unique_ptr<OverlaySettings> testSource_;
    std::unique_ptr<HandsetSettings> testSettings_;
    HandsetSettings* connectionSettings_ = nullptr;

    WindowFactory windowFactory_;
    std::unique_ptr<HandsetWindowHooks> windows_;
};

}  // namespace nimbra::handset
