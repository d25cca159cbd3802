#pragma once
// The handset's settings as the driver reads them at the moment it needs them: the
// preferences in the section of the driver's realName, the port settings in realName +
// "_comport", the file phone's folders in "FilePhone". Each value has the default of the
// window field it belongs to; check boxes read "1" or "0". Plain C++: the store is reached
// through SettingsSource.

#include <string>
#include <string_view>
#include <vector>

#include "portsettings.h"

namespace nimbra::handset {

// The settings store: a value of a section, or def when it has none; writing a value.
class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    virtual std::string Read(std::string_view section, std::string_view name,
                             std::string_view def) const = 0;
    virtual void Write(std::string_view section, std::string_view name, std::string_view value) = 0;
};

// Value names and defaults of the preferences.
namespace pref {
inline constexpr char kModel[] = "cbGSM";
inline constexpr char kPort[] = "lbComPort";
inline constexpr char kOperator[] = "eOperator";
inline constexpr char kPhoneNumber[] = "ePhoneNumber";
inline constexpr char kServiceCentre[] = "eCSCA";
inline constexpr char kSend[] = "cbSend";
inline constexpr char kReceive[] = "cbReceive";
inline constexpr char kDeliveryReport[] = "cbDeliver";
inline constexpr char kNetworkMonitoring[] = "cbNetwork";
inline constexpr char kDriver[] = "driverRG";
inline constexpr char kPortDefault[] = "COM1";
inline constexpr char kOperatorDefault[] = "Vodafone";
inline constexpr char kPhoneNumberDefault[] = "+36301234567";
inline constexpr char kServiceCentreDefault[] = "+36309888000";
}  // namespace pref

// Value names and defaults of the port settings.
namespace port {
inline constexpr char kMemorySize[] = "eMemSize";
inline constexpr char kPreferredMemory[] = "prefmem";
inline constexpr char kViewLog[] = "cbPort2";
inline constexpr char kLogToFile[] = "cbLogCom";
inline constexpr char kConvertGsmChars[] = "cbConvertGSMChars";
inline constexpr char kConvertUnicode[] = "cbConvUnicode";
inline constexpr char kDecodePdu[] = "cbPDU";
inline constexpr char kIncludeServiceCentre[] = "eIncludeCSCA";
inline constexpr char kDeleteRead[] = "cbDelSMS";
inline constexpr char kModemInit[] = "mModemInit2";
inline constexpr char kDelayIn[] = "eDelayIn";
inline constexpr char kLeaveOnDevice[] = "cbDonotdel";
inline constexpr char kTimeout[] = "eTimeout";
inline constexpr char kTimeoutSent[] = "rTOSent";
inline constexpr char kTimeoutNotSent[] = "rTONotSent";
inline constexpr char kDelayOut[] = "eDelayOut";
inline constexpr char kPduMode[] = "cbPduMode";
}  // namespace port

inline constexpr char kPortSectionSuffix[] = "_comport";
inline constexpr char kFilePhoneSection[] = "FilePhone";
inline constexpr char kFilePhoneOut[] = "eOut";
inline constexpr char kFilePhoneIn[] = "eIn";
// Relative to the engine's home, where the driver runs.
inline constexpr char kFilePhoneOutDefault[] = "filephone/out";
inline constexpr char kFilePhoneInDefault[] = "filephone/in";

// The preferred memory choices.
inline constexpr std::string_view kMemoryAuto = "Auto";
inline constexpr std::string_view kMemorySim = "SIM";
inline constexpr std::string_view kMemoryDevice = "Device";
inline constexpr std::string_view kMemoryBoth = "Both";

class HandsetSettings {
public:
    HandsetSettings(SettingsSource& source, std::string realName);

    const std::string& realName() const { return realName_; }
    std::string PortSection() const { return realName_ + kPortSectionSuffix; }

    std::string Pref(std::string_view name) const;
    std::string Port(std::string_view name) const;
    bool PrefChecked(std::string_view name) const { return Pref(name) == "1"; }
    bool PortChecked(std::string_view name) const { return Port(name) == "1"; }
    void WritePort(std::string_view name, std::string_view value);

    std::string Model() const { return Pref(pref::kModel); }
    std::string PortName() const { return Pref(pref::kPort); }
    std::string OwnNumber() const { return Pref(pref::kPhoneNumber); }
    std::string ServiceCentre() const { return Pref(pref::kServiceCentre); }
    std::string OperatorName() const { return Pref(pref::kOperator); }
    // The stored driver index; when none is stored (a handset configured by hand), the one
    // the model name chooses.
    int DriverIndex() const;
    // The serial line settings for the port chosen in the preferences, with the chosen
    // driver's defaults for what is not stored.
    PortSettings LineSettings() const;
    // The modem initialisation, one command per line.
    std::vector<std::string> ModemInit() const;
    // A whole number of seconds, or fallback when the value is not one.
    int Seconds(std::string_view name, int fallback) const;
    std::string FilePhoneFolder(bool outgoing) const;

private:
    SettingsSource& source_;
    std::string realName_;
};

}  // namespace nimbra::handset
