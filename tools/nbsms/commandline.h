#pragma once
// The command line of nbsms: a command and its arguments, or --help. After the command,
// --help asks for the command's help and --json (for the commands that take it) for output
// a program reads; "--" ends the options.

#include <QString>
#include <QStringList>

#include "commands.h"

namespace nbsms {

struct Invocation {
    const Command* command = nullptr;
    Request request;
    // --help: the program's help, or the command's when command is set.
    bool help = false;
    QString error;  // set when the command line is not a valid one
};

// arguments: the whole command line, the program name first.
Invocation ParseCommandLine(const QStringList& arguments);
QString HelpText();
QString CommandHelpText(const Command& command);

}  // namespace nbsms
