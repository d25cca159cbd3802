#pragma once
// TfrmPref, the "Server Options" window: the installed devices and plugins with their Install,
// Uninstall and Configure commands, the start-up and message-handling options, the message
// filters and the date format of the message list. It is a view over the engine's
// installation and option operations: installs and uninstalls take effect (and are saved) at
// once, OK checks, applies and saves the options, Cancel saves nothing and puts back the
// filters the window loaded to try them.
//
// The components keep the names under which the options are stored ("eSendRetries",
// "cbWav", ...), so that the window fills itself from the engine's option list by name.
#include <functional>
#include <string>

#include <QDialog>

#include "engine.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace nimbra::ui {

// The item texts of the device kinds in the choice list, in the order of kDeviceKinds.
inline constexpr const char* kDeviceTypes[] = {
    "GSM device for SMS messaging",
    "UCP connection to the SMSC",
    "SMPP connection to the SMSC",
    "CIMD2 connection to the SMSC",
};

class TfrmPref final : public QDialog {
    Q_OBJECT
public:
    enum Page { DevicePage = 0, MessagePage = 1, PluginPage = 2, FilterPage = 3 };

    explicit TfrmPref(Engine& engine, QWidget* parent = nullptr);
    ~TfrmPref() override;

    // Fills the window from the engine and selects page; the caller then shows it.
    void Prepare(Page page);
    // Prepare, then modal; true when OK saved the options.
    bool Execute(Page page);
    // After OK (or an uninstalled plugin) applied the options to the engine.
    std::function<void()> onApplied;

    // Checks, applies and saves the options as OK does; false (the operator told) when an
    // option is not valid.
    bool Apply();

    // The buttons, for the tests and the language files.
    QPushButton* Button(const char* name) const;
    QTabWidget* Pages() const { return pages_; }

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Building (preferencesform.cpp).
    QWidget* CreateDevicePage();
    QWidget* CreateMessagePage();
    QWidget* CreatePluginPage();
    QWidget* CreateFilterPage();
    QLineEdit* NewField(const char* name, int width);
    QCheckBox* NewCheck(const char* name, const char* caption);
    QPushButton* NewButton(const char* name, const char* caption);

    // Behaviour (preferencesactions.cpp).
    void FirstShowing();
    void LoadFields();
    void FillGroups();
    void ShowDevices();
    void ShowPlugins();
    void ShowCounts();
    void UpdateButtons();
    void InstallDevice();
    void UninstallDevice();
    void ConfigureDevice();
    void InstallPlugin();
    void UninstallPlugin();
    void ConfigurePlugin();
    void FilterChosen(bool incoming);
    void ConfigureFilter(bool incoming);
    // Loads the filters of the options again when the window tried others.
    void PutBackFilters();
    // Follows the engine's device and client lists while shown.
    void FollowEngine(bool follow);
    void ScheduleListRefresh();
    // A plain message box with the translated text.
    void Tell(const std::string& text);

    Engine& engine_;
    bool shownBefore_ = false;
    bool refreshPending_ = false;
    bool following_ = false;
    // While the fields are filled, a filter choice is not a change of the operator's.
    bool loading_ = false;
    // The filters the window loaded to try them; empty while it loaded none.
    std::string triedIn_;
    std::string triedOut_;
    std::function<void()> previousDevicesChange_;
    std::function<void()> previousClientsChange_;

    QTabWidget* pages_ = nullptr;
    QListWidget* lbHandsets_ = nullptr;
    QComboBox* cbDeviceType_ = nullptr;
    QLineEdit* counts_[4] = {};
    QCheckBox* cbSaveAuto_ = nullptr;
    QComboBox* cbContact_ = nullptr;
    QComboBox* cbPlugins_ = nullptr;
    QListWidget* lbCOMPlugins_ = nullptr;
    QListWidget* lbCOMClients_ = nullptr;
    QComboBox* cbFilterIn_ = nullptr;
    QComboBox* cbFilterOut_ = nullptr;
};

}  // namespace nimbra::ui
