// nbsms start and stop: through an nbServiceControl object, which says when the server runs
// already or does not run.

#include <QObject>

#include "commands.h"
#include "output.h"
#include "servicecontrolproxy.h"

namespace nbsms {
namespace {

// The error codes of a start or stop that does not fit the server's state.
constexpr int kAlreadyRunning = 5;
constexpr int kNotRunning = 6;

int StartOrStop(const nimbra::com::TransmitEngine& engine, bool start) {
    nimbra::com::TnbServiceControlProxy control(engine);
    QString refusal;
    QObject::connect(&control, &nimbra::com::TnbServiceControlProxy::Error,
                     [&refusal](int errorCode, const QVariant& errorMessage, int) {
                         if (errorCode == kAlreadyRunning || errorCode == kNotRunning)
                             refusal = ValueText(errorMessage);
                     });
    // A refusal is raised during the call and has arrived when it returns.
    if (start)
        control.startServer();
    else
        control.stopServer();
    control.Release();
    if (!refusal.isEmpty()) {
        PrintProblem(refusal);
        return kExitFailed;
    }
    PrintLine(start ? QStringLiteral("Server started") : QStringLiteral("Server stopped"));
    return kExitOk;
}

}  // namespace

int Start(const nimbra::com::TransmitEngine& engine, const Request&) {
    return StartOrStop(engine, true);
}

int Stop(const nimbra::com::TransmitEngine& engine, const Request&) {
    return StartOrStop(engine, false);
}

}  // namespace nbsms
