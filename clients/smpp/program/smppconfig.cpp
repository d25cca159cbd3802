#include "smppconfig.h"

#include "smpplink.h"
#include "unSmpp.h"

namespace nimbra::smpp {

namespace {

using Kind = driver::PrefField::Kind;

std::string Name(std::string_view name) {
    return std::string(name);
}

}  // namespace

driver::FrameConfig SmppFrameConfig() {
    const QString mode = QStringLiteral("Connection mode:");
    const QString coding = QStringLiteral("Text coding:");
    const QString longMessages = QStringLiteral("Long messages:");
    driver::FrameConfig config;
    config.requestedName = "smpp";
    config.logCaption = QStringLiteral("SMPP Events");
    config.tabs = {QStringLiteral("Connection settings"), QStringLiteral("&Advanced")};
    config.fields = {
        {Name(fields::kHost), QStringLiteral("Host:"), "localhost", Kind::Edit, 0},
        {Name(fields::kPort), QStringLiteral("Port:"), "9876", Kind::Edit, 0},
        {Name(fields::kUser), QStringLiteral("User:"), "nimbra", Kind::Edit, 0},
        {Name(fields::kPass), QStringLiteral("Password:"), "secret", Kind::Password, 0},
        {Name(fields::kOperator), QStringLiteral("Operator:"), "T-mobile", Kind::Edit, 0},
        {Name(fields::kSender), QStringLiteral("Phone number:"), "+36201234567", Kind::Edit, 0},
        {Name(fields::kSystemType), QStringLiteral("System type:"), "smpp", Kind::Edit, 1},
        {Name(fields::kTransmitter), QStringLiteral("Transmitter"), "0", Kind::Radio, 1, mode},
        {Name(fields::kReceiver), QStringLiteral("Receiver"), "0", Kind::Radio, 1, mode},
        {Name(fields::kTransceiver), QStringLiteral("Transceiver"), "1", Kind::Radio, 1, mode},
        {Name(fields::kDelivery), QStringLiteral("Request delivery report"), "0", Kind::Check, 1},
        {Name(fields::kAlphabetGsm), QStringLiteral("GSM 03.38"), "1", Kind::Radio, 1, coding},
        {Name(fields::kAlphabetLatin1), QStringLiteral("Latin-1"), "0", Kind::Radio, 1, coding},
        {Name(fields::kAlphabetCodePage), QStringLiteral("Code page bytes (earlier versions)"), "0",
         Kind::Radio, 1, coding},
        {Name(fields::kLongHeader), QStringLiteral("User data header"), "1", Kind::Radio, 1,
         longMessages},
        {Name(fields::kLongSar), QStringLiteral("sar_* parameters"), "0", Kind::Radio, 1,
         longMessages},
        {Name(fields::kLongPayload), QStringLiteral("One message_payload"), "0", Kind::Radio, 1,
         longMessages},
        {Name(fields::kSourceTon), QStringLiteral("Source TON:"), "", Kind::Edit, 1},
        {Name(fields::kSourceNpi), QStringLiteral("Source NPI:"), "", Kind::Edit, 1},
        {Name(fields::kDestTon), QStringLiteral("Destination TON:"), "", Kind::Edit, 1},
        {Name(fields::kDestNpi), QStringLiteral("Destination NPI:"), "", Kind::Edit, 1},
        {Name(fields::kValidity), QStringLiteral("Validity period (minutes):"), "", Kind::Edit, 1},
        {Name(fields::kThrottleSteps), QStringLiteral("Pauses when busy (seconds):"),
         std::string(kDefaultThrottleSteps), Kind::Edit, 1},
        {Name(fields::kWindow), QStringLiteral("Messages in flight (1-100):"), "1", Kind::Edit, 1},
        {Name(fields::kRateCap), QStringLiteral("Most messages a second (0: no limit):"), "0",
         Kind::Edit, 1},
        {Name(fields::kLog), QStringLiteral("Log communication"), "0", Kind::Check, 0},
    };
    config.retryIntervalMs = 15000;
    // The sender field may leave each message the sender the engine gave it.
    config.keepSenderMarker = "_DYNAMIC_";
    config.makeLink = [](driver::FrameServices& services) {
        return std::make_unique<SmppLink>(services);
    };
    return config;
}

}  // namespace nimbra::smpp
