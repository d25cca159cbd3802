#pragma once

// The message wall's main object ("Billboard Plugin", never shown): its message-server client
// of the engine, the start-up in order, the engine's events, the keep-alive, and the
// Moderate, Preferences and Display windows.
//
// MUST log in with the program's file name and keep the name the engine gives back.
// MUST add every incoming message to the moderation inbox.
// MUST end (closed()) on ServerShutdown, or when the keep-alive finds the engine gone.

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include "transmitengine.h"
#include "unBillboardItem.h"

namespace nimbra {

namespace com {
class TnbMessageServerProxy;
}

class TfrmDisplay;
class TfrmModerate;
class TfrmPreferences;

inline constexpr char kModerationItem[] = "Billboard Moderation";
inline constexpr char kConfigurationItem[] = "Billboard Configuration";

class TfrmMain : public QObject {
    Q_OBJECT
public:
    struct Options {
        // The name to log in with: the program's file name.
        QString programName;
        // Where "phonenum.txt" goes: the program's working folder.
        QString workingDir;
        // Local seconds since 1970.
        std::function<long long()> clock;
        // Time between two moderation steps (see TfrmModerate).
        int stepMs = 1000;
        int keepAliveMs = 1000;
    };

    TfrmMain(const com::TransmitEngine& engine, Options options, QObject* parent = nullptr);
    ~TfrmMain() override;

    // The start-up: phonenum.txt, login, the engine's folder and language, the two menu items,
    // the windows. False when the engine failed a call (it has gone); closed() then follows.
    bool FormCreate();

    // Takes its commands out of the engine's menu, lets go of the engine (logout, release)
    // and ends; the operator's way out.
    void CloseByRequest();

    const QString& realName() const { return realName_; }
    const QString& engineDir() const { return engineDir_; }
    const QString& language() const { return language_; }
    TfrmModerate* moderate() const { return frmModerate_.get(); }
    TfrmPreferences* preferences() const { return frmPreferences_.get(); }
    TfrmDisplay* display() const { return frmDisplay_.get(); }
    com::TnbMessageServerProxy& server() const { return *nbMessageServer1_; }

signals:
    // The program is to end.
    void closed();

private:
    void WritePhoneNumFile() const;
    void CreateWindows();
    void OnMessageReceived(const QVariant& msg);
    void OnServerStarted();
    void OnMenuItemClick(const QVariant& name);
    void TimerFileTimer();
    void Close();

    Options options_;
    std::unique_ptr<com::TnbMessageServerProxy> nbMessageServer1_;
    QTimer TimerFile_;
    QString realName_;
    QString engineDir_;
    QString language_;
    std::unique_ptr<TfrmDisplay> frmDisplay_;
    std::unique_ptr<TfrmModerate> frmModerate_;
    std::unique_ptr<TfrmPreferences> frmPreferences_;
    // Messages that came before the Moderate window, with their arrival times.
    std::vector<TBillboardItem> early_;
    bool starting_ = false;
    bool closeRequested_ = false;
    bool pinging_ = false;
    bool closed_ = false;
};

}  // namespace nimbra
