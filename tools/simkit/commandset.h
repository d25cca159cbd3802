#pragma once
// A simulator's control commands, one a line, from a person on stdin or from a test on the
// control port. Every command is answered by one line "ok ..." or "error ...".

#include <vector>

#include <QByteArray>
#include <QString>

#include "controllines.h"

namespace simkit {

class CommandSet {
public:
    virtual ~CommandSet() = default;

    struct Answer {
        QString line;  // without the line end; empty for an empty command line
        bool quit = false;
    };
    // `line` is UTF-8 without its line end.
    virtual Answer Execute(const QByteArray& line) = 0;
    // The answers to these lines, each with its LF; `quit` is set when one asked to quit.
    QByteArray ExecuteAll(const std::vector<ControlLines::Line>& lines, bool& quit);

protected:
    struct Words {
        QString command;
        QString rest;  // the rest of the line, whose blanks may matter (a message text)
    };
    // The command word and the rest of a trimmed line.
    static Words Split(const QByteArray& line);
    static Answer Ok(const QString& text) { return {QStringLiteral("ok ") + text}; }
    static Answer Error(const QString& text) { return {QStringLiteral("error ") + text}; }
};

}  // namespace simkit
