#pragma once
// The commands of nbsms. Each works on the running engine and gives the program's exit
// code; a failed engine call throws nimbra::com::TransmitError.

#include <vector>

#include <QStringList>

#include "transmitengine.h"

namespace nbsms {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitNoEngine = 2;
inline constexpr int kExitUsage = 64;

// What the command line asks of a command.
struct Request {
    QStringList arguments;
    // Print for a program to read (JSON) instead of for a person.
    bool json = false;
};

using CommandFunction = int (*)(const nimbra::com::TransmitEngine& engine, const Request& request);

inline constexpr int kAnyNumber = -1;

struct Command {
    const char* name;
    const char* arguments;  // as the help shows them
    int leastArguments;
    int mostArguments;  // kAnyNumber: no limit
    bool json;          // takes --json
    const char* description;
    CommandFunction run;
};

// Every command, in the order the help lists them.
const std::vector<Command>& Commands();

int Send(const nimbra::com::TransmitEngine& engine, const Request& request);
int Watch(const nimbra::com::TransmitEngine& engine, const Request& request);
int Get(const nimbra::com::TransmitEngine& engine, const Request& request);
int Delete(const nimbra::com::TransmitEngine& engine, const Request& request);
int Resend(const nimbra::com::TransmitEngine& engine, const Request& request);
int Count(const nimbra::com::TransmitEngine& engine, const Request& request);
int MassSend(const nimbra::com::TransmitEngine& engine, const Request& request);
int Start(const nimbra::com::TransmitEngine& engine, const Request& request);
int Stop(const nimbra::com::TransmitEngine& engine, const Request& request);

// Administration, through the engine's Admin interface.
int Folders(const nimbra::com::TransmitEngine& engine, const Request& request);
int List(const nimbra::com::TransmitEngine& engine, const Request& request);
int Devices(const nimbra::com::TransmitEngine& engine, const Request& request);
int ResendFailed(const nimbra::com::TransmitEngine& engine, const Request& request);
int Move(const nimbra::com::TransmitEngine& engine, const Request& request);
int Export(const nimbra::com::TransmitEngine& engine, const Request& request);
int Install(const nimbra::com::TransmitEngine& engine, const Request& request);
int Uninstall(const nimbra::com::TransmitEngine& engine, const Request& request);
int Options(const nimbra::com::TransmitEngine& engine, const Request& request);
int Language(const nimbra::com::TransmitEngine& engine, const Request& request);

}  // namespace nbsms
