#include "testphone.h"

namespace nimbra::handset {

std::string TdmPhone::MenuItem() {
    return host().Translate(settings().realName() + " test phone");
}

void TdmPhone::ConnectDevice() {
    host().RegisterMenuItem(MenuItem());
}

void TdmPhone::DisconnectDevice() {
    host().UnregisterMenuItem(MenuItem());
}

void TdmPhone::Receive(const std::string& number, const std::string& text) {
    std::lock_guard lock(mutex_);
    holding_ = true;
    number_ = number;
    text_ = text;
    status_ = "Memory: " + number + " " + text;
}

void TdmPhone::SetDontSend(bool dontSend) {
    std::lock_guard lock(mutex_);
    dontSend_ = dontSend;
}

std::vector<std::string> TdmPhone::SentList() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

std::string TdmPhone::MemoryStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

bool TdmPhone::SubmitSms(TGsmSms& record) {
    record.sender = settings().OwnNumber();
    std::lock_guard lock(mutex_);
    if (dontSend_) {
        sent_.push_back("FAILED: " + record.ToText());
        return false;
    }
    sent_.push_back(record.ToText());
    return true;
}

bool TdmPhone::ReadSms(int, TGsmSms& record) {
    std::string number;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (!holding_)
            return false;
        number = number_;
        for (const char c : text_) {
            if (c != '\r' && c != '\n')
                text.push_back(c);
        }
        holding_ = false;
        number_.clear();
        text_.clear();
        status_.clear();
    }
    const std::string own = settings().OwnNumber();
    if (text.find("_PDU_") != std::string::npos) {
        const std::string pdu = text.substr(5);
        TsmsPduCodec codec(references());
        if (codec.IsPdu(pdu, true)) {
            const PduDecodeResult decoded = codec.Decode(pdu, false, true);
            record.type = decoded.kind;
            record.sender = decoded.sender;
            record.text = decoded.text;
            record.receiver = own;
            record.receivedTime = decoded.timestamp;
            record.reference = decoded.reference;
            record.status = decoded.status;
        }
        return true;
    }
    record.sender = number;
    record.text = text;
    record.receiver = own;
    record.receivedTime = NowText();
    return true;
}

bool TdmPhone::DeleteSms(int) {
    std::lock_guard lock(mutex_);
    holding_ = false;
    number_.clear();
    text_.clear();
    status_.clear();
    return true;
}

}  // namespace nimbra::handset
