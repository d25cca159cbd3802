#pragma once
// TfrmComport, the port settings window: the line settings of the serial port and the
// driver's switches for the device and the engine, kept in the section realName +
// "_comport". OK keeps them; "Default settings" puts the chosen driver's line settings back
// and keeps them. The derived values (the PDU codec options) are applied after loading and
// after OK. Typing "debug:on" into the port name and pressing Enter shows the hidden port log
// and deletion boxes; "debug:rg" asks for the preferences' hidden driver list.

#include <functional>
#include <string>

#include <QDialog>

#include "portsettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;

namespace nimbra {
class RadioGroup;
}

namespace nimbra::handset {

class TfrmComport final : public QDialog {
    Q_OBJECT
public:
    TfrmComport(std::string section, QWidget* parent = nullptr);

    // The stored state, then the derived values.
    void Load();
    // Keeps every control in the section.
    void Save();
    // The chosen driver's line settings, kept at once.
    void ApplyDefaults(int driverIndex, const std::string& model);
    // The driver and model "Default settings" uses.
    void SetDriverSource(std::function<std::pair<int, std::string>()> source) {
        driverSource_ = std::move(source);
    }

    int Baud() const;
    // A speed of the list; others are ignored.
    void SetBaud(int baud);
    bool PduMode() const;
    void SetPduMode(bool on);
    // The line settings the controls show, for portName.
    PortSettings LineSettings(const std::string& portName) const;

    void accept() override;
    void reject() override;

signals:
    // "debug:rg" was entered.
    void showDriverList();

private:
    void PortNameEntered();
    void ApplyDerived();

    std::string section_;
    std::function<std::pair<int, std::string>()> driverSource_;

    QTabWidget* tabs_;
    QLineEdit* ePortName_;
    QLineEdit* eMemSize_;
    QComboBox* prefmem_;
    RadioGroup* rgBaud_;
    RadioGroup* rgData_;
    RadioGroup* rgParity_;
    RadioGroup* rgStop_;
    RadioGroup* rgHWF_;
    RadioGroup* rgSW_;
    QCheckBox* cbPort2_;
    QCheckBox* cbLogCom_;
    QCheckBox* cbDelSMS_;
    QCheckBox* cbConvertGSMChars_;
    QCheckBox* cbConvUnicode_;
    QCheckBox* cbPDU_;
    QCheckBox* eIncludeCSCA_;
    QPlainTextEdit* mModemInit2_;
    QLineEdit* eDelayIn_;
    QCheckBox* cbDonotdel_;
    QLineEdit* eTimeout_;
    QRadioButton* rTOSent_;
    QRadioButton* rTONotSent_;
    QLineEdit* eDelayOut_;
    QCheckBox* cbPduMode_;
};

}  // namespace nimbra::handset
