#pragma once
// The simulator's control commands, one a line, from a person on stdin or from a test on
// the control port. Every command is answered by one line "ok ..." or "error ...".

#include <vector>

#include <QByteArray>
#include <QString>

#include "controllines.h"

namespace mcsim {

class Simulator;

class ControlCommands {
public:
    explicit ControlCommands(Simulator& simulator) : simulator_(simulator) {}

    struct Answer {
        QString line;  // without the line end; empty for an empty command line
        bool quit = false;
    };
    // `line` is UTF-8 without its line end.
    Answer Execute(const QByteArray& line);
    // The answers to these lines, each with its LF; `quit` is set when one asked to quit.
    QByteArray ExecuteAll(const std::vector<ControlLines::Line>& lines, bool& quit);

private:
    Simulator& simulator_;
};

}  // namespace mcsim
