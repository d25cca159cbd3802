#include "cimdsession.h"

#include <cstdio>

#include <QTimer>

#include "codepage.h"
#include "simoptions.h"
#include "uniquetimestamps.h"

namespace mcsim {
namespace {

using nimbra::cimd::ParseResult;
using nimbra::cimd::TParamList;

// Responses only the message centre sends; the driver's codec has no names for them.
constexpr std::string_view kOpLogoutResponse = "52";
constexpr std::string_view kOpAliveResponse = "90";

constexpr char kGreeting[] = "CIMD2-A ConnectionServer\r\n";
constexpr char kPrompt[] = ">";

std::string Parameter(std::string_view name, const std::string& value) {
    return std::string(name) + ":" + value;
}

// Whether a submit's status report request (056, a mask of outcomes) asks for a report with
// the given status code: 2 validity period expired, 3 delivery failed, 4 delivered, 7 and 9
// cancelled, 8 deleted by the operator. A submit without 056 asks for none.
bool ReportRequested(const std::string& mask, const std::string& status) {
    int bits = 0;
    if (std::sscanf(mask.c_str(), "%d", &bits) != 1)
        return false;
    int bit = 0;
    if (status == "2")
        bit = 2;
    else if (status == "3")
        bit = 4;
    else if (status == "4")
        bit = 8;
    else if (status == "7" || status == "9")
        bit = 16;
    else if (status == "8")
        bit = 32;
    else if (status == "1" || status == "5" || status == "6")
        bit = 1;
    return (bits & bit) != 0;
}

QString Text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

// A packet number as drivers write them: one to three decimal digits.
bool IsPacketNumber(const std::string& text) {
    if (text.empty() || text.size() > 3)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

}  // namespace

CimdSession::CimdSession(QTcpSocket* socket, int number, SessionContext& context, QObject* parent)
    : Session(socket, number, context, parent),
      buffer_(context.options.framed),
      numbering_(context.options.framed ? nimbra::cimd::CimdNumbering::Side::Centre
                                        : nimbra::cimd::CimdNumbering::Side::Client) {
    if (!context_.options.noGreeting)
        Send(framed() ? std::string(kGreeting) : std::string(kGreeting) + kPrompt);
}

bool CimdSession::framed() const {
    return context_.options.framed;
}

bool CimdSession::Deliver(const std::string& from, const std::string& to, const std::string& text) {
    TParamList deliver;
    deliver.put(0, Parameter(nimbra::cimd::kOpDeliver, ""));
    deliver.put(1, Parameter("023", from));
    deliver.put(2, Parameter("021", to));
    if (framed())
        nimbra::cimd::PutUserData(deliver, 3, nimbra::cimd::EncodeUserData(text));
    else
        deliver.put(3, Parameter("033", nimbra::cimd::EncodeText(text)));
    if (!SendPacket(deliver))
        return false;
    ++context_.stats.delivers;
    return true;
}

void CimdSession::Received(std::string_view bytes) {
    const CimdReceiveBuffer::Result result = buffer_.Append(bytes);
    for (const std::string& packet : result.packets)
        Handle(packet);
    if (result.dropped > 0)
        Note(QStringLiteral("dropped %1 bytes: no CR within %2 bytes")
                 .arg(result.dropped)
                 .arg(CimdReceiveBuffer::kLimit));
}

QString CimdSession::Readable(std::string_view bytes) const {
    const std::string visible = nimbra::cimd::Visible(bytes);
    std::string readable;
    readable.reserve(visible.size());
    for (const char c : visible) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<x%02X>", byte);
            readable += hex;
        } else {
            readable += c;
        }
    }
    return QString::fromStdString(nimbra::AnsiToUtf8(readable));
}

bool CimdSession::ParseReceived(const std::string& bytes, TParamList& list) {
    const ParseResult result = framed() ? nimbra::cimd::ParseFrame(bytes, list)
                                        : nimbra::cimd::Parse(PacketText(bytes), list);
    switch (result) {
        case ParseResult::Ok:
            return true;
        case ParseResult::Empty:
            Note(QStringLiteral("ignored: no packet"));
            return false;
        case ParseResult::TooManyPieces:
            Note(QStringLiteral("ignored: more than 50 pieces"));
            return false;
        case ParseResult::BadChecksum:
            Note(QStringLiteral("ignored: wrong checksum"));
            return false;
    }
    return false;
}

void CimdSession::Handle(const std::string& packet) {
    LogReceived(packet);
    TParamList list;
    if (!ParseReceived(packet, list))
        return;
    const std::string code = list.name(0);
    const std::string number = list.value(0);
    if (!IsPacketNumber(number)) {
        Note(QStringLiteral("ignored: no packet number"));
        return;
    }
    if (code == nimbra::cimd::kOpLogin) {
        OnLogin(list);
    } else if (code == nimbra::cimd::kOpLogout) {
        loggedIn_ = false;
        Answer(kOpLogoutResponse, number);
        Close();
    } else if (code == nimbra::cimd::kOpSubmit) {
        OnSubmit(list);
    } else if (code == nimbra::cimd::kOpAlive) {
        if (context_.options.silentAlive)
            Note(QStringLiteral("alive left unanswered"));
        else
            Answer(kOpAliveResponse, number);
    } else if (code == nimbra::cimd::kOpDeliverResponse ||
               code == nimbra::cimd::kOpStatusReportResponse) {
        ++context_.stats.acks;
    } else {
        Note(QStringLiteral("ignored: unknown operation \"%1\"").arg(Text(code)));
    }
}

void CimdSession::OnLogin(const TParamList& login) {
    const SimOptions& options = context_.options;
    const std::string number = login.value(0);
    if (options.noLoginAnswer) {
        Note(QStringLiteral("login left unanswered"));
        return;
    }
    loggedIn_ = false;
    if (options.loginNack) {
        Answer(nimbra::cimd::kOpNack, number);
    } else if (!options.loginError.empty()) {
        Answer(nimbra::cimd::kOpLoginResponse, number, {Parameter("900", options.loginError)});
    } else if ((options.user && login.valueOf("010") != *options.user) ||
               (options.password && login.valueOf("011") != *options.password)) {
        Answer(nimbra::cimd::kOpLoginResponse, number, {Parameter("900", "100")});
    } else {
        loggedIn_ = true;
        ++context_.stats.logins;
        Answer(nimbra::cimd::kOpLoginResponse, number);
    }
}

void CimdSession::OnSubmit(const TParamList& submit) {
    const SimOptions& options = context_.options;
    const std::string number = submit.value(0);
    if (options.noSubmitAnswer) {
        Note(QStringLiteral("submit left unanswered"));
    } else if (options.submitNack) {
        Answer(nimbra::cimd::kOpNack, number);
    } else if (options.generalError) {
        Answer(nimbra::cimd::kOpGeneralError, number);
    } else if (!options.submitError.empty()) {
        Answer(nimbra::cimd::kOpSubmitResponse, number, {Parameter("900", options.submitError)});
    } else {
        const std::string timestamp = context_.timestamps.Next();
        const std::string destination = submit.valueOf("021");
        ++context_.stats.submits;
        if (framed()) {
            if (const std::optional<QString> text = submitted_.Take(submit))
                Note(QStringLiteral("message text: ") + *text);
        }
        Answer(nimbra::cimd::kOpSubmitResponse, number, {Parameter("060", timestamp)});
        // A standard centre reports only the outcomes the submit asks for; the line variant
        // always gets its report.
        const bool requested =
            !framed() || ReportRequested(submit.valueOf("056"), options.reportStatus);
        if (!options.noReport && requested) {
            QTimer::singleShot(options.reportDelayMs, this, [this, destination, timestamp] {
                SendReport(destination, timestamp);
            });
        }
    }
}

void CimdSession::SendReport(const std::string& destination, const std::string& timestamp) {
    TParamList report;
    report.put(0, Parameter(nimbra::cimd::kOpStatusReport, ""));
    report.put(1, Parameter("021", destination));
    report.put(2, Parameter("060", timestamp));
    report.put(3, Parameter("061", context_.options.reportStatus));
    if (SendPacket(report))
        ++context_.stats.reports;
}

void CimdSession::Answer(std::string_view code, const std::string& number,
                         std::initializer_list<std::string> parameters) {
    TParamList answer;
    answer.put(0, Parameter(code, number));
    int index = 1;
    for (const std::string& parameter : parameters)
        answer.put(index++, parameter);
    SendPacket(answer);
}

bool CimdSession::SendPacket(const TParamList& list) {
    if (framed())
        return Send(nimbra::cimd::StandardFrame(
            numbering_.Assemble(list, nimbra::cimd::Framing::Standard)));
    return Send(numbering_.Assemble(list) + kPrompt);
}

}  // namespace mcsim
