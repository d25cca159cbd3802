#pragma once
// What the modem simulator is told on its command line.

#include <QString>
#include <QStringList>

#include "modemsettings.h"

namespace modemsim {

struct ModemOptions {
    ModemSettings modem;
    QString link;             // non-empty: a symbolic link to the terminal device
    quint16 controlPort = 0;  // 0: a free port
    QString logFile;          // empty: the traffic goes to stdout only
};

struct ParsedModemOptions {
    ModemOptions options;
    QString error;  // non-empty: the command line is wrong
};

// `arguments` includes the program name first. --help prints and ends the program.
ParsedModemOptions ParseModemOptions(const QStringList& arguments);

}  // namespace modemsim
