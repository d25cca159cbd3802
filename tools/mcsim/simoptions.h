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
    quint16 port = 6000;      // 0: a free port
    quint16 controlPort = 0;  // 0: a free port
    bool framed = false;      // STX + text + checksum + ETX on what it sends
    // Single-byte code-page text, as a driver sends them; unset: any is accepted.
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::string loginError;  // non-empty: every login is refused with this code
    bool loginNack = false;
    bool noLoginAnswer = false;
    bool noGreeting = false;
    std::string submitError;  // non-empty: every submit is refused with this code
    bool noSubmitAnswer = false;
    bool submitNack = false;
    bool generalError = false;
    bool noReport = false;
    int reportDelayMs = 300;
    bool silentAlive = false;
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
