#pragma once
// TfrmPrefPhone, the configuration window of the GSM driver: the phone model (any of the
// list or any text), the port (the system's serial ports or any typed device path), the
// operator, the device's own number, the service centre, the send / receive / delivery
// report switches, and the buttons for the port settings, a test connection and device
// autodetection. Kept in the section of the driver's realName by OK; Cancel forgets what was
// changed. A model change chooses the driver and, unless the model came from autodetection,
// the driver's line settings.

#include <memory>
#include <string>

#include <QDialog>

#include "overlaysettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace nimbra {
class RadioGroup;
}

namespace nimbra::handset {

class AutodetectRunner;
class TfrmComport;
class TfrmHandset;

class TfrmPrefPhone final : public QDialog {
    Q_OBJECT
public:
    TfrmPrefPhone(TfrmHandset& driver, TfrmComport& comport, QWidget* parent = nullptr);
    ~TfrmPrefPhone() override;

    // The stored state; the "DeviceString" of the "device" section cuts the model list down
    // to that model (and the test phone).
    void Load();

    std::string Model() const;
    std::string PortName() const;
    int DriverIndex() const;
    bool Detecting() const { return runner_ != nullptr; }

    // The buttons.
    void bPortClick();
    void bTestClick();
    void bAutodetectClick();
    void accept() override;
    void reject() override;

    // A test connection has been reported.
    void TestFinished();

private:
    // Typing or choosing a model.
    void ModelChanged();
    // Choosing a model from the list.
    void ModelChosen();
    void FillPorts();
    void StartAutodetect();
    void AutodetectDone(const std::string& result, const std::string& identification);
    void SetBusy(bool busy);
    // The window's values as they would be kept.
    OverlaySettings::Values Values() const;

    TfrmHandset& driver_;
    TfrmComport& comport_;
    std::string section_;
    bool loading_ = false;
    std::unique_ptr<AutodetectRunner> runner_;

    QComboBox* cbGSM_;
    QComboBox* lbComPort_;
    QLineEdit* eAutodetect_;
    QLineEdit* eOperator_;
    QLineEdit* ePhoneNumber_;
    QComboBox* eCSCA_;
    QCheckBox* cbSend_;
    QCheckBox* cbReceive_;
    QCheckBox* cbDeliver_;
    QCheckBox* cbNetwork_;
    RadioGroup* driverRG_;
    QPushButton* bPort_;
    QPushButton* bTest_;
    QPushButton* bAutodetect_;
    QPushButton* bOK_;
};

}  // namespace nimbra::handset
