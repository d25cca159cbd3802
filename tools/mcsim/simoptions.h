#pragma once
// What the simulator is told on its command line: where it listens, which protocol it
// speaks, and how it answers (or refuses, or stays silent) for the tests and demos it serves.

#include <optional>
#include <string>

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace mcsim {

struct SimOptions {
    QString protocol = QStringLiteral("cimd");
    QHostAddress listen{QHostAddress::LocalHost};
    quint16 port = 6000;      // default 6000, for smpp 9876; 0: a free port
    quint16 controlPort = 0;  // 0: a free port
    bool framed = false;      // CIMD2: standard framed packets, no prompts
    // Single-byte code-page text, as a driver sends them; unset: any is accepted.
    std::optional<std::string> user;
    std::optional<std::string> password;
    // Non-empty: every login is refused with this code; for smpp a command_status other than 0,
    // decimal or 0x hexadecimal.
    std::string loginError;
    bool loginNack = false;
    bool noLoginAnswer = false;
    bool noGreeting = false;
    std::string submitError;  // the same for every submit
    bool noSubmitAnswer = false;
    bool submitNack = false;
    bool generalError = false;
    bool noReport = false;
    int reportDelayMs = 300;
    std::string reportStatus = "4";  // CIMD2: the status code of status reports
    bool silentAlive = false;
    // Non-empty: every accepted submit is answered, after its status report, with a message
    // of this text from the recipient (SMPP).
    std::string reply;
    QString logFile;  // empty: packets go to stdout only
};

struct ParsedOptions {
    SimOptions options;
    QString error;  // non-empty: the command line is wrong
};

// `arguments` includes the program name first. --help and --version print and end the
// program, as QCommandLineParser does.
ParsedOptions ParseSimOptions(const QStringList& arguments);

}  // namespace mcsim
