#include "smppsession.h"

#include <QDateTime>
#include <QTimer>

#include "codepage.h"
#include "simoptions.h"
#include "smppmessagetext.h"

namespace mcsim {
namespace {

using smpp::Header;
using smpp::ShortMessage;

constexpr char kSystemId[] = "mcsim";
constexpr std::uint8_t kReceiptRequested = 0x01;
constexpr std::uint8_t kEsmClassReceipt = 0x04;
constexpr std::size_t kAddressLimit = 20;
constexpr std::size_t kReceiptTextLimit = 20;
constexpr std::uint16_t kTagSarReference = 0x020C;
constexpr std::uint16_t kTagSarTotal = 0x020E;
constexpr std::uint16_t kTagSarIndex = 0x020F;
constexpr std::uint32_t kLastSequence = 0x7FFFFFFF;
constexpr int kReplyAfterReportMs = 700;

QString Text(std::string_view bytes) {
    return QString::fromStdString(nimbra::AnsiToUtf8(bytes));
}

QString ReceiptDate() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmm"));
}

std::uint32_t Number(std::string_view bytes) {
    std::uint32_t value = 0;
    for (char c : bytes)
        value = value << 8 | static_cast<unsigned char>(c);
    return value;
}

// Where a submitted part belongs: its header's concatenation element, or its sar_* parameters.
std::optional<smpp::PartOf> PartOfSubmit(const ShortMessage& submit, const smpp::UserData& data) {
    if (data.part)
        return data.part;
    smpp::PartOf part;
    int found = 0;
    for (const smpp::Tlv& tlv : submit.tlvs) {
        if (tlv.tag == kTagSarReference && tlv.value.size() == 2)
            part.reference = Number(tlv.value), ++found;
        else if (tlv.tag == kTagSarTotal && tlv.value.size() == 1)
            part.total = static_cast<int>(Number(tlv.value)), ++found;
        else if (tlv.tag == kTagSarIndex && tlv.value.size() == 1)
            part.index = static_cast<int>(Number(tlv.value)), ++found;
    }
    if (found != 3)
        return std::nullopt;
    return part;
}

// A status the command line gave; the options were checked when the program started.
std::uint32_t OptionStatus(const std::string& text) {
    return smpp::ParseStatus(text).value_or(smpp::kStatusSystemError);
}

}  // namespace

SmppSession::SmppSession(QTcpSocket* socket, int number, SessionContext& context,
                         std::shared_ptr<SmppRun> run, QObject* parent)
    : Session(socket, number, context, parent), run_(std::move(run)) {
    run_->Add(this);
    // A closed connection takes nothing more, also before the session is deleted.
    connect(this, &Session::finished, this, [this] { binding_ = Binding::None; });
}

SmppSession::~SmppSession() {
    run_->Remove(this);
}

bool SmppSession::Deliver(const std::string& from, const std::string& to, const std::string& text) {
    if (!takesDelivers())
        return false;
    ShortMessage message;
    message.source = smpp::AddressFromText(from);
    message.destination = smpp::AddressFromText(to);
    if (message.source.digits.size() > kAddressLimit ||
        message.destination.digits.size() > kAddressLimit) {
        Note(QStringLiteral("deliver not sent: an address is longer than %1 characters")
                 .arg(kAddressLimit));
        return false;
    }
    if (!SendText(message, text))
        return false;
    ++context_.stats.delivers;
    return true;
}

bool SmppSession::SendText(ShortMessage message, const std::string& text) {
    smpp::CodedText coded = smpp::CodeText(text);
    if (coded.parts.size() > 1)
        smpp::NumberParts(coded, run_->NextReference());
    message.dataCoding = coded.dataCoding;
    message.esmClass = coded.esmClass;
    for (const std::string& part : coded.parts) {
        message.text = part;
        if (!SendDeliver(message))
            return false;
    }
    return true;
}

bool SmppSession::takesDelivers() const {
    return binding_ == Binding::Receiver || binding_ == Binding::Transceiver;
}

bool SmppSession::SendDeliver(const ShortMessage& message) {
    const std::uint32_t sequence = NextSequence();
    if (!Send(smpp::Pdu(smpp::kDeliverSm, smpp::kStatusOk, sequence,
                        smpp::ShortMessageBody(message))))
        return false;
    unansweredDelivers_.insert(sequence);
    return true;
}

void SmppSession::Received(std::string_view bytes) {
    if (closing_)
        return;
    const SmppReceiveBuffer::Result result = buffer_.Append(bytes);
    for (const std::string& pdu : result.pdus) {
        Handle(pdu);
        if (closing_)
            return;
    }
    if (result.badLength) {
        Note(QStringLiteral("command_length %1 is not %2 to %3: closing the connection")
                 .arg(*result.badLength)
                 .arg(smpp::kHeaderSize)
                 .arg(smpp::kMaxPduSize));
        closing_ = true;
        Close();
    }
}

QString SmppSession::Readable(std::string_view bytes) const {
    const std::optional<Header> header = smpp::ReadHeader(bytes);
    if (!header || header->length != bytes.size())
        return QStringLiteral("%1 bytes %2")
            .arg(bytes.size())
            .arg(QString::fromStdString(smpp::Hex(bytes)));
    return QStringLiteral("%1 seq=%2 status=%3 %4")
        .arg(QString::fromStdString(smpp::CommandName(header->command)))
        .arg(header->sequence)
        .arg(QString::fromStdString(smpp::StatusText(header->status)),
             QString::fromStdString(smpp::Hex(bytes)));
}

void SmppSession::Handle(const std::string& pdu) {
    LogReceived(pdu);
    const Header header = *smpp::ReadHeader(pdu);
    const std::string_view body = std::string_view(pdu).substr(smpp::kHeaderSize);
    switch (header.command) {
        case smpp::kBindReceiver:
        case smpp::kBindTransmitter:
        case smpp::kBindTransceiver:
            OnBind(header, body);
            return;
        case smpp::kSubmitSm:
            OnSubmit(header, body);
            return;
        case smpp::kEnquireLink:
            if (context_.options.silentAlive)
                Note(QStringLiteral("enquire_link left unanswered"));
            else
                Answer(header, smpp::kStatusOk);
            return;
        case smpp::kUnbind:
            OnUnbind(header);
            return;
        case smpp::kDeliverSm | smpp::kResponseBit:
            OnDeliverResponse(header);
            return;
        case smpp::kGenericNack:
            unansweredDelivers_.erase(header.sequence);
            Note(QStringLiteral("the driver refused sequence %1 with status %2")
                     .arg(header.sequence)
                     .arg(QString::fromStdString(smpp::StatusText(header.status))));
            return;
        default:
            break;
    }
    if ((header.command & smpp::kResponseBit) != 0) {
        Note(QStringLiteral("ignored: a response to nothing this simulator sends"));
        return;
    }
    Note(QStringLiteral("unknown or unsupported command: generic_nack"));
    Nack(header, smpp::kStatusInvalidCommandId);
}

void SmppSession::OnBind(const Header& header, std::string_view body) {
    const SimOptions& options = context_.options;
    if (options.noLoginAnswer) {
        Note(QStringLiteral("bind left unanswered"));
        return;
    }
    if (binding_ != Binding::None) {
        Answer(header, smpp::kStatusAlreadyBound);
        return;
    }
    const smpp::Parsed<smpp::Bind> bind = smpp::ParseBind(body);
    if (!bind.error.empty()) {
        Note(QStringLiteral("bind refused: %1").arg(Text(bind.error)));
        Answer(header, bind.status);
    } else if (options.loginNack) {
        Nack(header, smpp::kStatusInvalidCommandId);
    } else if (!options.loginError.empty()) {
        Answer(header, OptionStatus(options.loginError));
    } else if ((options.user && bind.body.systemId != *options.user) ||
               (options.password && bind.body.password != *options.password)) {
        Answer(header, smpp::kStatusInvalidPassword);
    } else {
        switch (header.command) {
            case smpp::kBindReceiver:
                binding_ = Binding::Receiver;
                break;
            case smpp::kBindTransmitter:
                binding_ = Binding::Transmitter;
                break;
            default:
                binding_ = Binding::Transceiver;
        }
        systemId_ = bind.body.systemId;
        ++context_.stats.logins;
        Answer(header, smpp::kStatusOk, smpp::BodyWriter().CString(kSystemId).bytes());
    }
}

void SmppSession::OnSubmit(const Header& header, std::string_view body) {
    const SimOptions& options = context_.options;
    if (binding_ != Binding::Transmitter && binding_ != Binding::Transceiver) {
        Note(QStringLiteral("submit refused: not bound as transmitter or transceiver"));
        Answer(header, smpp::kStatusIncorrectBindState);
        return;
    }
    const smpp::Parsed<ShortMessage> submit = smpp::ParseShortMessage(body);
    if (!submit.error.empty()) {
        Note(QStringLiteral("submit refused: %1").arg(Text(submit.error)));
        Answer(header, submit.status);
    } else if (context_.controls.busySubmits > 0) {
        --context_.controls.busySubmits;
        Note(QStringLiteral("submit refused as busy"));
        Answer(header, context_.controls.busyStatus);
    } else if (options.noSubmitAnswer) {
        Note(QStringLiteral("submit left unanswered"));
    } else if (options.submitNack) {
        Nack(header, smpp::kStatusInvalidCommandId);
    } else if (options.generalError) {
        Answer(header, smpp::kStatusSystemError);
    } else if (!options.submitError.empty()) {
        Answer(header, OptionStatus(options.submitError));
    } else {
        const std::string messageId = run_->NextMessageId();
        ++context_.stats.submits;
        Answer(header, smpp::kStatusOk, smpp::BodyWriter().CString(messageId).bytes());
        NoteText(submit.body);
        if ((submit.body.registeredDelivery & kReceiptRequested) != 0 && !options.noReport) {
            QTimer::singleShot(options.reportDelayMs, this,
                               [this, message = submit.body, messageId, date = ReceiptDate()] {
                                   SendReceipt(message, messageId, date);
                               });
        }
        if (!options.reply.empty()) {
            QTimer::singleShot(options.reportDelayMs + kReplyAfterReportMs, this,
                               [this, message = submit.body] { SendReply(message); });
        }
    }
}

// What a person would read: each submit's text, and a message's whole text once every part
// of it has come.
void SmppSession::NoteText(const ShortMessage& submit) {
    const smpp::UserData data = smpp::SplitHeader(submit.Payload(), submit.esmClass);
    const QString text = smpp::DecodeText(data.octets, submit.dataCoding);
    Note(QStringLiteral("submit text: \"%1\"").arg(text));
    const std::optional<smpp::PartOf> part = PartOfSubmit(submit, data);
    if (!part || part->total < 2 || part->index < 1 || part->index > part->total) {
        Note(QStringLiteral("message text: \"%1\"").arg(text));
        return;
    }
    const std::string key = submit.source.digits + ">" + submit.destination.digits + "#" +
                            std::to_string(part->reference) + "/" + std::to_string(part->total);
    if (const std::optional<QString> whole = run_->AddPart(key, part->total, part->index, text))
        Note(QStringLiteral("message text: \"%1\" (%2 parts)").arg(*whole).arg(part->total));
}

void SmppSession::OnUnbind(const Header& header) {
    if (binding_ == Binding::None) {
        Answer(header, smpp::kStatusIncorrectBindState);
        return;
    }
    binding_ = Binding::None;
    Answer(header, smpp::kStatusOk);
    closing_ = true;
    Close();
}

void SmppSession::OnDeliverResponse(const Header& header) {
    ++context_.stats.acks;
    if (unansweredDelivers_.erase(header.sequence) == 0)
        Note(QStringLiteral("deliver_sm_resp with sequence %1, which no deliver_sm here had")
                 .arg(header.sequence));
}

void SmppSession::SendReceipt(const ShortMessage& submit, const std::string& messageId,
                              const QString& submitDate) {
    SmppSession* target = takesDelivers() ? this : nullptr;
    if (binding_ == Binding::Transmitter)
        target = run_->ReceiverFor(systemId_, this);
    if (!target) {
        Note(QStringLiteral("receipt for %1 not sent: no receiver is bound as \"%2\"")
                 .arg(QString::fromStdString(messageId), Text(systemId_)));
        return;
    }
    ShortMessage receipt;
    receipt.source = submit.destination;
    receipt.destination = submit.source;
    receipt.esmClass = kEsmClassReceipt;
    const std::string& state = context_.options.receiptState;
    const bool delivered = state == "DELIVRD";
    receipt.text = "id:" + messageId + " sub:001 dlvrd:" + (delivered ? "001" : "000") +
                   " submit date:" + submitDate.toStdString() +
                   " done date:" + ReceiptDate().toStdString() + " stat:" + state +
                   " err:" + (delivered ? "000" : "001") +
                   " text:" + submit.Payload().substr(0, kReceiptTextLimit);
    receipt.tlvs = {{smpp::kTagReceiptedMessageId, messageId + '\0'},
                    {smpp::kTagMessageState,
                     std::string(1, static_cast<char>(smpp::MessageState(state).value_or(0)))}};
    if (!target->SendDeliver(receipt))
        return;
    ++context_.stats.reports;
    if (target != this)
        Note(QStringLiteral("receipt for %1 sent on connection #%2")
                 .arg(QString::fromStdString(messageId))
                 .arg(target->number()));
}

// The recipient answers: a mobile-originated message back to the sender of the submit.
void SmppSession::SendReply(const ShortMessage& submit) {
    ShortMessage reply;
    reply.source = submit.destination;
    reply.destination = submit.source;
    SmppSession* target = takesDelivers() ? this : run_->ReceiverFor(systemId_, this);
    if (!target) {
        Note(QStringLiteral("reply not sent: no receiver is bound as \"%1\"").arg(Text(systemId_)));
        return;
    }
    if (target->SendText(reply, context_.options.reply))
        ++context_.stats.delivers;
}

void SmppSession::Answer(const Header& request, std::uint32_t status, std::string_view body) {
    Send(smpp::Pdu(request.command | smpp::kResponseBit, status, request.sequence, body));
}

void SmppSession::Nack(const Header& request, std::uint32_t status) {
    Send(smpp::Pdu(smpp::kGenericNack, status, request.sequence));
}

std::uint32_t SmppSession::NextSequence() {
    lastSequence_ = lastSequence_ >= kLastSequence ? 1 : lastSequence_ + 1;
    return lastSequence_;
}

}  // namespace mcsim
