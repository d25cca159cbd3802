// The GSM driver's windows on the offscreen platform: the real main window logged in to the
// real engine, the modem simulator on a pseudo-terminal, the operator's clicks through QTest.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "event_wait.h"
#include "file_text.h"
#include "frmcomport.h"
#include "frmfilephone.h"
#include "frmhandset.h"
#include "frmprefphone.h"
#include "frmsignal.h"
#include "frmtestphone.h"
#include "handsetwindows.h"
#include "keypath.h"
#include "radiogroup.h"
#include "recording_notifier.h"
#include "running_engine.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "simulator_process.h"
#include "timings.h"
#include "translation.h"

namespace nimbra::handset::testing {
namespace {

namespace fs = std::filesystem;
using com::TnbMessageServerProxy;
using com::TransmitEngine;
using testing_support::ModemSimulatorProcess;
using testing_support::ProcessEventsUntil;

constexpr int kTimeoutMs = 30000;
const char kName[] = "GSM Device1";
const std::string kPortSection = std::string(kName) + "_comport";

class HandsetWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("NIMBRA_SETTINGS_DIR", engine_.settings().c_str(), 1);
        ::setenv(kTimeScaleVariable, "0.05", 1);
        engine_.WriteServerSetting("eInstalledNumber", "0");
        engine_.Start();
    }
    void TearDown() override {
        driver_.reset();
        modem_.reset();
        ::unsetenv("NIMBRA_SETTINGS_DIR");
        ::unsetenv(kTimeScaleVariable);
    }

    void StartModem(std::vector<std::string> options) {
        modem_ = std::make_unique<ModemSimulatorProcess>(MODEMSIM, std::move(options));
    }
    void SetPref(const std::string& name, const std::string& value) {
        WritePluginSetting(kName, name, value);
    }
    static std::string Pref(const std::string& name) { return ReadPluginSetting(kName, name, ""); }
    static std::string PortValue(const std::string& name) {
        return ReadPluginSetting(kPortSection, name, "");
    }

    TfrmHandset& Driver() {
        if (!driver_) {
            driver_ = std::make_unique<TfrmHandset>(TransmitEngine::Attach(engine_.Connect()));
            driver_->SetWindowFactory(
                [](TfrmHandset& driver) { return std::make_unique<HandsetWindows>(driver); });
            EXPECT_TRUE(driver_->FormCreate());
            driver_->CreateWindows();
        }
        return *driver_;
    }
    HandsetWindows& Windows() { return *static_cast<HandsetWindows*>(Driver().windows()); }
    TfrmPrefPhone& Prefs() { return Windows().preferences(); }
    TfrmComport& Comport() { return Windows().comport(); }
    template <typename T>
    static T* Child(QWidget& window, const char* name) {
        T* child = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QComboBox* Model() { return Child<QComboBox>(Prefs(), "cbGSM"); }
    void Click(QWidget& window, const char* button) {
        QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton);
    }
    // The operator picks a model from the list.
    void ChooseModel(const QString& name) {
        QComboBox* model = Model();
        const int index = model->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        model->setCurrentIndex(index);
        emit model->textActivated(name);
    }
    bool Told(const std::string& message) {
        return ProcessEventsUntil(
            [&] {
                for (const std::string& text : notifier_.messages()) {
                    if (text == message)
                        return true;
                }
                return false;
            },
            kTimeoutMs);
    }
    // Autodetection on the modem's terminal, from the Autodetect button.
    void Autodetect() {
        Child<QComboBox>(Prefs(), "lbComPort")
            ->setEditText(QString::fromStdString(modem_->device()));
        Click(Prefs(), "bAutodetect");
        EXPECT_TRUE(Prefs().Detecting()) << "detection runs beside the window";
        EXPECT_TRUE(ProcessEventsUntil([&] { return !Prefs().Detecting(); }, kTimeoutMs));
    }
    void StartServer() {
        client_ =
            std::make_unique<TnbMessageServerProxy>(TransmitEngine::Attach(engine_.Connect()));
        client_->login(QStringLiteral("tester"));
        ASSERT_EQ(client_->startServer(), QVariant(1));
    }

    testing_support::RunningEngine engine_{TRANSMIT};
    std::unique_ptr<ModemSimulatorProcess> modem_;
    testing_support::ScopedProcessNotifier notifier_;
    std::unique_ptr<TfrmHandset> driver_;
    std::unique_ptr<TnbMessageServerProxy> client_;
};

TEST_F(HandsetWindowsTest, AutodetectionFindsTheSpeedTheModemAnswersAtAndNamesTheModem) {
    StartModem({"--speed", "9600", "--manufacturer", "+GMI: ACME", "--model", "GSM900"});
    Comport().SetPduMode(false);
    Autodetect();
    EXPECT_TRUE(Told("Successfully detected: ACME GSM900"));
    EXPECT_EQ(Model()->currentText(), QStringLiteral("ACME GSM900"));
    EXPECT_EQ(Child<QLineEdit>(Prefs(), "eAutodetect")->text(), QStringLiteral("Autodetected"));
    // Found after the five faster speeds; the model's own defaults do not replace it.
    EXPECT_EQ(Comport().Baud(), 9600);
    EXPECT_TRUE(Comport().PduMode()) << "+CMGF: (0,1)";
    EXPECT_EQ(Prefs().DriverIndex(), kSiemensC35) << "an unknown name with PDU mode on";
    const std::string log = modem_->Log();
    for (const char* speed : {"115200", "57600", "38400", "19200"})
        EXPECT_NE(log.find(std::string("not heard at ") + speed), std::string::npos) << speed;
    EXPECT_EQ(log.find("not heard at 9600"), std::string::npos);

    // OK keeps what was detected.
    Click(Prefs(), "bOK");
    EXPECT_EQ(Pref("cbGSM"), "ACME GSM900");
    EXPECT_EQ(Pref("driverRG"), "5");
    EXPECT_EQ(PortValue("rgBaud"), "6");
}

TEST_F(HandsetWindowsTest, AutodetectionReadsTheMessageFormatsOfTheDevice) {
    StartModem({"--manufacturer", "+GMI: ACME", "--model", "ACME", "--formats", "text"});
    Autodetect();
    EXPECT_TRUE(Told("Successfully detected: ACME")) << "the model repeats the manufacturer";
    EXPECT_FALSE(Comport().PduMode()) << "+CMGF: (1)";
    EXPECT_EQ(Prefs().DriverIndex(), kNokiaDataSuite2);
    EXPECT_EQ(Comport().Baud(), 115200);
}

TEST_F(HandsetWindowsTest, AutodetectionRefusesADeviceWithoutShortMessages) {
    StartModem({"--manufacturer", "+GMI: ACME", "--model", "GSM900", "--formats", "none"});
    Autodetect();
    EXPECT_TRUE(Told("This device (ACME GSM900) cannot send or receive SMS messages"));
    EXPECT_EQ(Model()->currentText(), QStringLiteral("Autodetect"));
    EXPECT_FALSE(Told("Successfully detected: ACME GSM900"));
}

TEST_F(HandsetWindowsTest, AutodetectionTellsOfAPortWithoutDeviceAndAMissingPort) {
    StartModem({"--speed", "4800"});
    Autodetect();
    EXPECT_TRUE(Told("Cannot communicate with GSM device on " + modem_->device()));
    EXPECT_EQ(Child<QLineEdit>(Prefs(), "eAutodetect")->text(), QString());

    Child<QComboBox>(Prefs(), "lbComPort")->setEditText(QStringLiteral("/dev/nimbra-no-such-port"));
    Click(Prefs(), "bAutodetect");
    EXPECT_TRUE(ProcessEventsUntil([&] { return !Prefs().Detecting(); }, kTimeoutMs));
    EXPECT_TRUE(Told("Cannot open port /dev/nimbra-no-such-port"));
    EXPECT_EQ(Model()->currentText(), QStringLiteral("Autodetect"));
}

TEST_F(HandsetWindowsTest, TestConnectionReportsTheOutcomeAndLeavesTheDriverDisconnected) {
    StartModem({});
    ChooseModel(QStringLiteral("Siemens M20"));
    Child<QComboBox>(Prefs(), "lbComPort")->setEditText(QString::fromStdString(modem_->device()));
    Click(Prefs(), "bTest");
    EXPECT_TRUE(Told("Successfully connected to the device"));
    EXPECT_TRUE(ProcessEventsUntil([&] { return Driver().currentPhone() == nullptr; }, kTimeoutMs));
    EXPECT_FALSE(Driver().active());
    EXPECT_EQ(modem_->Count("opens"), 1);
    EXPECT_TRUE(Child<QPushButton>(Prefs(), "bTest")->isEnabled());
    EXPECT_EQ(Pref("cbGSM"), "") << "a test keeps nothing of the preferences";
    EXPECT_EQ(ReadSetting(settings::kRootKey, settings::kAutostartValue, ""), "true");

    Child<QComboBox>(Prefs(), "lbComPort")->setEditText(QStringLiteral("/dev/nimbra-no-such-port"));
    Click(Prefs(), "bTest");
    EXPECT_TRUE(Told("Could not connect to the device"));
    EXPECT_EQ(ReadSetting(settings::kRootKey, settings::kAutostartValue, ""), "false");
    EXPECT_FALSE(Driver().active());
}

TEST_F(HandsetWindowsTest, ChoosingAModelSetsItsDriverAndKeepsItsLineSettings) {
    Comport().SetBaud(115200);
    ChooseModel(QStringLiteral("Nokia 6310"));
    EXPECT_EQ(Prefs().DriverIndex(), kNokiaDataSuite3);
    EXPECT_EQ(PortValue("rgBaud"), "8") << "19200 baud kept at once";
    ChooseModel(QStringLiteral("Sagem RT 3000"));
    EXPECT_EQ(Prefs().DriverIndex(), kSagem);
    EXPECT_EQ(Comport().Baud(), 57600);
    ChooseModel(QStringLiteral("Nokia 6310"));

    Child<QLineEdit>(Prefs(), "eOperator")->setText(QStringLiteral("Westel"));
    Click(Prefs(), "bOK");
    EXPECT_EQ(Pref("cbGSM"), "Nokia 6310");
    EXPECT_EQ(Pref("driverRG"), "1");
    EXPECT_EQ(Pref("eOperator"), "Westel");
    EXPECT_EQ(Pref("cbSend"), "1");
    EXPECT_EQ(Driver().settings()->LineSettings().baud, 19200);

    // Cancel forgets what was typed.
    Child<QLineEdit>(Prefs(), "eOperator")->setText(QStringLiteral("Other"));
    Click(Prefs(), "bCancel");
    EXPECT_EQ(Child<QLineEdit>(Prefs(), "eOperator")->text(), QStringLiteral("Westel"));
    EXPECT_EQ(Pref("eOperator"), "Westel");
}

TEST_F(HandsetWindowsTest, OkWithAutodetectDetectsInsteadOfKeeping) {
    StartModem({"--manufacturer", "+GMI: ACME", "--model", "GSM900"});
    Child<QComboBox>(Prefs(), "lbComPort")->setEditText(QString::fromStdString(modem_->device()));
    Click(Prefs(), "bOK");
    EXPECT_TRUE(
        Told("Nimbra SMS will try to detect your GSM device now!\r\nThis will take some "
             "time. Press OK to start!"));
    EXPECT_TRUE(Prefs().Detecting());
    EXPECT_TRUE(Told("Successfully detected: ACME GSM900"));
    EXPECT_EQ(Pref("cbGSM"), "");
}

TEST_F(HandsetWindowsTest, TheDeviceStringCutsTheModelListDown) {
    WritePluginSetting("device", "DeviceString", "Acme Modem X");
    QComboBox* model = Model();
    ASSERT_EQ(model->count(), 2);
    EXPECT_EQ(model->itemText(0), QStringLiteral("Acme Modem X"));
    EXPECT_EQ(model->itemText(1), QStringLiteral("Dummy phone (for developers)"));
    EXPECT_EQ(model->currentText(), QStringLiteral("Acme Modem X"));
}

TEST_F(HandsetWindowsTest, WithoutDeviceStringTheWholeModelListIsOffered) {
    EXPECT_EQ(Model()->count(), 103);
    EXPECT_EQ(Model()->currentText(), QStringLiteral("Autodetect"));
    EXPECT_FALSE(Child<RadioGroup>(Prefs(), "driverRG")->isVisibleTo(&Prefs()));
}

TEST_F(HandsetWindowsTest, ThePortSettingsWindowHasItsDefaultsAndDiagnosticWords) {
    TfrmComport& comport = Comport();
    EXPECT_EQ(comport.Baud(), 19200);
    EXPECT_EQ(Child<QComboBox>(comport, "prefmem")->currentText(), QStringLiteral("Both"));
    EXPECT_EQ(Child<QLineEdit>(comport, "eMemSize")->text(), QStringLiteral("10"));
    EXPECT_EQ(Child<QPlainTextEdit>(comport, "mModemInit2")->toPlainText(), QStringLiteral("AT"));
    EXPECT_EQ(Child<RadioGroup>(comport, "rgHWF")->itemIndex(), 2);
    EXPECT_TRUE(Child<QCheckBox>(comport, "cbPduMode")->isChecked());

    QCheckBox* viewLog = Child<QCheckBox>(comport, "cbPort2");
    EXPECT_FALSE(viewLog->isVisibleTo(&comport));
    QLineEdit* portName = Child<QLineEdit>(comport, "ePortName");
    portName->setText(QStringLiteral("debug:on"));
    QTest::keyClick(portName, Qt::Key_Return);
    EXPECT_TRUE(viewLog->isVisibleTo(&comport));
    EXPECT_TRUE(Child<QCheckBox>(comport, "cbDelSMS")->isVisibleTo(&comport));
    portName->setText(QStringLiteral("debug:rg"));
    QTest::keyClick(portName, Qt::Key_Return);
    EXPECT_TRUE(Child<RadioGroup>(Prefs(), "driverRG")->isVisibleTo(&Prefs()));

    // OK keeps the window; "Default settings" puts the driver's line settings back.
    Child<RadioGroup>(comport, "rgParity")->setItemIndex(2);
    Child<RadioGroup>(comport, "rgStop")->setItemIndex(2);
    Click(comport, "Button1");
    EXPECT_EQ(PortValue("rgParity"), "2");
    const PortSettings line = Driver().settings()->LineSettings();
    EXPECT_EQ(line.parity, Parity::Even);
    EXPECT_EQ(line.stopBits, StopBits::Two);
    EXPECT_EQ(PortValue("cbPduMode"), "1");
    Click(comport, "bDefault");
    EXPECT_EQ(PortValue("rgParity"), "0");
    EXPECT_EQ(PortValue("rgBaud"), "8") << "the default driver's speed";
}

TEST_F(HandsetWindowsTest, MenuItemsOpenTheirWindows) {
    HandsetWindows& windows = Windows();
    windows.MenuItemClick(std::string(kName) + " Configuration");
    EXPECT_TRUE(Prefs().isVisible());
    EXPECT_EQ(Prefs().windowTitle(), QStringLiteral("GSM Device1 Configuration"));
    windows.MenuItemClick(std::string(kName) + " directories");
    EXPECT_TRUE(windows.filePhone().isVisible());
    windows.MenuItemClick(std::string(kName) + " test phone");
    EXPECT_TRUE(windows.testPhone().isVisible());
    windows.MenuItemClick("Something else");
}

TEST_F(HandsetWindowsTest, AStartWithoutAModelOpensThePreferences) {
    Windows();
    StartServer();
    EXPECT_TRUE(Told("Please configure your GSM device!"));
    EXPECT_TRUE(Prefs().isVisible());
    EXPECT_EQ(Prefs().windowTitle(), QStringLiteral("GSM Device1 Configuration"));
}

TEST_F(HandsetWindowsTest, TheTestPhoneSendsAndReceivesThroughTheEngine) {
    SetPref("cbGSM", "Dummy phone (for developers)");
    SetPref("driverRG", "3");
    SetPref("eOperator", "Testnet");
    SetPref("cbNetwork", "1");
    HandsetWindows& windows = Windows();
    StartServer();
    TfrmTestPhone& phone = windows.testPhone();
    ASSERT_TRUE(ProcessEventsUntil([&] { return phone.isVisible(); }, kTimeoutMs));
    EXPECT_EQ(phone.windowTitle(), QStringLiteral("Test phone - GSM Device1 - Testnet"));
    EXPECT_TRUE(ProcessEventsUntil([&] { return windows.signal().isVisible(); }, kTimeoutMs));

    TGsmSms record;
    record.receiver = "+36301112233";
    record.text = "To the test phone";
    QVariant msg = QString::fromStdString(record.ToText());
    client_->sendMessage(msg);
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            const QStringList sent = phone.SentList();
            return !sent.isEmpty() && sent.back().contains(QStringLiteral("To the test phone"));
        },
        kTimeoutMs));

    Child<QLineEdit>(phone, "eTel")->setText(QStringLiteral("+36305550000"));
    Child<QPlainTextEdit>(phone, "mSMS")->setPlainText(QStringLiteral("From the test phone"));
    Click(phone, "bReceive");
    EXPECT_EQ(phone.MemoryStatus(), QStringLiteral("Memory: +36305550000 From the test phone"));
    const fs::path inbox = engine_.home() / "SysFolders" / "Inbox";
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(inbox, error)) {
                if (testing_support::ReadFileText(entry.path()).find("From the test phone") !=
                    std::string::npos)
                    return true;
            }
            return false;
        },
        kTimeoutMs));
    EXPECT_TRUE(ProcessEventsUntil([&] { return phone.MemoryStatus().isEmpty(); }, kTimeoutMs));

    // "Don't send": the engine hears of a failure and the list says so.
    Child<QCheckBox>(phone, "cbDontsend")->setChecked(true);
    record.text = "Refused";
    msg = QString::fromStdString(record.ToText());
    client_->sendMessage(msg);
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            const QStringList sent = phone.SentList();
            return !sent.isEmpty() && sent.back().startsWith(QStringLiteral("FAILED: ")) &&
                   sent.back().contains(QStringLiteral("Refused"));
        },
        kTimeoutMs));

    // Stopping the server disconnects the phone: its window and the signal window close.
    client_->stopServer();
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return !phone.isVisible() && !windows.signal().isVisible(); }, kTimeoutMs));
}

TEST_F(HandsetWindowsTest, TheWindowsTakeTheirTextsFromTheLanguageSections) {
    HandsetWindows& windows = Windows();
    // The English texts are written out for translators (the main window shows none).
    const fs::path english = engine_.home() / "Languages" / "English";
    for (const char* section :
         {"handset_comport", "handset_preferences", "handset_signal", "handset_testphone"})
        EXPECT_TRUE(fs::exists(english / (std::string(section) + ".txt"))) << section;
    EXPECT_NE(testing_support::ReadFileText(english / "handset_preferences.txt")
                  .find("Caption=Test connection"),
              std::string::npos);

    const fs::path german = engine_.home() / "Languages" / "German";
    fs::create_directories(german);
    testing_support::WriteFileText(german / "handset_preferences.txt",
                                   "[bTest]\r\nCaption=Verbindung testen\r\n");
    testing_support::WriteFileText(german / "handset_comport.txt",
                                   "[tsServer]\r\nCaption=Server\r\n");
    testing_support::WriteFileText(german / "handset_testphone.txt",
                                   "[bReceive]\r\nCaption=Empfangen\r\n");
    ProcessLanguage().SetLanguage("German");
    windows.LanguageChanged();
    EXPECT_EQ(Child<QPushButton>(Prefs(), "bTest")->text(), QStringLiteral("Verbindung testen"));
    EXPECT_EQ(Comport().findChild<QTabWidget*>()->tabText(1), QStringLiteral("Server"));
    EXPECT_EQ(Child<QPushButton>(windows.testPhone(), "bReceive")->text(),
              QStringLiteral("Empfangen"));
    ProcessLanguage().SetLanguage("English");
}

}  // namespace
}  // namespace nimbra::handset::testing
