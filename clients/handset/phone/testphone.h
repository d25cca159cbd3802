#pragma once
// TdmPhone, the test phone for development: no device, a window instead. The window (or a
// test) puts a message into it to be read as if it had arrived, and the phone keeps the list
// of what it "sent"; with "Don't send" every send fails. Its engine menu item opens the
// window.

#include <mutex>
#include <string>
#include <vector>

#include "unPhone.h"

namespace nimbra::handset {

class TdmPhone : public TPhone {
public:
    explicit TdmPhone(const PhoneParts& parts) : TPhone(parts, kTestPhone) { SetNoDevice(); }

    void ConnectDevice() override;
    void DisconnectDevice() override;
    bool SubmitSms(TGsmSms& record) override;
    bool ReadSms(int index, TGsmSms& record) override;
    bool DeleteSms(int index) override;
    std::string GetSignalQuality() override { return "24"; }
    std::string GetNetworkRegistration() override { return "1"; }

    // The " Receive " button: number and text become the phone's message.
    void Receive(const std::string& number, const std::string& text);
    void SetDontSend(bool dontSend);
    // The sent list: record texts, "FAILED: " in front of those refused.
    std::vector<std::string> SentList() const;
    // The second status panel: "Memory: " + number + " " + text, or empty.
    std::string MemoryStatus() const;
    std::string MenuItem();

private:
    mutable std::mutex mutex_;
    bool holding_ = false;
    std::string number_;
    std::string text_;
    std::string status_;
    bool dontSend_ = false;
    std::vector<std::string> sent_;
};

}  // namespace nimbra::handset
