#pragma once
// TfilePhone, the file phone for development: no device; every outgoing message becomes a
// file of three lines (sender, receiver, text) in the outgoing folder, written under a lock
// file so that a reader never takes half a file. It reads nothing.

#include <functional>
#include <string>

#include "unPhone.h"

namespace nimbra::handset {

class TfilePhone : public TPhone {
public:
    // letters gives the next random capital letter (tests make it repeatable).
    explicit TfilePhone(const PhoneParts& parts, std::function<char()> letters = {});

    void ConnectDevice() override;
    void DisconnectDevice() override;
    bool SubmitSms(TGsmSms& record) override;
    bool ReadSms(int, TGsmSms&) override { return false; }
    bool DeleteSms(int) override { return true; }
    std::string GetSignalQuality() override { return "24"; }
    std::string GetNetworkRegistration() override { return "1"; }

    std::string MenuItem();

private:
    std::function<char()> letters_;
};

}  // namespace nimbra::handset
