#pragma once
// The modem simulator's control commands (listed in modemsim --help).

#include <functional>

#include <QByteArray>
#include <QString>

#include "commandset.h"

namespace modemsim {

class Modem;
class ModemHost;
class PtyPort;

class ModemControl : public simkit::CommandSet {
public:
    // `plug` makes a new terminal and reports it; it returns an error text, empty on success.
    ModemControl(Modem& modem, ModemHost& host, PtyPort& port, std::function<QString()> plug)
        : modem_(modem), host_(host), port_(port), plug_(std::move(plug)) {}

    Answer Execute(const QByteArray& line) override;

private:
    Answer Run(const QString& command, const QString& rest);
    Answer SetFault(const QString& rest);
    Answer Sent(const QString& rest);
    Answer Stats();

    Modem& modem_;
    ModemHost& host_;
    PtyPort& port_;
    std::function<QString()> plug_;
};

}  // namespace modemsim
