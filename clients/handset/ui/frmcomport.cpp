#include "frmcomport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controlstate.h"
#include "handsetsettings.h"
#include "models.h"
#include "pducoder.h"
#include "radiogroup.h"

namespace nimbra::handset {

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Label(const char* name, const char* caption, QWidget* parent) {
    return Named(new QLabel(QString::fromLatin1(caption), parent), name);
}

QCheckBox* Box(const char* name, const char* caption, bool checked, QWidget* parent) {
    auto* box = Named(new QCheckBox(QString::fromLatin1(caption), parent), name);
    box->setChecked(checked);
    return box;
}

QLineEdit* Edit(const char* name, const char* text, QWidget* parent) {
    return Named(new QLineEdit(QString::fromLatin1(text), parent), name);
}

RadioGroup* Group(const char* name, const char* title, const QStringList& items, int selected,
                  QWidget* parent) {
    auto* group = Named(new RadioGroup(QString::fromLatin1(title), items, parent), name);
    group->setItemIndex(selected);
    return group;
}

QStringList BaudItems() {
    QStringList items;
    for (const int baud : kBaudRates)
        items << QString::number(baud);
    return items;
}

// The window's radio groups as the stored positions the port settings are read from.
class GroupValues final : public StoredPortValues {
public:
    explicit GroupValues(const QObject& window) : window_(window) {}
    std::string Value(std::string_view name) const override {
        const auto* group = window_.findChild<RadioGroup*>(QString::fromLatin1(name));
        return group ? std::to_string(group->itemIndex()) : std::string();
    }

private:
    const QObject& window_;
};

}  // namespace

TfrmComport::TfrmComport(std::string section, QWidget* parent)
    : QDialog(parent), section_(std::move(section)) {
    setObjectName(QStringLiteral("frmComport"));
    setWindowTitle(QStringLiteral("COM1 settings"));
    tabs_ = Named(new QTabWidget(this), "PageControl1");

    // "Port settings"
    auto* portPage = Named(new QWidget, "tsPort");
    ePortName_ = Edit("ePortName", "", portPage);
    eMemSize_ = Edit(port::kMemorySize, "10", portPage);
    prefmem_ = Named(new QComboBox(portPage), port::kPreferredMemory);
    prefmem_->addItems({QStringLiteral("Auto"), QStringLiteral("SIM"), QStringLiteral("Device"),
                        QStringLiteral("Both")});
    prefmem_->setCurrentIndex(3);
    rgBaud_ = Group(kBaudValue, " Speed (baud rate) ", BaudItems(), BaudPosition(19200), portPage);
    rgData_ = Group(kDataValue, " Data bits",
                    {QStringLiteral("5 bits"), QStringLiteral("6 bits"), QStringLiteral("7 bits"),
                     QStringLiteral("8 bits")},
                    3, portPage);
    rgParity_ = Group(kParityValue, " Parity ",
                      {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                       QStringLiteral("Mark"), QStringLiteral("Space")},
                      0, portPage);
    rgStop_ =
        Group(kStopValue, " Stop bits ",
              {QStringLiteral("1 bits"), QStringLiteral("1 half bits"), QStringLiteral("2 bits")},
              0, portPage);
    rgHWF_ =
        Group(kHwFlowValue, "HW Handshake ",
              {QStringLiteral("None"), QStringLiteral("None Rts On"), QStringLiteral("Rts/Cts")}, 2,
              portPage);
    rgSW_ = Group(kSwFlowValue, "SW Handshake",
                  {QStringLiteral("None"), QStringLiteral("XON/XOFF")}, 0, portPage);
    cbPort2_ = Box(port::kViewLog, "&View Port Communication", false, portPage);
    cbLogCom_ = Box(port::kLogToFile, "&Log Port Communication", false, portPage);
    cbDelSMS_ = Box(port::kDeleteRead, "Del SMS", true, portPage);
    for (QCheckBox* hidden : {cbPort2_, cbLogCom_, cbDelSMS_})
        hidden->setVisible(false);

    auto* portFields = new QFormLayout;
    portFields->addRow(Label("lPortName", "Port name: ", portPage), ePortName_);
    portFields->addRow(Label("lMemSize", "Phone memory size: ", portPage), eMemSize_);
    portFields->addRow(Label("lPrefmem", "Prefered memory: ", portPage), prefmem_);
    auto* groups = new QGridLayout;
    groups->addWidget(rgBaud_, 0, 0, 3, 1);
    groups->addWidget(rgData_, 0, 1);
    groups->addWidget(rgParity_, 1, 1, 2, 1);
    groups->addWidget(rgStop_, 0, 2);
    groups->addWidget(rgHWF_, 1, 2);
    groups->addWidget(rgSW_, 2, 2);
    auto* portColumn = new QVBoxLayout(portPage);
    portColumn->addLayout(portFields);
    portColumn->addLayout(groups);
    portColumn->addWidget(cbPort2_);
    portColumn->addWidget(cbLogCom_);
    portColumn->addWidget(cbDelSMS_);
    portColumn->addStretch();
    tabs_->addTab(portPage, QStringLiteral("Port settings"));

    // "Server communication settings"
    auto* serverPage = Named(new QWidget, "tsServer");
    cbConvertGSMChars_ =
        Box(port::kConvertGsmChars, "Convert 7bit SMS characters to ANSI", true, serverPage);
    cbConvUnicode_ =
        Box(port::kConvertUnicode, "Convert unicode SMS charcters to ANSI", false, serverPage);
    cbPDU_ = Box(port::kDecodePdu, "Decode PDU received from the GSM device", true, serverPage);
    eIncludeCSCA_ = Box(port::kIncludeServiceCentre, "Include Service Center Address in PDU", false,
                        serverPage);
    cbPduMode_ = Box(port::kPduMode, "PDU mode", true, serverPage);

    auto* initGroup =
        Named(new QGroupBox(QStringLiteral(" GSM modem initializatin "), serverPage), "gbInit");
    mModemInit2_ = Named(new QPlainTextEdit(QStringLiteral("AT"), initGroup), port::kModemInit);
    mModemInit2_->setFixedHeight(60);
    (new QVBoxLayout(initGroup))->addWidget(mModemInit2_);

    auto* inGroup = Named(new QGroupBox(QStringLiteral(" Incoming messages "), serverPage), "gbIn");
    eDelayIn_ = Edit(port::kDelayIn, "0", inGroup);
    cbDonotdel_ = Box(port::kLeaveOnDevice,
                      "Leave incoming messages on the Device and the SIM card", false, inGroup);
    auto* inDelay = new QHBoxLayout;
    inDelay->addWidget(Label("lDelayIn", "Delay", inGroup));
    inDelay->addWidget(eDelayIn_);
    inDelay->addWidget(Label("lDelayInUnit", "seconds", inGroup));
    inDelay->addStretch();
    auto* inColumn = new QVBoxLayout(inGroup);
    inColumn->addLayout(inDelay);
    inColumn->addWidget(cbDonotdel_);

    auto* outGroup =
        Named(new QGroupBox(QStringLiteral(" Outgoing messages "), serverPage), "gbOut");
    eTimeout_ = Edit(port::kTimeout, "15", outGroup);
    rTOSent_ = Named(new QRadioButton(QStringLiteral("sent"), outGroup), port::kTimeoutSent);
    rTONotSent_ =
        Named(new QRadioButton(QStringLiteral("not sent"), outGroup), port::kTimeoutNotSent);
    rTOSent_->setChecked(true);
    eDelayOut_ = Edit(port::kDelayOut, "2", outGroup);
    for (QLineEdit* number : {eDelayIn_, eTimeout_, eDelayOut_})
        number->setMaximumWidth(60);
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(
        Label("lTimeout", "If there is no response from the SMSC after", outGroup));
    timeoutRow->addWidget(eTimeout_);
    timeoutRow->addWidget(Label("lTimeoutUnit", "seconds", outGroup));
    timeoutRow->addStretch();
    auto* consideredRow = new QHBoxLayout;
    consideredRow->addWidget(Label("lConsidered", "the message is considered ", outGroup));
    consideredRow->addWidget(rTOSent_);
    consideredRow->addWidget(rTONotSent_);
    consideredRow->addStretch();
    auto* outDelay = new QHBoxLayout;
    outDelay->addWidget(Label("lDelayOut", "Delay", outGroup));
    outDelay->addWidget(eDelayOut_);
    outDelay->addWidget(Label("lDelayOutUnit", "seconds", outGroup));
    outDelay->addStretch();
    auto* outColumn = new QVBoxLayout(outGroup);
    outColumn->addLayout(timeoutRow);
    outColumn->addLayout(consideredRow);
    outColumn->addLayout(outDelay);

    auto* serverColumn = new QVBoxLayout(serverPage);
    serverColumn->addWidget(cbConvertGSMChars_);
    serverColumn->addWidget(cbConvUnicode_);
    serverColumn->addWidget(cbPDU_);
    serverColumn->addWidget(eIncludeCSCA_);
    serverColumn->addWidget(cbPduMode_);
    serverColumn->addWidget(initGroup);
    serverColumn->addWidget(inGroup);
    serverColumn->addWidget(outGroup);
    serverColumn->addStretch();
    tabs_->addTab(serverPage, QStringLiteral("Server communication settings"));

    auto* ok = Named(new QPushButton(QStringLiteral("&OK")), "Button1");
    ok->setDefault(false);
    ok->setAutoDefault(false);
    auto* cancel = Named(new QPushButton(QStringLiteral("&Cancel")), "Button2");
    cancel->setAutoDefault(false);
    auto* defaults = Named(new QPushButton(QStringLiteral("Default settings")), "bDefault");
    defaults->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TfrmComport::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmComport::reject);
    connect(defaults, &QPushButton::clicked, this, [this] {
        const auto [driver, model] =
            driverSource_ ? driverSource_() : std::pair<int, std::string>{kDefaultDriver, ""};
        ApplyDefaults(driver, model);
    });
    connect(ePortName_, &QLineEdit::returnPressed, this, &TfrmComport::PortNameEntered);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaults);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs_);
    column->addLayout(buttons);
}

void TfrmComport::Load() {
    LoadWindow(section_, this);
    ApplyDerived();
}

void TfrmComport::Save() {
    SaveWindow(section_, this);
}

void TfrmComport::ApplyDefaults(int driverIndex, const std::string& model) {
    const PortDefaults defaults = PortDefaultsFor(driverIndex, model);
    SetBaud(defaults.baud);
    rgData_->setItemIndex(defaults.dataBitsIndex);
    rgStop_->setItemIndex(defaults.stopBitsIndex);
    rgParity_->setItemIndex(defaults.parityIndex);
    rgHWF_->setItemIndex(defaults.hwFlowIndex);
    rgSW_->setItemIndex(defaults.swFlowIndex);
    Save();
}

int TfrmComport::Baud() const {
    const int position = rgBaud_->itemIndex();
    return position < 0 ? 0 : kBaudRates[static_cast<std::size_t>(position)];
}

void TfrmComport::SetBaud(int baud) {
    const int position = BaudPosition(baud);
    if (position >= 0)
        rgBaud_->setItemIndex(position);
}

bool TfrmComport::PduMode() const {
    return cbPduMode_->isChecked();
}

void TfrmComport::SetPduMode(bool on) {
    cbPduMode_->setChecked(on);
}

PortSettings TfrmComport::LineSettings(const std::string& portName) const {
    return ReadPortSettings(GroupValues(*this), portName, PortDefaults{});
}

void TfrmComport::accept() {
    Save();
    ApplyDerived();
    QDialog::accept();
}

void TfrmComport::reject() {
    // What was changed and not kept goes back to what is stored.
    LoadWindow(section_, this);
    QDialog::reject();
}

void TfrmComport::ApplyDerived() {
    PduCodecOptions codec;
    codec.convert7Bit = cbConvertGSMChars_->isChecked();
    codec.includeSmsc = eIncludeCSCA_->isChecked();
    codec.decodePdu = cbPDU_->isChecked();
    SetPduCodecOptions(codec);
}

void TfrmComport::PortNameEntered() {
    const QString word = ePortName_->text().trimmed();
    if (word == QLatin1String("debug:on")) {
        for (QCheckBox* hidden : {cbPort2_, cbLogCom_, cbDelSMS_})
            hidden->setVisible(true);
    } else if (word == QLatin1String("debug:rg")) {
        emit showDriverList();
    }
}

}  // namespace nimbra::handset
