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

using CommandFunction = int (*)(const nimbra::com::TransmitEngine& engine,
                                const QStringList& arguments);

struct Command {
    const char* name;
    const char* arguments;  // as the help shows them
    int argumentCount;
    const char* description;
    CommandFunction run;
};

// Every command, in the order the help lists them.
const std::vector<Command>& Commands();

int Send(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Watch(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Get(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Delete(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Resend(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Count(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int MassSend(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Start(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);
int Stop(const nimbra::com::TransmitEngine& engine, const QStringList& arguments);

}  // namespace nbsms
