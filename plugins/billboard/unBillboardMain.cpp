#include "unBillboardMain.h"

#include <QDir>
#include <QScreen>

#include "Transmit_TLB.h"
#include "atomicfile.h"
#include "phonenumfile.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "unBillboardDisplay.h"
#include "unGSMSMS.h"
#include "unModerator.h"
#include "unPreferences.h"

namespace nimbra {
namespace {

// Where the handset driver keeps its own number: its section is named after it, in the
// language it was installed in.
constexpr char kHandsetSectionEnglish[] = "Plugins\\GSM Device1";
constexpr char kHandsetSectionOther[] = "Plugins\\Mobiltelefon 1";
constexpr char kLanguageSection[] = "Settings";

void ShowWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

TfrmMain::TfrmMain(const com::TransmitEngine& engine, Options options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      nbMessageServer1_(std::make_unique<com::TnbMessageServerProxy>(engine)) {
    setObjectName(QStringLiteral("frmMain"));
    using Server = com::TnbMessageServerProxy;
    connect(nbMessageServer1_.get(), &Server::MessageReceived, this, &TfrmMain::OnMessageReceived);
    connect(nbMessageServer1_.get(), &Server::ServerStarted, this, &TfrmMain::OnServerStarted);
    connect(nbMessageServer1_.get(), &Server::MenuItemClick, this, &TfrmMain::OnMenuItemClick);
    connect(nbMessageServer1_.get(), &Server::ServerShutdown, this, &TfrmMain::Close);
    connect(nbMessageServer1_.get(), &Server::engineGone, this, &TfrmMain::Close);
    TimerFile_.setObjectName(QStringLiteral("TimerFile"));
    connect(&TimerFile_, &QTimer::timeout, this, &TfrmMain::TimerFileTimer);
}

TfrmMain::~TfrmMain() = default;

bool TfrmMain::FormCreate() {
    starting_ = true;
    WritePhoneNumFile();
    try {
        realName_ = nbMessageServer1_->login(options_.programName).toString();
        QVariant response;
        nbMessageServer1_->getSystemInfo(QStringLiteral("exedir"), QStringLiteral("system"),
                                         response);
        engineDir_ = response.toString();
        if (!engineDir_.isEmpty()) {
            QVariant language;
            nbMessageServer1_->getSystemInfo(QStringLiteral("language"), QStringLiteral("system"),
                                             language);
            if (!language.toString().isEmpty())
                language_ = language.toString();
        }
        nbMessageServer1_->lock();
        nbMessageServer1_->registerMenuItem(QString::fromLatin1(kModerationItem));
        nbMessageServer1_->registerMenuItem(QString::fromLatin1(kConfigurationItem));
        nbMessageServer1_->unlock();
    } catch (const std::exception&) {
        starting_ = false;
        Close();
        return false;
    }
    starting_ = false;
    if (closeRequested_)
        CloseByRequest();
    if (closed_)
        return false;
    CreateWindows();
    TimerFile_.start(options_.keepAliveMs);
    return true;
}

void TfrmMain::WritePhoneNumFile() const {
    const std::string language =
        ReadWallSetting(kLanguageSection, settings::kLanguageValue, settings::kLanguageDefault);
    const char* section =
        language == settings::kLanguageDefault ? kHandsetSectionEnglish : kHandsetSectionOther;
    const std::string number = ReadWallSetting(section, settings::kPhoneNumberValue, "");
    if (number.empty())
        return;
    // The page does without the number when the file cannot be written.
    WriteFileAtomically(QDir(options_.workingDir).filePath(kPhoneNumFileName).toStdString(),
                        PhoneNumLine(number) + "\r\n");
}

void TfrmMain::CreateWindows() {
    frmDisplay_ = std::make_unique<TfrmDisplay>();
    frmModerate_ = std::make_unique<TfrmModerate>(
        *frmDisplay_, TfrmModerate::Options{options_.clock, options_.stepMs});
    for (const TBillboardItem& item : early_)
        frmModerate_->AddItem(item);
    early_.clear();
    frmPreferences_ = std::make_unique<TfrmPreferences>(engineDir_);
    frmDisplay_->SetTemplateSource([this] { return frmPreferences_->TemplatePath(); });
}

void TfrmMain::OnMessageReceived(const QVariant& msg) {
    TGsmSms record;
    record.FromText(QToAnsi(msg.toString()));
    if (frmModerate_)
        frmModerate_->AddMessage(record);
    else
        early_.push_back(ItemFromRecord(record, options_.clock()));
}

void TfrmMain::OnServerStarted() {
    if (frmDisplay_)
        frmDisplay_->LoadTemplate();
}

void TfrmMain::OnMenuItemClick(const QVariant& name) {
    if (!frmModerate_)
        return;
    const QString command = name.toString();
    if (command == QLatin1String(kModerationItem))
        ShowWindow(frmModerate_.get());
    else if (command == QLatin1String(kConfigurationItem))
        ShowWindow(frmPreferences_.get());
}

void TfrmMain::TimerFileTimer() {
    // A ping waits for the engine's answer with the event loop running; the next tick
    // must not start another meanwhile.
    if (pinging_ || closed_)
        return;
    pinging_ = true;
    try {
        nbMessageServer1_->statusInfo(QStringLiteral("ping"));
    } catch (const std::exception&) {
        Close();
    }
    pinging_ = false;
}

void TfrmMain::CloseByRequest() {
    if (closed_)
        return;
    // The start-up's calls are under way (the client lock may be ours): it ends first.
    if (starting_) {
        closeRequested_ = true;
        return;
    }
    // Leaving on its own, the wall takes its commands out of the engine's menu.
    try {
        nbMessageServer1_->lock();
        nbMessageServer1_->unRegisterMenuItem(QString::fromLatin1(kModerationItem));
        nbMessageServer1_->unRegisterMenuItem(QString::fromLatin1(kConfigurationItem));
        nbMessageServer1_->unlock();
        nbMessageServer1_->logout();
    } catch (const std::exception&) {
        // The engine has gone already.
    }
    Close();
}

void TfrmMain::Close() {
    if (closed_)
        return;
    closed_ = true;
    TimerFile_.stop();
    try {
        nbMessageServer1_->Release();
    } catch (const std::exception&) {
        // The engine has gone already.
    }
    emit closed();
}

}  // namespace nimbra
