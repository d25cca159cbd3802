#include "phonemodels.h"

#include "atresult.h"
#include "filephone.h"
#include "testphone.h"

namespace nimbra::handset {

namespace {

constexpr char kNoIndications[] = "AT+CNMI=0,0,0,0,0";
// Echo-aware: reaching the echo of AT+CMGR means no message came.
constexpr PduReadRules kEchoAware{.echoAware = true, .echoMeansEmpty = true};

}  // namespace

void TNokiaDS2::ConnectDevice() {
    ConnectBase();
    RequireOk("AT+CMGF=1");
}

void TNokiaDS3::ConnectDevice() {
    ConnectBase();
    RequireOk(kNoIndications);
}

bool TNokiaDS3::ReadSms(int index, TGsmSms& record) {
    return ReadPdu(index, record, {.needCmgrLine = true});
}

void TSiemensM20::ConnectDevice() {
    timeouts_ = 0;
    ConnectBase();
    RequireOk(kNoIndications);
}

bool TSiemensM20::ReadSms(int index, TGsmSms& record) {
    std::string result;
    const bool read = ReadPdu(index, record, kEchoAware, &result);
    if (result == kResultOk) {
        timeouts_ = 0;
    } else if (result == kResultTimeout && ++timeouts_ > kMostTimeouts) {
        timeouts_ = 0;
        host().RequestReconnect();
    }
    return read;
}

void TEricssont20::ConnectDevice() {
    ConnectBase();
    RequireOk("AT+CMGF=0");
    RequireOk("AT+CPMS=\"ME\"");
}

bool TEricssont20::ReadSms(int index, TGsmSms& record) {
    return ReadPdu(index, record, kEchoAware);
}

void TSiemensC35::ConnectDevice() {
    ConnectBase();
    RequireOk("AT");
    SendATR(settings().PrefChecked(pref::kDeliveryReport) ? "AT+CNMI=1,1,0,2,1"
                                                          : "AT+CNMI=0,0,0,0,1");
}

bool TSiemensC35::ReadSms(int index, TGsmSms& record) {
    return ReadPdu(index, record, {.echoAware = true, .emptySlotAware = true});
}

void TTimeport::ConnectDevice() {
    ConnectBase();
    RequireOk("AT+CMGF=0");
    RequireOk("AT+CPMS=\"SM\"");
}

bool TTimeport::ReadSms(int index, TGsmSms& record) {
    PduReadRules rules = kEchoAware;
    rules.minPduLength = 16;
    return ReadPdu(index, record, rules);
}

void TEricssonGM22::ConnectDevice() {
    ConnectBase();
    RequireOk("AT+CMGF=0");
    RequireOk("AT+CPMS=\"SM\"");
}

bool TEricssonGM22::ReadSms(int index, TGsmSms& record) {
    return ReadPdu(index, record, kEchoAware);
}

void TTellular::ConnectDevice() {
    ConnectBase();
    RequireOk("AT+CMGF=1");
}

bool TTellular::SubmitSms(TGsmSms& record) {
    return SubmitText(record, true);
}

bool TTellular::ReadSms(int index, TGsmSms& record) {
    return ReadTimeStampedText(index, record);
}

void TNokia30::ConnectDevice() {
    ConnectBase();
    RequireOk(kNoIndications);
    SendATR("AT+CPMS=\"SM\",\"SM\"");
}

void TSagem::ConnectDevice() {
    ConnectBase();
    RequireOk(kNoIndications);
    SendATR("AT+CPMS=\"ME\"");
}

bool TSagem::ReadSms(int index, TGsmSms& record) {
    return ReadPdu(index + kIndexOffset, record, {});
}

bool TSagem::DeleteSms(int index) {
    return TPhone::DeleteSms(index + kIndexOffset);
}

std::unique_ptr<TPhone> CreatePhone(int driverIndex, const PhoneParts& parts) {
    switch (driverIndex) {
        case kNokiaDataSuite2:
            return std::make_unique<TNokiaDS2>(parts);
        case kNokiaDataSuite3:
            return std::make_unique<TNokiaDS3>(parts);
        case kTestPhone:
            return std::make_unique<TdmPhone>(parts);
        case kEricssonT20:
            return std::make_unique<TEricssont20>(parts);
        case kSiemensC35:
            return std::make_unique<TSiemensC35>(parts);
        case kTimeport:
            return std::make_unique<TTimeport>(parts);
        case kEricssonGM22:
            return std::make_unique<TEricssonGM22>(parts);
        case kTellular:
            return std::make_unique<TTellular>(parts);
        case kNokia30:
            return std::make_unique<TNokia30>(parts);
        case kSagem:
            return std::make_unique<TSagem>(parts);
        case kFilePhone:
            return std::make_unique<TfilePhone>(parts);
        case kSiemensM20:
        default:
            return std::make_unique<TSiemensM20>(parts);
    }
}

}  // namespace nimbra::handset
