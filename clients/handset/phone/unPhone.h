#pragma once
// TPhone, the SMS operations on top of the AT command engine: the message format, sending a
// message record with AT+CMGS, reading a slot with AT+CMGR and deleting it with AT+CMGD, the
// signal and registration queries, and the walk through both message memories. The model
// classes (phonemodels.h) derive from it and choose their initialisation, send and read.
//
// A phone:
// - MUST be driven from one thread at a time (the connecting thread, then the manager);
// - reads every setting at the moment it needs it, so an edited value takes effect at once;
// - reports to the driver window only through PhoneHost, which never blocks.

#include <memory>
#include <stdexcept>
#include <string>

#include "atanswers.h"
#include "handsetsettings.h"
#include "models.h"
#include "pducoder.h"
#include "unGSMSMS.h"
#include "unModem.h"

namespace nimbra::handset {

class EPhoneNotConnected : public std::runtime_error {
public:
    EPhoneNotConnected() : std::runtime_error("Could not connect to GSM device") {}
};

class EPhoneError : public std::runtime_error {
public:
    EPhoneError() : std::runtime_error("Could not set PDU mode") {}
};

// What a phone asks of the driver window; every call returns at once (the window does the
// work on its own thread).
class PhoneHost {
public:
    virtual ~PhoneHost() = default;
    // Repeated read timeouts: the manager ends and the window connects anew.
    virtual void RequestReconnect() = 0;
    // Menu items of the engine (the test phone's and the file phone's windows).
    virtual void RegisterMenuItem(std::string name) = 0;
    virtual void UnregisterMenuItem(std::string name) = 0;
    // A message box for the operator.
    virtual void ShowMessage(std::string text) = 0;
    // A user-interface text in the driver's language.
    virtual std::string Translate(const std::string& text) = 0;
};

// Everything a phone is made with.
struct PhoneParts {
    ModemPort& port;
    ModemClock& clock;
    PortLog& log;
    ModemTimings timings;
    HandsetSettings& settings;
    PhoneHost& host;
    // The concatenation reference of outgoing multi-part messages.
    PduReferenceStore& references;
};

class TPhone : public TModem {
public:
    TPhone(const PhoneParts& parts, int driverIndex);

    int driverIndex() const { return driverIndex_; }
    bool pduMode() const { return pduMode_; }
    int memorySize() const { return memorySize_; }
    void SetMemorySize(int size) { memorySize_ = size; }

    // Opens the port and sets the message format; throws EPhoneNotConnected when the port
    // cannot be opened and EPhoneError when the device refuses the format.
    virtual void ConnectDevice();
    virtual void DisconnectDevice();
    // Sends every part of the record's text; stores the device's message reference in the
    // record. False when a part failed.
    virtual bool SubmitSms(TGsmSms& record);
    virtual bool DeleteSms(int index);
    // Reads the slot into record; false when nothing was read.
    virtual bool ReadSms(int index, TGsmSms& record);
    virtual std::string GetSignalQuality();
    virtual std::string GetNetworkRegistration();

    // The walk through the SIM and the device memory ("Both").
    void InitMemoryRotation();
    void AdvanceMemorySlot();
    bool Rotating() const { return memoryCount_ >= 2; }
    int CurrentSlot() const { return slot_; }
    std::string CurrentMemory() const;

protected:
    // Sends command and throws EPhoneNotConnected unless it answers OK.
    void RequireOk(const std::string& command);
    // ConnectDevice of a model: the base, with any failure as EPhoneNotConnected.
    void ConnectBase();

    bool SubmitPdu(TGsmSms& record);
    bool SubmitText(TGsmSms& record, bool keepReference);
    // AT+CMGR of deviceIndex with a device family's rules; a slot that holds no message is
    // deleted (unless the rules say it is empty). readResult: the result of the AT+CMGR.
    bool ReadPdu(int deviceIndex, TGsmSms& record, const PduReadRules& rules,
                 std::string* readResult = nullptr);
    bool ReadText(int index, TGsmSms& record);
    bool ReadTimeStampedText(int index, TGsmSms& record);

    HandsetSettings& settings() { return settings_; }
    PhoneHost& host() { return host_; }
    PduReferenceStore& references() { return references_; }

private:
    HandsetSettings& settings_;
    PhoneHost& host_;
    PduReferenceStore& references_;
    const int driverIndex_;
    bool pduMode_;
    int memorySize_;

    // Memory rotation: names and sizes of memory 1 and 2, the current one (0 = none yet).
    std::string memoryNames_[2] = {"SM", "ME"};
    int memorySizes_[2] = {12, 22};
    int memoryCount_ = 0;
    int memory_ = 0;
    int slot_ = 0;
};

// Ctrl-Z, which ends a message text or PDU.
inline constexpr char kCtrlZ = '\x1A';

}  // namespace nimbra::handset
