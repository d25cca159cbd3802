#include "frmprefphone.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "autodetect.h"
#include "autodetectrunner.h"
#include "controlstate.h"
#include "frmcomport.h"
#include "frmhandset.h"
#include "handsetsettings.h"
#include "modellist.h"
#include "models.h"
#include "notifier.h"
#include "qansi.h"
#include "radiogroup.h"
#include "settingsstore.h"
#include "translation.h"

namespace nimbra::handset {

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString Latin(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The port list is filled afresh each time it drops down.
class PortCombo final : public QComboBox {
public:
    PortCombo(std::function<void()> refill, QWidget* parent)
        : QComboBox(parent), refill_(std::move(refill)) {}
    void showPopup() override {
        refill_();
        QComboBox::showPopup();
    }

private:
    std::function<void()> refill_;
};

}  // namespace

TfrmPrefPhone::TfrmPrefPhone(TfrmHandset& driver, TfrmComport& comport, QWidget* parent)
    : QDialog(parent), driver_(driver), comport_(comport), section_(driver.realName()) {
    setObjectName(QStringLiteral("frmPrefPhone"));
    setWindowTitle(QFromAnsi(section_ + " Configuration"));

    cbGSM_ = Named(new QComboBox(this), pref::kModel);
    cbGSM_->setEditable(true);
    cbGSM_->setMaxVisibleItems(20);
    cbGSM_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string_view model : kPhoneModels)
        cbGSM_->addItem(Latin(model));
    lbComPort_ = Named(new PortCombo([this] { FillPorts(); }, this), pref::kPort);
    lbComPort_->setEditable(true);
    lbComPort_->setInsertPolicy(QComboBox::NoInsert);
    lbComPort_->setEditText(QString::fromLatin1(pref::kPortDefault));
    eAutodetect_ = Named(new QLineEdit(this), "eAutodetect");
    eAutodetect_->setReadOnly(true);
    eAutodetect_->setFrame(false);
    eAutodetect_->setStyleSheet(QStringLiteral("background: transparent"));
    eOperator_ =
        Named(new QLineEdit(QString::fromLatin1(pref::kOperatorDefault), this), pref::kOperator);
    eOperator_->setToolTip(
        QStringLiteral("Specify a unique operator name for your device. e.g.: Vodafone, Westel"));
    ePhoneNumber_ = Named(new QLineEdit(QString::fromLatin1(pref::kPhoneNumberDefault), this),
                          pref::kPhoneNumber);
    eCSCA_ = Named(new QComboBox(this), pref::kServiceCentre);
    eCSCA_->setEditable(true);
    eCSCA_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string_view centre : kServiceCentres)
        eCSCA_->addItem(Latin(centre));
    eCSCA_->setEditText(QString::fromLatin1(pref::kServiceCentreDefault));
    cbSend_ = Named(new QCheckBox(QStringLiteral("Use for sending messages"), this), pref::kSend);
    cbSend_->setChecked(true);
    cbReceive_ =
        Named(new QCheckBox(QStringLiteral("Use for receiving messages"), this), pref::kReceive);
    cbReceive_->setChecked(true);
    cbDeliver_ =
        Named(new QCheckBox(QStringLiteral("Delivery report"), this), pref::kDeliveryReport);
    cbNetwork_ =
        Named(new QCheckBox(QStringLiteral("Network monitoring"), this), pref::kNetworkMonitoring);
    cbNetwork_->setVisible(false);
    QStringList drivers;
    for (const DriverVariant& variant : kDriverVariants)
        drivers << QString::fromLatin1(variant.itemText);
    driverRG_ = Named(new RadioGroup(QStringLiteral(" GSM Driver"), drivers, this), pref::kDriver);
    driverRG_->setItemIndex(kDefaultDriver);
    driverRG_->setVisible(false);

    bPort_ = Named(new QPushButton(QStringLiteral("Port settings"), this), "bPort");
    bTest_ = Named(new QPushButton(QStringLiteral("Test connection"), this), "bTest");
    bAutodetect_ = Named(new QPushButton(QStringLiteral("Autodetect"), this), "bAutodetect");
    bOK_ = Named(new QPushButton(QStringLiteral("OK"), this), "bOK");
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "bCancel");
    for (QPushButton* button : {bPort_, bTest_, bAutodetect_, bOK_, cancel})
        button->setAutoDefault(false);
    connect(bPort_, &QPushButton::clicked, this, &TfrmPrefPhone::bPortClick);
    connect(bTest_, &QPushButton::clicked, this, &TfrmPrefPhone::bTestClick);
    connect(bAutodetect_, &QPushButton::clicked, this, &TfrmPrefPhone::bAutodetectClick);
    connect(bOK_, &QPushButton::clicked, this, &TfrmPrefPhone::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmPrefPhone::reject);
    connect(cbGSM_, &QComboBox::editTextChanged, this, [this] {
        if (!loading_)
            ModelChanged();
    });
    connect(cbGSM_, &QComboBox::textActivated, this, [this] {
        if (!loading_)
            ModelChosen();
    });
    connect(&comport_, &TfrmComport::showDriverList, this, [this] { driverRG_->setVisible(true); });
    comport_.SetDriverSource([this] {
        return std::pair<int, std::string>{DriverIndex(), Model()};
    });

    auto* fields = new QFormLayout;
    fields->addRow(Named(new QLabel(QStringLiteral("Phone:"), this), "lPhone"), cbGSM_);
    fields->addRow(QString(), eAutodetect_);
    fields->addRow(Named(new QLabel(QStringLiteral("Port:"), this), "lPort"), lbComPort_);
    fields->addRow(Named(new QLabel(QStringLiteral("Operator:"), this), "lOperator"), eOperator_);
    fields->addRow(Named(new QLabel(QStringLiteral("GSM device:"), this), "lPhoneNumber"),
                   ePhoneNumber_);
    fields->addRow(Named(new QLabel(QStringLiteral("Service center:"), this), "lCSCA"), eCSCA_);
    auto* switches = new QVBoxLayout;
    switches->addWidget(cbSend_);
    switches->addWidget(cbReceive_);
    switches->addWidget(cbDeliver_);
    switches->addWidget(cbNetwork_);
    auto* actions = new QVBoxLayout;
    actions->addWidget(bPort_);
    actions->addWidget(bTest_);
    actions->addWidget(bAutodetect_);
    actions->addStretch();
    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(switches);
    left->addWidget(driverRG_);
    body->addLayout(left, 1);
    body->addLayout(actions);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bOK_);
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(body);
    column->addLayout(buttons);
    setMinimumWidth(460);
}

TfrmPrefPhone::~TfrmPrefPhone() = default;

void TfrmPrefPhone::Load() {
    loading_ = true;
    FillPorts();
    LoadWindow(section_, this);
    const std::string device = ReadPluginSetting("device", "DeviceString", "");
    if (!device.empty() && device != "select") {
        cbGSM_->clear();
        cbGSM_->addItem(QFromAnsi(device));
        cbGSM_->addItem(Latin(kDummyPhoneModel));
        cbGSM_->setEditText(QFromAnsi(device));
    }
    loading_ = false;
}

std::string TfrmPrefPhone::Model() const {
    return QToAnsi(cbGSM_->currentText());
}

std::string TfrmPrefPhone::PortName() const {
    return QToAnsi(lbComPort_->currentText());
}

int TfrmPrefPhone::DriverIndex() const {
    return driverRG_->itemIndex() < 0 ? kDefaultDriver : driverRG_->itemIndex();
}

void TfrmPrefPhone::FillPorts() {
    const QString shown = lbComPort_->currentText();
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation();
    ports.sort();
    lbComPort_->clear();
    lbComPort_->addItems(ports);
    lbComPort_->setEditText(shown);
}

void TfrmPrefPhone::ModelChanged() {
    const std::string model = Model();
    const int driver = DriverIndexForModel(model, comport_.PduMode());
    driverRG_->setItemIndex(driver);
    if (eAutodetect_->text() != QLatin1String(kAutodetected))
        comport_.ApplyDefaults(driver, model);
}

void TfrmPrefPhone::ModelChosen() {
    eAutodetect_->clear();
    comport_.SetPduMode(true);
    ModelChanged();
}

void TfrmPrefPhone::bPortClick() {
    comport_.setWindowTitle(lbComPort_->currentText() + QStringLiteral(" settings"));
    comport_.setWindowModality(Qt::ApplicationModal);
    comport_.show();
}

OverlaySettings::Values TfrmPrefPhone::Values() const {
    const auto text = [](const QString& value) { return QToAnsi(value); };
    const auto checked = [](const QCheckBox* box) {
        return std::string(box->isChecked() ? "1" : "0");
    };
    return {
        {pref::kModel, Model()},
        {pref::kPort, PortName()},
        {pref::kOperator, text(eOperator_->text())},
        {pref::kPhoneNumber, text(ePhoneNumber_->text())},
        {pref::kServiceCentre, text(eCSCA_->currentText())},
        {pref::kSend, checked(cbSend_)},
        {pref::kReceive, checked(cbReceive_)},
        {pref::kDeliveryReport, checked(cbDeliver_)},
        {pref::kNetworkMonitoring, checked(cbNetwork_)},
        {pref::kDriver, std::to_string(DriverIndex())},
    };
}

void TfrmPrefPhone::bTestClick() {
    if (runner_ || driver_.testRunning())
        return;
    if (Model() == kAutodetectModel) {
        StartAutodetect();
        return;
    }
    // The test uses the port settings as they are now.
    comport_.Save();
    SetBusy(true);
    driver_.TestConnection(Values());
}

void TfrmPrefPhone::bAutodetectClick() {
    // Not a model change: the port settings stay as they are until the device is found.
    loading_ = true;
    cbGSM_->setEditText(Latin(kAutodetectModel));
    loading_ = false;
    bTestClick();
}

void TfrmPrefPhone::TestFinished() {
    SetBusy(false);
}

void TfrmPrefPhone::SetBusy(bool busy) {
    for (QPushButton* button : {bTest_, bAutodetect_, bOK_})
        button->setEnabled(!busy);
}

void TfrmPrefPhone::StartAutodetect() {
    SetBusy(true);
    AutodetectRunner::Window window;
    window.context = this;
    window.status = [this](const std::string& text) { eAutodetect_->setText(QFromAnsi(text)); };
    window.selectSpeed = [this](int baud) { comport_.SetBaud(baud); };
    window.setPduMode = [this](bool on) { comport_.SetPduMode(on); };
    window.done = [this](const std::string& result, const std::string& identification) {
        AutodetectDone(result, identification);
    };
    runner_ =
        std::make_unique<AutodetectRunner>(comport_.LineSettings(PortName()), std::move(window));
}

void TfrmPrefPhone::AutodetectDone(const std::string& result, const std::string& identification) {
    runner_.reset();
    SetBusy(false);
    if (result != kAutodetectOk)
        return;
    ProcessNotifier().ShowMessage(Translate("Successfully detected:") + " " + identification);
    loading_ = true;
    cbGSM_->setEditText(QFromAnsi(identification));
    loading_ = false;
    eAutodetect_->setText(QString::fromLatin1(kAutodetected));
    // The detected speed stays: the model's line settings are not applied.
    ModelChanged();
}

void TfrmPrefPhone::accept() {
    if (Model() == kAutodetectModel) {
        ProcessNotifier().ShowMessage(
            Translate("Nimbra SMS will try to detect your GSM device now!") + "\r\n" +
            Translate("This will take some time. Press OK to start!"));
        bTestClick();
        return;
    }
    SaveWindow(section_, this);
    comport_.Save();
    driver_.PreferencesSaved();
    QDialog::accept();
}

void TfrmPrefPhone::reject() {
    runner_.reset();
    SetBusy(false);
    // Nothing is kept: the next opening shows what is stored.
    Load();
    QDialog::reject();
}

}  // namespace nimbra::handset
