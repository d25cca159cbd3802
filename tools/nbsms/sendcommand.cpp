// nbsms send NUMBERS TEXT: through an nbEasySMS object; the errors it raises on the numbers
// go to stderr.

#include <QObject>

#include "commands.h"
#include "easysmsproxy.h"
#include "output.h"

namespace nbsms {

int Send(const nimbra::com::TransmitEngine& engine, const QStringList& arguments) {
    nimbra::com::TnbEasySMSProxy easy(engine);
    QObject::connect(
        &easy, &nimbra::com::TnbEasySMSProxy::Error,
        [](int, const QVariant& errorMessage, int) { PrintProblem(ValueText(errorMessage)); });
    const QVariant messageId = easy.sendMessage(arguments[0], arguments[1]);
    easy.Release();
    if (messageId.toString().isEmpty()) {
        PrintProblem(QStringLiteral("nothing was queued"));
        return kExitFailed;
    }
    PrintLine(messageId.toString());
    return kExitOk;
}

}  // namespace nbsms
