#include "cimdconfig.h"

#include "cimdlink.h"
#include "unCimd.h"

namespace nimbra::cimd {

namespace {

using Kind = driver::PrefField::Kind;

std::string Name(std::string_view name) {
    return std::string(name);
}

}  // namespace

driver::FrameConfig CimdFrameConfig() {
    driver::FrameConfig config;
    config.requestedName = "CIMD2 Connection ";
    config.logCaption = QStringLiteral("CIMD2 Events");
    config.tabs = {QStringLiteral("CIMD2 settings"), QStringLiteral("&Advanced")};
    config.fields = {
        {Name(fields::kHost), QStringLiteral("Host:"), "localhost", Kind::Edit, 0},
        {Name(fields::kPort), QStringLiteral("Port:"), "6000", Kind::Edit, 0},
        {Name(fields::kUser), QStringLiteral("User:"), "6000", Kind::Edit, 0},
        {Name(fields::kPass), QStringLiteral("Password:"), "secret", Kind::Password, 0},
        {Name(fields::kOperator), QStringLiteral("Operator:"), "T-mobile", Kind::Edit, 0},
        {Name(fields::kSender), QStringLiteral("Phone number:"), "+36201234567", Kind::Edit, 0},
        {Name(fields::kLog), QStringLiteral("Log communication"), "0", Kind::Check, 0},
        {Name(fields::kSourceIp), QStringLiteral("Source IP address:"), "", Kind::Edit, 1},
        {Name(fields::kSourcePort), QStringLiteral("Source port:"), "0", Kind::Edit, 1},
        {Name(fields::kSkipLogin), QStringLiteral("Skip login sequence"), "0", Kind::Check, 1},
        {Name(fields::kPlain), QStringLiteral("Do not use <stx> and <etx> in the communication"),
         "1", Kind::Check, 1},
        {Name(fields::kKeepalive), QStringLiteral("Time period:"), "30", Kind::Edit, 1},
        {Name(fields::kOriginator), QStringLiteral("Include originator address in submit PDU"), "0",
         Kind::Check, 1},
        {Name(fields::kResponseTimeout), QStringLiteral("Response timeout (seconds):"),
         std::to_string(kDefaultResponseTimeout), Kind::Edit, 1},
        {Name(fields::kWindow), QStringLiteral("Messages in flight (1-100):"), "1", Kind::Edit, 1},
        {Name(fields::kRateCap), QStringLiteral("Most messages a second (0: no limit):"), "0",
         Kind::Edit, 1},
    };
    config.retryIntervalMs = 3000;
    config.makeLink = [](driver::FrameServices& services) {
        return std::make_unique<CimdLink>(services);
    };
    return config;
}

}  // namespace nimbra::cimd
