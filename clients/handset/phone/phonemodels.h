#pragma once
// The phone drivers, one class per entry of the driver list (models.h). Each chooses its
// initialisation after the base one and how it reads a slot; the test phone and the file
// phone have no port at all.

#include <memory>

#include "unPhone.h"

namespace nimbra::handset {

// "Nokia DataSuite 2.0": text mode.
class TNokiaDS2 : public TPhone {
public:
    explicit TNokiaDS2(const PhoneParts& parts) : TPhone(parts, kNokiaDataSuite2) {}
    void ConnectDevice() override;
};

// "Nokia DataSuite 3.0": PDU mode; a read needs the +CMGR line.
class TNokiaDS3 : public TPhone {
public:
    explicit TNokiaDS3(const PhoneParts& parts) : TPhone(parts, kNokiaDataSuite3) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;
};

// "Siemens M20": echo-aware reads; nine read timeouts in a row ask for a reconnect.
class TSiemensM20 : public TPhone {
public:
    static constexpr int kMostTimeouts = 8;
    explicit TSiemensM20(const PhoneParts& parts) : TPhone(parts, kSiemensM20) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;

private:
    int timeouts_ = 0;
};

// "Ericsson T20": the device memory, echo-aware reads.
class TEricssont20 : public TPhone {
public:
    explicit TEricssont20(const PhoneParts& parts) : TPhone(parts, kEricssonT20) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;
};

// "Siemens C35": new-message indications by the delivery report choice; echo-aware reads
// that know its empty slot ("+CMGR: 0").
class TSiemensC35 : public TPhone {
public:
    explicit TSiemensC35(const PhoneParts& parts) : TPhone(parts, kSiemensC35) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;
};

// "Timeport": the SIM memory; echo-aware reads of PDUs longer than 16 characters.
class TTimeport : public TPhone {
public:
    explicit TTimeport(const PhoneParts& parts) : TPhone(parts, kTimeport) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;
};

// "Ericsson GM22": the SIM memory, echo-aware reads.
class TEricssonGM22 : public TPhone {
public:
    explicit TEricssonGM22(const PhoneParts& parts) : TPhone(parts, kEricssonGM22) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;
};

// "Tellular": text mode with the message reference and the time stamp of a read.
class TTellular : public TPhone {
public:
    explicit TTellular(const PhoneParts& parts) : TPhone(parts, kTellular) {}
    void ConnectDevice() override;
    bool SubmitSms(TGsmSms& record) override;
    bool ReadSms(int index, TGsmSms& record) override;
};

// "Nokia 30": both memories set to the SIM.
class TNokia30 : public TPhone {
public:
    explicit TNokia30(const PhoneParts& parts) : TPhone(parts, kNokia30) {}
    void ConnectDevice() override;
};

// "Sagem": the device memory, whose slot n is index n + 899.
class TSagem : public TPhone {
public:
    static constexpr int kIndexOffset = 899;
    explicit TSagem(const PhoneParts& parts) : TPhone(parts, kSagem) {}
    void ConnectDevice() override;
    bool ReadSms(int index, TGsmSms& record) override;
    bool DeleteSms(int index) override;
};

// The phone object of a driver index (kDefaultDriver for an index outside the list).
std::unique_ptr<TPhone> CreatePhone(int driverIndex, const PhoneParts& parts);

}  // namespace nimbra::handset
