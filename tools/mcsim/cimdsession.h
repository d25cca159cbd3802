#pragma once
// A CIMD2 connection of the simulator: greets the driver, answers its login, logout, submits
// and keepalives as the options say, sends a status report after each accepted submit, and
// sends incoming messages on command. It speaks the line variant, every packet followed by
// the ">" prompt, or with --stx standard CIMD2: framed packets with checksums, no prompts,
// user data by data coding scheme; it then logs the text of each submitted message.

#include <string>
#include <string_view>

#include "cimdreceivebuffer.h"
#include "cimdsubmits.h"
#include "session.h"
#include "unCimdCodec.h"

namespace mcsim {

class CimdSession : public Session {
    Q_OBJECT
public:
    CimdSession(QTcpSocket* socket, int number, SessionContext& context, QObject* parent = nullptr);

    bool loggedIn() const override { return loggedIn_; }
    bool Deliver(const std::string& from, const std::string& to, const std::string& text) override;

protected:
    void Received(std::string_view bytes) override;
    QString Readable(std::string_view bytes) const override;

private:
    void Handle(const std::string& packet);
    void OnLogin(const nimbra::cimd::TParamList& login);
    void OnSubmit(const nimbra::cimd::TParamList& submit);
    void SendReport(const std::string& destination, const std::string& timestamp);
    // A response: `code` with the received packet's number and the given parameters.
    void Answer(std::string_view code, const std::string& number,
                std::initializer_list<std::string> parameters = {});
    bool SendPacket(const nimbra::cimd::TParamList& list);

    bool framed() const;
    // The packet of received bytes: false (and noted) when there is none to handle.
    bool ParseReceived(const std::string& bytes, nimbra::cimd::TParamList& list);

    CimdReceiveBuffer buffer_;
    nimbra::cimd::CimdNumbering numbering_;
    SubmittedTexts submitted_;
    bool loggedIn_ = false;
};

}  // namespace mcsim
