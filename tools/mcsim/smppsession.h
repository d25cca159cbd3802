#pragma once
// An SMPP 3.4 connection of the simulator: answers the driver's binds, submits, enquire_links
// and unbind as the options say (and the control commands: busy answers), logs the text of
// each accepted submit and of each message once all its parts have come, sends a delivery
// receipt for each accepted submit that asks for one, and sends incoming messages on command. A PDU
// it cannot follow (a command_length out of range) ends the connection; one it does not know gets a
// generic_nack.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "session.h"
#include "smppbodies.h"
#include "smppreceivebuffer.h"
#include "smpprun.h"

namespace mcsim {

class SmppSession : public Session {
    Q_OBJECT
public:
    SmppSession(QTcpSocket* socket, int number, SessionContext& context,
                std::shared_ptr<SmppRun> run, QObject* parent = nullptr);
    ~SmppSession() override;

    bool loggedIn() const override { return binding_ != Binding::None; }
    // Only to a session bound as receiver or transceiver.
    bool Deliver(const std::string& from, const std::string& to, const std::string& text) override;

    // Bound as receiver or transceiver: incoming messages and receipts may come here.
    bool takesDelivers() const;
    const std::string& systemId() const { return systemId_; }
    // Sends a deliver_sm with this session's next sequence number; false when closing.
    bool SendDeliver(const smpp::ShortMessage& message);
    // Sends the record text (code page, or "_UCS2_" and hex) as one deliver_sm or several
    // parts, coded in the GSM alphabet or UCS2.
    bool SendText(smpp::ShortMessage message, const std::string& text);

protected:
    void Received(std::string_view bytes) override;
    QString Readable(std::string_view bytes) const override;

private:
    enum class Binding { None, Transmitter, Receiver, Transceiver };

    void Handle(const std::string& pdu);
    void OnBind(const smpp::Header& header, std::string_view body);
    void OnSubmit(const smpp::Header& header, std::string_view body);
    void OnUnbind(const smpp::Header& header);
    void NoteText(const smpp::ShortMessage& submit);
    void OnDeliverResponse(const smpp::Header& header);
    void SendReply(const smpp::ShortMessage& submit);
    void SendReceipt(const smpp::ShortMessage& submit, const std::string& messageId,
                     const QString& submitDate);
    // The response to `request`: its command id with the response bit, its sequence number.
    void Answer(const smpp::Header& request, std::uint32_t status, std::string_view body = {});
    void Nack(const smpp::Header& request, std::uint32_t status);
    std::uint32_t NextSequence();

    std::shared_ptr<SmppRun> run_;
    SmppReceiveBuffer buffer_;
    Binding binding_ = Binding::None;
    std::string systemId_;
    bool closing_ = false;
    std::uint32_t lastSequence_ = 0;
    std::set<std::uint32_t> unansweredDelivers_;
};

}  // namespace mcsim
