// What the server options window does: filling itself from the engine, the Install,
// Uninstall and Configure commands of devices and plugins, the filter choices, OK and Cancel.
// Every change goes through the engine's installation and option operations.
#include <algorithm>
#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>

#include "adminrefusal.h"
#include "installation.h"
#include "optionsedit.h"
#include "preferencesform.h"
#include "qansi.h"

namespace nimbra::ui {
namespace {

namespace fs = std::filesystem;

// Selects the item of that text, adding it when the list lacks it.
void SelectText(QComboBox* choice, const QString& text) {
    int index = choice->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        choice->addItem(text);
        index = choice->count() - 1;
    }
    choice->setCurrentIndex(index);
}

// The names of the programs in a folder, sorted.
std::vector<std::string> ProgramsIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statError;
        const fs::file_status status = it->status(statError);
        const std::string name = it->path().filename().string();
        if (statError || !fs::is_regular_file(status) || name.starts_with('.'))
            continue;
        if ((status.permissions() & fs::perms::owner_exec) != fs::perms::none)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The text of the list's selected entry, or empty.
std::string Selected(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? std::string() : QToAnsi(items.front()->text());
}

// Fills a list with names, keeping the selected name selected.
void FillList(QListWidget* list, const std::vector<std::string>& names) {
    const std::string selected = Selected(list);
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& name : names) {
        list->addItem(QFromAnsi(name));
        if (name == selected && !selected.empty())
            list->item(list->count() - 1)->setSelected(true);
    }
}

}  // namespace

void TfrmPref::Prepare(Page page) {
    if (!shownBefore_) {
        shownBefore_ = true;
        FirstShowing();
    }
    LoadFields();
    FillGroups();
    ShowCounts();
    ShowDevices();
    ShowPlugins();
    lbHandsets_->clearSelection();
    lbCOMPlugins_->clearSelection();
    pages_->setCurrentIndex(page);
    UpdateButtons();
}

bool TfrmPref::Execute(Page page) {
    Prepare(page);
    return exec() == QDialog::Accepted;
}

void TfrmPref::FirstShowing() {
    const std::string plugins = engine_.PathOf("Plugins");
    std::error_code ec;
    if (!fs::is_directory(plugins, ec) && !fs::create_directories(plugins, ec))
        Tell("Cannot create directory " + fs::absolute(plugins).string());
    for (const std::string& name : ProgramsIn(plugins))
        cbPlugins_->addItem(QFromAnsi(name));
    cbPlugins_->setCurrentIndex(-1);

    const QSignalBlocker quietIn(cbFilterIn_);
    const QSignalBlocker quietOut(cbFilterOut_);
    for (QComboBox* choice : {cbFilterIn_, cbFilterOut_}) {
        choice->addItem(QFromAnsi(kNoFilterInstalled));
        const char* folder = choice == cbFilterIn_ ? "InFilters" : "OutFilters";
        for (const std::string& name : MessageFilter::ListFilters(engine_.PathOf(folder)))
            choice->addItem(QFromAnsi(name));
    }
}

void TfrmPref::LoadFields() {
    loading_ = true;
    for (const OptionSetting& option : ServerOptionSettings(engine_)) {
        const QString name = QString::fromStdString(option.name);
        const QString value = QFromAnsi(option.value);
        if (auto* check = findChild<QCheckBox*>(name))
            check->setChecked(option.value == "1");
        else if (auto* field = findChild<QLineEdit*>(name))
            field->setText(value);
        else if (auto* choice = findChild<QComboBox*>(name); choice && choice != cbContact_)
            SelectText(choice, value);
    }
    loading_ = false;
    triedIn_.clear();
    triedOut_.clear();
}

void TfrmPref::FillGroups() {
    cbContact_->clear();
    for (const std::string& group : engine_.AddressBook().GroupNames())
        cbContact_->addItem(QFromAnsi(group));
    const std::string& chosen = engine_.Options().senderGroup;
    if (!chosen.empty())
        SelectText(cbContact_, QFromAnsi(chosen));
    else if (cbContact_->count() > 0)
        cbContact_->setCurrentIndex(0);
    cbContact_->setEnabled(cbSaveAuto_->isChecked());
}

void TfrmPref::ShowCounts() {
    for (int i = 0; i < 4; ++i)
        counts_[i]->setText(QFromAnsi(engine_.Options().installed[i]));
}

void TfrmPref::ShowDevices() {
    std::vector<std::string> names;
    for (const InstalledDevice& device : InstalledDevices(engine_))
        names.push_back(device.name);
    FillList(lbHandsets_, names);
    UpdateButtons();
}

void TfrmPref::ShowPlugins() {
    FillList(lbCOMPlugins_, engine_.Options().plugins);
    FillList(lbCOMClients_, engine_.ActiveClientsListing());
    UpdateButtons();
}

void TfrmPref::UpdateButtons() {
    const bool device = !lbHandsets_->selectedItems().isEmpty();
    Button("bConfigure")->setEnabled(device);
    Button("bUninstall")->setEnabled(device);
    const bool plugin = !lbCOMPlugins_->selectedItems().isEmpty();
    Button("bPluginConfigure")->setEnabled(plugin);
    Button("bPluginUninstall")->setEnabled(plugin);
}

void TfrmPref::InstallDevice() {
    const auto type = std::find(std::begin(kDeviceTypes), std::end(kDeviceTypes),
                                QToAnsi(cbDeviceType_->currentText()));
    if (type == std::end(kDeviceTypes))
        return;
    try {
        nimbra::InstallDevice(engine_, static_cast<int>(type - std::begin(kDeviceTypes)));
    } catch (const AdminRefusal& refusal) {
        Tell(refusal.what());
    }
    ShowCounts();
}

void TfrmPref::UninstallDevice() {
    if (lbHandsets_->count() == 0) {
        Tell("No devices are installed!");
    } else if (const std::string name = Selected(lbHandsets_); !name.empty()) {
        try {
            nimbra::UninstallDevice(engine_, DeviceKindOfName(name));
        } catch (const AdminRefusal& refusal) {
            Tell(refusal.what());
        }
        ShowCounts();
    }
    const auto& installed = engine_.Options().installed;
    if (std::all_of(std::begin(installed), std::end(installed),
                    [](const std::string& count) { return count == "0"; })) {
        Button("bUninstall")->setEnabled(false);
        Button("bConfigure")->setEnabled(false);
    }
}

void TfrmPref::ConfigureDevice() {
    nimbra::ConfigureDevice(engine_, Selected(lbHandsets_));
}

void TfrmPref::InstallPlugin() {
    if (cbPlugins_->currentIndex() < 0)
        return;
    try {
        nimbra::InstallPlugin(engine_, QToAnsi(cbPlugins_->currentText()));
    } catch (const AdminRefusal& refusal) {
        Tell(refusal.what());
    }
    ShowPlugins();
}

void TfrmPref::UninstallPlugin() {
    const std::string name = Selected(lbCOMPlugins_);
    if (name.empty())
        return;
    try {
        nimbra::UninstallPlugin(engine_, name);
    } catch (const AdminRefusal& refusal) {
        Tell(refusal.what());
        return;
    }
    lbCOMPlugins_->clearSelection();
    ShowPlugins();
    Apply();
}

void TfrmPref::ConfigurePlugin() {
    try {
        nimbra::ConfigurePlugin(engine_, Selected(lbCOMPlugins_));
    } catch (const AdminRefusal& refusal) {
        Tell(refusal.what());
    }
}

void TfrmPref::FilterChosen(bool incoming) {
    if (loading_)
        return;
    QComboBox* choice = incoming ? cbFilterIn_ : cbFilterOut_;
    const std::string name = QToAnsi(choice->currentText());
    (incoming ? engine_.IncomingFilter() : engine_.OutgoingFilter()).Load(name);
    (incoming ? triedIn_ : triedOut_) = name;
}

void TfrmPref::ConfigureFilter(bool incoming) {
    (incoming ? engine_.IncomingFilter() : engine_.OutgoingFilter()).Configure();
}

void TfrmPref::PutBackFilters() {
    const ServerOptions& options = engine_.Options();
    if (!triedIn_.empty() && triedIn_ != options.filterIn)
        engine_.IncomingFilter().Load(options.filterIn);
    if (!triedOut_.empty() && triedOut_ != options.filterOut)
        engine_.OutgoingFilter().Load(options.filterOut);
    triedIn_.clear();
    triedOut_.clear();
}

bool TfrmPref::Apply() {
    std::vector<OptionSetting> changes;
    for (const OptionSetting& option : ServerOptionSettings(engine_)) {
        const QString name = QString::fromStdString(option.name);
        if (const auto* check = findChild<QCheckBox*>(name)) {
            changes.push_back({option.name, check->isChecked() ? "1" : "0"});
        } else if (const auto* field = findChild<QLineEdit*>(name)) {
            if (!field->isReadOnly())
                changes.push_back({option.name, QToAnsi(field->text())});
        } else if (const auto* choice = findChild<QComboBox*>(name)) {
            changes.push_back({option.name, QToAnsi(choice->currentText())});
        }
    }
    try {
        ChangeServerOptions(engine_, changes);
        SaveInstallation(engine_);
    } catch (const AdminRefusal& refusal) {
        Tell(refusal.what());
        return false;
    }
    // The options name the filters now loaded.
    triedIn_.clear();
    triedOut_.clear();
    if (onApplied)
        onApplied();
    return true;
}

void TfrmPref::done(int result) {
    if (result == QDialog::Accepted && !Apply())
        return;
    if (result != QDialog::Accepted)
        PutBackFilters();
    QDialog::done(result);
}

void TfrmPref::showEvent(QShowEvent* event) {
    engine_.preferencesOpen = true;
    FollowEngine(true);
    QDialog::showEvent(event);
}

void TfrmPref::hideEvent(QHideEvent* event) {
    engine_.preferencesOpen = false;
    FollowEngine(false);
    QDialog::hideEvent(event);
}

void TfrmPref::FollowEngine(bool follow) {
    if (follow == following_)
        return;
    following_ = follow;
    if (follow) {
        previousDevicesChange_ = engine_.Devices().onChange;
        previousClientsChange_ = engine_.onClientsChange;
        engine_.Devices().onChange = [this, previous = previousDevicesChange_] {
            if (previous)
                previous();
            ScheduleListRefresh();
        };
        engine_.onClientsChange = [this, previous = previousClientsChange_] {
            if (previous)
                previous();
            ScheduleListRefresh();
        };
    } else {
        engine_.Devices().onChange = std::move(previousDevicesChange_);
        engine_.onClientsChange = std::move(previousClientsChange_);
        previousDevicesChange_ = {};
        previousClientsChange_ = {};
    }
}

void TfrmPref::ScheduleListRefresh() {
    // The lists change while the engine walks them; the window reads them afterwards.
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshPending_ = false;
            ShowDevices();
            ShowPlugins();
        },
        Qt::QueuedConnection);
}

void TfrmPref::Tell(const std::string& text) {
    QMessageBox box(QMessageBox::Information, windowTitle(), QFromAnsi(engine_.Translate(text)),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("PrefMessage"));
    box.exec();
}

}  // namespace nimbra::ui
