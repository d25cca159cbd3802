#pragma once
// The GSM driver's windows besides its main window: the preferences with the port settings,
// the test phone, the file phone settings and the signal window. They open from the engine's
// menu items, follow the connection, and take their texts from the language sections
// "handset_comport", "handset_preferences", "handset_signal", "handset_testphone" (the main
// window's: "handset_communication").

#include <memory>
#include <string>

#include "handsetwindowhooks.h"

namespace nimbra::handset {

class TfrmComport;
class TfrmFilePhone;
class TfrmHandset;
class TfrmPrefPhone;
class TfrmSignal;
class TfrmTestPhone;

class HandsetWindows final : public HandsetWindowHooks {
public:
    explicit HandsetWindows(TfrmHandset& driver);
    ~HandsetWindows() override;

    void MenuItemClick(const std::string& name) override;
    void PhoneMenuItem(const std::string& name, bool registered) override;
    void Connected(const std::string& caption, bool showSignal) override;
    void Disconnected() override;
    void LanguageChanged() override;
    void TestFinished() override;

    TfrmComport& comport() { return *comport_; }
    TfrmPrefPhone& preferences() { return *preferences_; }
    TfrmTestPhone& testPhone() { return *testPhone_; }
    TfrmFilePhone& filePhone() { return *filePhone_; }
    TfrmSignal& signal() { return *signal_; }

    // The engine menu items of the configuration and of the two phones without a device.
    std::string ConfigurationItem() const;
    std::string TestPhoneItem() const;
    std::string FilePhoneItem() const;

private:
    void TranslateAll();

    TfrmHandset& driver_;
    std::unique_ptr<TfrmComport> comport_;
    std::unique_ptr<TfrmPrefPhone> preferences_;
    std::unique_ptr<TfrmTestPhone> testPhone_;
    std::unique_ptr<TfrmFilePhone> filePhone_;
    std::unique_ptr<TfrmSignal> signal_;
};

}  // namespace nimbra::handset
