#include "smppstatus.h"

#include <array>
#include <cstdio>
#include <utility>

namespace nimbra::smpp {

namespace {

constexpr std::array<std::pair<std::uint32_t, std::string_view>, 48> kNames = {{
    {0x00, "ESME_ROK"},
    {0x01, "ESME_RINVMSGLEN"},
    {0x02, "ESME_RINVCMDLEN"},
    {0x03, "ESME_RINVCMDID"},
    {0x04, "ESME_RINVBNDSTS"},
    {0x05, "ESME_RALYBND"},
    {0x06, "ESME_RINVPRTFLG"},
    {0x07, "ESME_RINVREGDLVFLG"},
    {0x08, "ESME_RSYSERR"},
    {0x0A, "ESME_RINVSRCADR"},
    {0x0B, "ESME_RINVDSTADR"},
    {0x0C, "ESME_RINVMSGID"},
    {0x0D, "ESME_RBINDFAIL"},
    {0x0E, "ESME_RINVPASWD"},
    {0x0F, "ESME_RINVSYSID"},
    {0x11, "ESME_RCANCELFAIL"},
    {0x13, "ESME_RREPLACEFAIL"},
    {0x14, "ESME_RMSGQFUL"},
    {0x15, "ESME_RINVSERTYP"},
    {0x33, "ESME_RINVNUMDESTS"},
    {0x34, "ESME_RINVDLNAME"},
    {0x40, "ESME_RINVDESTFLAG"},
    {0x42, "ESME_RINVSUBREP"},
    {0x43, "ESME_RINVESMCLASS"},
    {0x44, "ESME_RCNTSUBDL"},
    {0x45, "ESME_RSUBMITFAIL"},
    {0x48, "ESME_RINVSRCTON"},
    {0x49, "ESME_RINVSRCNPI"},
    {0x50, "ESME_RINVDSTTON"},
    {0x51, "ESME_RINVDSTNPI"},
    {0x53, "ESME_RINVSYSTYP"},
    {0x54, "ESME_RINVREPFLAG"},
    {0x55, "ESME_RINVNUMMSGS"},
    {0x58, "ESME_RTHROTTLED"},
    {0x61, "ESME_RINVSCHED"},
    {0x62, "ESME_RINVEXPIRY"},
    {0x63, "ESME_RINVDFTMSGID"},
    {0x64, "ESME_RX_T_APPN"},
    {0x65, "ESME_RX_P_APPN"},
    {0x66, "ESME_RX_R_APPN"},
    {0x67, "ESME_RQUERYFAIL"},
    {0xC0, "ESME_RINVOPTPARSTREAM"},
    {0xC1, "ESME_ROPTPARNOTALLWD"},
    {0xC2, "ESME_RINVPARLEN"},
    {0xC3, "ESME_RMISSINGOPTPARAM"},
    {0xC4, "ESME_RINVOPTPARAMVAL"},
    {0xFE, "ESME_RDELIVERYFAILURE"},
    {0xFF, "ESME_RUNKNOWNERR"},
}};

}  // namespace

std::string_view StatusName(std::uint32_t status) {
    for (const auto& [value, name] : kNames) {
        if (value == status)
            return name;
    }
    if (status >= 0x400 && status <= 0x4FF)
        return "vendor specific";
    return "unknown";
}

std::string StatusText(std::uint32_t status) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X ", status);
    return hex + std::string(StatusName(status));
}

bool IsTemporaryRefusal(std::uint32_t status) {
    return status == kStatusThrottled || status == kStatusMessageQueueFull ||
           status == kStatusSystemError;
}

bool IsWrongLogin(std::uint32_t status) {
    return status == kStatusInvalidPassword || status == kStatusInvalidSystemId;
}

}  // namespace nimbra::smpp
