#include "handsetwindows.h"

#include "frmcomport.h"
#include "frmfilephone.h"
#include "frmhandset.h"
#include "frmprefphone.h"
#include "frmsignal.h"
#include "frmtestphone.h"
#include "qansi.h"
#include "testphone.h"
#include "translation.h"
#include "windowtranslation.h"

namespace nimbra::handset {

namespace {

constexpr char kServiceMode[] = "Service";

}  // namespace

HandsetWindows::HandsetWindows(TfrmHandset& driver)
    : driver_(driver),
      comport_(std::make_unique<TfrmComport>(driver.realName() + kPortSectionSuffix)),
      preferences_(std::make_unique<TfrmPrefPhone>(driver, *comport_)),
      testPhone_(std::make_unique<TfrmTestPhone>(
          [&driver] { return dynamic_cast<TdmPhone*>(driver.currentPhone()); })),
      filePhone_(std::make_unique<TfrmFilePhone>()),
      signal_(std::make_unique<TfrmSignal>()) {
    preferences_->Load();
    comport_->Load();
    filePhone_->Load();
    TranslateAll();
    signal_->setWindowTitle(QFromAnsi(driver.realName() + " (" + preferences_->Model() + "," +
                                      preferences_->PortName() + ")"));
}

HandsetWindows::~HandsetWindows() = default;

std::string HandsetWindows::ConfigurationItem() const {
    return driver_.realName() + " " + Translate("Configuration");
}

std::string HandsetWindows::TestPhoneItem() const {
    return Translate(driver_.realName() + " test phone");
}

std::string HandsetWindows::FilePhoneItem() const {
    return driver_.realName() + " " + Translate("directories");
}

void HandsetWindows::MenuItemClick(const std::string& name) {
    if (name == ConfigurationItem()) {
        preferences_->setWindowTitle(QFromAnsi(name));
        preferences_->show();
        preferences_->raise();
    } else if (name == FilePhoneItem()) {
        filePhone_->show();
        filePhone_->raise();
    } else if (name == TestPhoneItem()) {
        testPhone_->show();
        testPhone_->raise();
    }
}

void HandsetWindows::PhoneMenuItem(const std::string& name, bool registered) {
    if (name == TestPhoneItem()) {
        if (!registered) {
            testPhone_->hide();
            return;
        }
        const HandsetSettings* settings = driver_.settings();
        testPhone_->setWindowTitle(QFromAnsi("Test phone - " + driver_.realName() + " - " +
                                             (settings ? settings->OperatorName() : "")));
        testPhone_->PhoneConnected();
        if (driver_.runMode() != kServiceMode)
            testPhone_->show();
    } else if (name == FilePhoneItem() && !registered) {
        filePhone_->hide();
    }
}

void HandsetWindows::Connected(const std::string& caption, bool showSignal) {
    signal_->setWindowTitle(QFromAnsi(caption));
    if (showSignal)
        signal_->show();
}

void HandsetWindows::Disconnected() {
    if (signal_->isVisible())
        signal_->hide();
}

void HandsetWindows::LanguageChanged() {
    TranslateAll();
}

void HandsetWindows::TestFinished() {
    preferences_->TestFinished();
}

void HandsetWindows::TranslateAll() {
    TranslateWindow(&driver_, "handset_communication");
    TranslateWindow(comport_.get(), "handset_comport");
    TranslateWindow(preferences_.get(), "handset_preferences");
    TranslateWindow(signal_.get(), "handset_signal");
    TranslateWindow(testPhone_.get(), "handset_testphone");
}

}  // namespace nimbra::handset
