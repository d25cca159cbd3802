// nbsms send NUMBERS TEXT: through an nbEasySMS object; the errors it raises on the numbers
// go to stderr.

#include <QObject>

#include "commands.h"
#include "easysmsproxy.h"
#include "output.h"

namespace nbsms {

int Send(const nimbra::com::TransmitEngine& engine, const Request& request) {
    nimbra::com::TnbEasySMSProxy easy(engine);
    QObject::connect(
        &easy, &nimbra::com::TnbEasySMSProxy::Error,
        [](int, const QVariant& errorMessage, int) { PrintProblem(ValueText(errorMessage)); });
    // The engine checks a number when a separator ends it, and drops a last number it cannot
    // use without a word: closing the list makes the last number as checked as the others.
    QString numbers = request.arguments[0];
    if (!numbers.endsWith(QLatin1Char(',')) && !numbers.endsWith(QLatin1Char(';')))
        numbers += QLatin1Char(';');
    const QVariant messageId = easy.sendMessage(numbers, request.arguments[1]);
    easy.Release();
    if (messageId.toString().isEmpty()) {
        PrintProblem(QStringLiteral("nothing was queued"));
        return kExitFailed;
    }
    PrintLine(messageId.toString());
    return kExitOk;
}

}  // namespace nbsms
