#pragma once
// The message-centre simulator's control commands: deliver, drop, raw, stats, quit.

#include <QByteArray>

#include "commandset.h"

namespace mcsim {

class Simulator;

class ControlCommands : public simkit::CommandSet {
public:
    explicit ControlCommands(Simulator& simulator) : simulator_(simulator) {}

    Answer Execute(const QByteArray& line) override;

private:
    Simulator& simulator_;
};

}  // namespace mcsim
