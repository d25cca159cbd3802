#pragma once
// The command line of nbsms: a command and its arguments, or --help.

#include <QString>
#include <QStringList>

#include "commands.h"

namespace nbsms {

struct Invocation {
    const Command* command = nullptr;
    QStringList arguments;
    bool help = false;
    QString error;  // set when the command line is not a valid one
};

// arguments: the whole command line, the program name first.
Invocation ParseCommandLine(const QStringList& arguments);
QString HelpText();

}  // namespace nbsms
