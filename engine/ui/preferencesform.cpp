// The server options window's pages and components.
#include "preferencesform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogbuttons.h"
#include "serveroptions.h"

namespace nimbra::ui {
namespace {

constexpr const char* kCountCaptions[] = {
    "GSM devices:",
    "UCP connections:",
    "SMPP connections:",
    "CIMD2 connections:",
};

QGroupBox* NewGroup(QWidget* parent, const char* name, const char* caption) {
    auto* group = new QGroupBox(QString::fromLatin1(caption), parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QListWidget* NewList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QComboBox* NewChoice(QWidget* parent, const char* name) {
    auto* choice = new QComboBox(parent);
    choice->setObjectName(QString::fromLatin1(name));
    choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    choice->setMinimumContentsLength(24);
    return choice;
}

// A column of buttons beside a list, at its top.
QVBoxLayout* ButtonColumn(std::initializer_list<QPushButton*> buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch(1);
    return column;
}

}  // namespace

TfrmPref::TfrmPref(Engine& engine, QWidget* parent) : QDialog(parent), engine_(engine) {
    setObjectName(QStringLiteral("PrefForm"));
    setWindowTitle(QStringLiteral("Server Options"));
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->addTab(CreateDevicePage(), QStringLiteral("&GSM Device"));
    pages_->addTab(CreateMessagePage(), QStringLiteral("Message handling"));
    pages_->addTab(CreatePluginPage(), QStringLiteral("Plugins"));
    pages_->addTab(CreateFilterPage(), QStringLiteral("Message filter"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(OkCancelButtons(this));
    resize(560, 470);

    const auto onClick = [this](const char* name, void (TfrmPref::*action)()) {
        connect(Button(name), &QPushButton::clicked, this, action);
    };
    onClick("bInstall", &TfrmPref::InstallDevice);
    onClick("bUninstall", &TfrmPref::UninstallDevice);
    onClick("bConfigure", &TfrmPref::ConfigureDevice);
    onClick("bPluginInstall", &TfrmPref::InstallPlugin);
    onClick("bPluginUninstall", &TfrmPref::UninstallPlugin);
    onClick("bPluginConfigure", &TfrmPref::ConfigurePlugin);
    connect(Button("bFilterInConfig"), &QPushButton::clicked, this,
            [this] { ConfigureFilter(true); });
    connect(Button("bFilterOutConfig"), &QPushButton::clicked, this,
            [this] { ConfigureFilter(false); });
    connect(cbFilterIn_, &QComboBox::currentIndexChanged, this, [this] { FilterChosen(true); });
    connect(cbFilterOut_, &QComboBox::currentIndexChanged, this, [this] { FilterChosen(false); });
    for (QListWidget* list : {lbHandsets_, lbCOMPlugins_})
        connect(list, &QListWidget::itemSelectionChanged, this, &TfrmPref::UpdateButtons);
}

TfrmPref::~TfrmPref() {
    FollowEngine(false);
}

QLineEdit* TfrmPref::NewField(const char* name, int width) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    field->setFixedWidth(width);
    return field;
}

QCheckBox* TfrmPref::NewCheck(const char* name, const char* caption) {
    auto* check = new QCheckBox(QString::fromLatin1(caption), this);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}

QPushButton* TfrmPref::NewButton(const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QPushButton* TfrmPref::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

QWidget* TfrmPref::CreateDevicePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsGSMDevice"));

    QGroupBox* installed = NewGroup(page, "gbHandsets", "Installed GSM telephones");
    lbHandsets_ = NewList(installed, "lbHandsets");
    auto* installedLayout = new QHBoxLayout(installed);
    installedLayout->addWidget(lbHandsets_, 1);
    installedLayout->addLayout(
        ButtonColumn({NewButton("bConfigure", "Configure"), NewButton("bUninstall", "Uninstall")}));

    QGroupBox* install = NewGroup(page, "gbInstall", "Install a new device");
    cbDeviceType_ = NewChoice(install, "cbDeviceType");
    for (const char* type : kDeviceTypes)
        cbDeviceType_->addItem(QString::fromLatin1(type));
    auto* counts = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        counts_[i] = NewField(kDeviceKinds[i].countOption, 44);
        counts_[i]->setReadOnly(true);
        counts_[i]->setFocusPolicy(Qt::NoFocus);
        const std::string labelName = std::string("lbl") + kDeviceKinds[i].countOption;
        counts->addWidget(NewLabel(install, labelName.c_str(), kCountCaptions[i]), i / 2,
                          (i % 2) * 2);
        counts->addWidget(counts_[i], i / 2, (i % 2) * 2 + 1);
    }
    counts->setColumnStretch(1, 1);
    counts->setColumnStretch(3, 1);
    auto* choose = new QHBoxLayout;
    choose->addWidget(cbDeviceType_, 1);
    choose->addWidget(NewButton("bInstall", "Install"));
    auto* installLayout = new QVBoxLayout(install);
    installLayout->addLayout(choose);
    installLayout->addLayout(counts);

    QGroupBox* startup = NewGroup(page, "gbStartup", "Start-up");
    auto* autostart = new QHBoxLayout;
    autostart->addWidget(NewCheck("cbStartup2", "Autostart server session "));
    autostart->addWidget(NewField("eAutoStart", 50));
    autostart->addWidget(NewLabel(startup, "lblAutoStart", "seconds after start-up"));
    autostart->addStretch(1);
    auto* startupLayout = new QVBoxLayout(startup);
    startupLayout->addLayout(autostart);
    startupLayout->addWidget(NewCheck("cbShmon", "&Show monitor at startup"));
    startupLayout->addWidget(NewCheck("cbtips", "&Show tips"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(installed, 1);
    layout->addWidget(install);
    layout->addWidget(startup);
    return page;
}

QWidget* TfrmPref::CreateMessagePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsMessages"));

    QGroupBox* incoming = NewGroup(page, "gbIncoming", "Incoming messages");
    cbSaveAuto_ = NewCheck("cbSaveAuto", "Save the sender's number in the address book");
    cbContact_ = NewChoice(incoming, "cbContact");
    auto* group = new QHBoxLayout;
    group->addSpacing(22);
    group->addWidget(NewLabel(incoming, "lblContact", "Group:"));
    group->addWidget(cbContact_, 1);
    auto* incomingLayout = new QVBoxLayout(incoming);
    incomingLayout->addWidget(cbSaveAuto_);
    incomingLayout->addLayout(group);
    incomingLayout->addWidget(
        NewCheck("cbAutoSort", "Sort incoming messages into folders by address group"));
    incomingLayout->addWidget(
        NewCheck("cbDailyLog", "Move incoming messages to a new folder each day"));
    incomingLayout->addWidget(NewCheck("cbWav", "Play a sound when a message arrives"));
    connect(cbSaveAuto_, &QCheckBox::toggled, cbContact_, &QWidget::setEnabled);

    QGroupBox* stored = NewGroup(page, "gbStored", "Stored messages");
    auto* older = new QHBoxLayout(stored);
    older->addWidget(NewLabel(stored, "lblOlder", "Delete messages older than"));
    older->addWidget(NewField("eOlder", 50));
    older->addWidget(NewLabel(stored, "lblOlderDays", "days (0 keeps them)"));
    older->addStretch(1);

    QGroupBox* sending = NewGroup(page, "gbSending", "Sending");
    auto* sendingLayout = new QFormLayout(sending);
    sendingLayout->addRow(NewLabel(sending, "lblSendRetries", "Send retries:"),
                          NewField("eSendRetries", 50));
    sendingLayout->addRow(NewLabel(sending, "lblResendDelay", "Minutes between resends:"),
                          NewField("eResendDelay", 50));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(incoming);
    layout->addWidget(stored);
    layout->addWidget(sending);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmPref::CreatePluginPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsPlugins"));

    QGroupBox* available = NewGroup(page, "gbAvailable", "Available plugins");
    cbPlugins_ = NewChoice(available, "cbPlugins");
    cbPlugins_->setPlaceholderText(QStringLiteral("Please select a plugin"));
    auto* availableLayout = new QHBoxLayout(available);
    availableLayout->addWidget(cbPlugins_, 1);
    availableLayout->addWidget(NewButton("bPluginInstall", "&Install"));

    QGroupBox* installed = NewGroup(page, "gbPlugins", "Installed plugins");
    lbCOMPlugins_ = NewList(installed, "lbCOMPlugins");
    auto* installedLayout = new QHBoxLayout(installed);
    installedLayout->addWidget(lbCOMPlugins_, 1);
    installedLayout->addLayout(ButtonColumn({NewButton("bPluginConfigure", "&Configure"),
                                             NewButton("bPluginUninstall", "&Uninstall")}));

    QGroupBox* active = NewGroup(page, "gbClients", "Currently active plugins");
    lbCOMClients_ = NewList(active, "lbCOMClients");
    lbCOMClients_->setSelectionMode(QAbstractItemView::NoSelection);
    auto* activeLayout = new QVBoxLayout(active);
    activeLayout->addWidget(lbCOMClients_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(available);
    layout->addWidget(installed, 1);
    layout->addWidget(active, 1);
    return page;
}

QWidget* TfrmPref::CreateFilterPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsFilter"));

    QLabel* about = NewLabel(page, "lblFilters",
                             "A message filter may change the text and the number of a message "
                             "before it is sent or after it is received.");
    about->setWordWrap(true);

    QGroupBox* filters = NewGroup(page, "gbFilters", "Message filters");
    cbFilterIn_ = NewChoice(filters, "cbFilterIn");
    cbFilterOut_ = NewChoice(filters, "cbFilterOut");
    auto* filterLayout = new QGridLayout(filters);
    filterLayout->addWidget(NewLabel(filters, "lblFilterIn", "Incoming message filter:"), 0, 0, 1,
                            2);
    filterLayout->addWidget(cbFilterIn_, 1, 0);
    filterLayout->addWidget(NewButton("bFilterInConfig", "Configuration"), 1, 1);
    filterLayout->addWidget(NewLabel(filters, "lblFilterOut", "Outgoing message filter:"), 2, 0, 1,
                            2);
    filterLayout->addWidget(cbFilterOut_, 3, 0);
    filterLayout->addWidget(NewButton("bFilterOutConfig", "Configuration"), 3, 1);
    filterLayout->setColumnStretch(0, 1);

    QGroupBox* dates = NewGroup(page, "gbDates", "Message list");
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(NewLabel(dates, "lblDateFormat", "Date format of the \"Time\" column:"));
    dateRow->addWidget(NewField("eDateFormat", 160));
    dateRow->addStretch(1);
    QLabel* hint = NewLabel(dates, "lblDateHint",
                            "For example yyyy-mm-dd hh:nn:ss; c is the system's short date and "
                            "long time.");
    hint->setWordWrap(true);
    auto* datesLayout = new QVBoxLayout(dates);
    datesLayout->addLayout(dateRow);
    datesLayout->addWidget(hint);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(about);
    layout->addSpacing(6);
    layout->addWidget(filters);
    layout->addWidget(dates);
    layout->addStretch(1);
    return page;
}

}  // namespace nimbra::ui
