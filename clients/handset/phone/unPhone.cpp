#include "unPhone.h"

#include "atanswers.h"
#include "atlines.h"
#include "atresult.h"
#include "unStrings.h"

namespace nimbra::handset {

TPhone::TPhone(const PhoneParts& parts, int driverIndex)
    : TModem(parts.port, parts.clock, parts.log, parts.timings),
      settings_(parts.settings),
      host_(parts.host),
      references_(parts.references),
      driverIndex_(driverIndex),
      pduMode_(kDriverVariants[static_cast<std::size_t>(driverIndex)].pduMode),
      memorySize_(kDriverVariants[static_cast<std::size_t>(driverIndex)].memorySize) {}

void TPhone::ConnectDevice() {
    if (!OpenPort())
        throw EPhoneNotConnected();
    if (SendATR(pduMode_ ? "AT+CMGF=0" : "AT+CMGF=1") != kResultOk)
        throw EPhoneError();
}

void TPhone::ConnectBase() {
    try {
        TPhone::ConnectDevice();
    } catch (const std::exception&) {
        throw EPhoneNotConnected();
    }
}

void TPhone::RequireOk(const std::string& command) {
    if (SendATR(command) != kResultOk)
        throw EPhoneNotConnected();
}

void TPhone::DisconnectDevice() {
    port().Close();
}

bool TPhone::DeleteSms(int index) {
    if (!settings_.PortChecked(port::kLeaveOnDevice))
        SendATR("AT+CMGD=" + std::to_string(index));
    return true;
}

bool TPhone::SubmitSms(TGsmSms& record) {
    return pduMode_ ? SubmitPdu(record) : SubmitText(record, false);
}

bool TPhone::ReadSms(int index, TGsmSms& record) {
    return pduMode_ ? ReadPdu(index, record, {}) : ReadText(index, record);
}

// Every part goes out as AT+CMGS with its TPDU length, the prompt, then the PDU. The first
// part that fails ends the send: the message is reported failed, and its retry sends every
// part again under a new concatenation reference, so the recipient's phone puts the retry
// together as a whole message.
bool TPhone::SubmitPdu(TGsmSms& record) {
    TsmsPduCodec codec(references_);
    for (int n = 1;; ++n) {
        if (n > 1 && !Pause(timings().partPauseMs))
            return false;
        const PduPart part = codec.EncodePart(
            record, n, settings_.PrefChecked(pref::kDeliveryReport), settings_.ServiceCentre());
        if (part.pdu.empty())
            return false;
        if (SendATR("AT+CMGS=" + std::to_string(part.tpduLength)) != kResultLine)
            return false;
        if (SendTextR(part.pdu + kCtrlZ) != kResultOk)
            return false;
        if (const auto reference = MessageReference(RxLines()))
            record.reference = *reference;
        if (!part.morePartsFollow)
            return true;
    }
}

bool TPhone::SubmitText(TGsmSms& record, bool keepReference) {
    if (SendATR("AT+CMGS=\"" + record.receiver + "\"") != kResultLine)
        return false;
    const std::string result = SendTextR(ToDeviceText(record.text) + kCtrlZ);
    if (keepReference) {
        if (result != kResultOk)
            return false;
        if (const auto reference = MessageReference(RxLines()))
            record.reference = *reference;
        return true;
    }
    if (result == kResultTimeout)
        return settings_.PortChecked(port::kTimeoutSent);
    return result == kResultOk;
}

bool TPhone::ReadPdu(int deviceIndex, TGsmSms& record, const PduReadRules& rules,
                     std::string* readResult) {
    const std::string result = SendATR("AT+CMGR=" + std::to_string(deviceIndex));
    if (readResult)
        *readResult = result;
    if (result != kResultOk)
        return false;
    const PduReadLine read = FindPduLine(RxLines(), rules);
    if (read.outcome != PduReadLine::Outcome::Pdu)
        return false;
    TsmsPduCodec codec(references_);
    // Also a part of a concatenated message that is not complete yet: it is stored in the
    // part store and leaves the device.
    if (!codec.IsPdu(read.pdu, true)) {
        TPhone::DeleteSms(deviceIndex);
        return false;
    }
    codec.DecodeIntoRecord(read.pdu, record, settings_.OwnNumber(),
                           settings_.PortChecked(port::kConvertUnicode));
    return true;
}

bool TPhone::ReadText(int index, TGsmSms& record) {
    if (SendATR("AT+CMGR=" + std::to_string(index)) != kResultOk)
        return false;
    const std::optional<TextRead> read = ParseTextRead(RxLines());
    if (!read)
        return false;
    record.sender = read->sender;
    record.receiver = settings_.OwnNumber();
    record.text = read->text;
    return true;
}

bool TPhone::ReadTimeStampedText(int index, TGsmSms& record) {
    if (SendATR("AT+CMGR=" + std::to_string(index)) != kResultOk)
        return false;
    const std::optional<TextRead> read = ParseTimeStampedTextRead(RxLines());
    if (!read)
        return false;
    record.sender = read->sender;
    record.receivedTime = read->receivedTime;
    record.receiver = settings_.OwnNumber();
    record.text = read->text;
    return true;
}

std::string TPhone::GetSignalQuality() {
    const std::string result = SendATR("AT+CSQ");
    return SignalQuality(result, RxLines());
}

std::string TPhone::GetNetworkRegistration() {
    const std::string result = SendATR("AT+CREG?");
    return NetworkRegistration(result, RxLines());
}

void TPhone::InitMemoryRotation() {
    memoryCount_ = 2;
    memorySizes_[0] = 12;
    int size = 0;
    memorySizes_[1] = ParseInt32(settings_.Port(port::kMemorySize), size) ? size : 22;
    memory_ = 0;
    slot_ = 0;
}

void TPhone::AdvanceMemorySlot() {
    if (memoryCount_ < 2) {
        if (++slot_ > memorySize_)
            slot_ = 1;
        return;
    }
    if (memory_ > 0 && slot_ < memorySizes_[memory_ - 1]) {
        ++slot_;
        return;
    }
    memory_ = memory_ % 2 + 1;
    SendATR("AT+CPMS=\"" + memoryNames_[memory_ - 1] + "\"");
    slot_ = 1;
}

std::string TPhone::CurrentMemory() const {
    return memory_ > 0 ? memoryNames_[memory_ - 1] : std::string();
}

}  // namespace nimbra::handset
