#include "autodetect.h"

#include "atresult.h"
#include "unStrings.h"

namespace nimbra::handset {

namespace {

// Answers OK at the speed just chosen.
bool AnswersAt(TModem& modem, int baud, AutodetectView& view) {
    modem.port().Close();
    view.SelectSpeed(baud);
    view.Status(view.Translate("Checking port speed:") + " " + std::to_string(baud));
    return modem.OpenPort() && modem.SendATR("ATZ") == kResultOk;
}

std::string Ask(TModem& modem, const std::string& command) {
    const std::string result = modem.SendATR(command);
    return AnswerLine(result, modem.RxLines());
}

std::string Without(std::string text, const std::string& part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part))
        text.erase(at, part.size());
    return text;
}

AutodetectResult Probe(TModem& modem, const std::string& portName, AutodetectView& view) {
    AutodetectResult outcome{kAutodetectOk, {}};
    bool answered = false;
    for (const int baud : kAutodetectSpeeds) {
        if (modem.Aborted())
            break;
        if (AnswersAt(modem, baud, view)) {
            answered = true;
            break;
        }
    }
    if (!answered) {
        outcome.result = kAutodetectNoAnswer;
        view.ShowMessage(view.Translate("Cannot communicate with GSM device on") + " " + portName);
        view.Status("");
        return outcome;
    }
    const std::string manufacturer = TrimBlanks(Without(Ask(modem, "AT+GMI"), "+GMI:"));
    std::string model = Ask(modem, "ATI");
    if (TrimBlanks(model) == manufacturer)
        model.clear();
    outcome.identification = TrimBlanks(manufacturer + " " + model);
    view.Status(outcome.identification);

    const std::string formats = Ask(modem, "AT+CMGF=?");
    if (formats.find("CMGF") == std::string::npos) {
        view.ShowMessage("This device (" + outcome.identification +
                         ") cannot send or receive SMS messages");
        outcome.result = kAutodetectNoSms;
    } else {
        // A device that does not offer PDU mode (0) only knows text mode.
        view.SetPduMode(formats.find('0') != std::string::npos);
    }
    return outcome;
}

}  // namespace

std::string AnswerLine(const std::string& result, const Lines& lines) {
    if (result != kResultOk)
        return {};
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string line = TrimBlanks(*it);
        if (!line.empty() && line != "OK")
            return *it;
    }
    return {};
}

AutodetectResult Autodetect(TModem& modem, const std::string& portName, AutodetectView& view) {
    modem.SetAutodetectTimeout(true);
    view.Status(view.Translate("Trying to open port"));
    AutodetectResult outcome;
    if (!modem.OpenPort()) {
        outcome.result = kAutodetectNoPort;
        view.ShowMessage(view.Translate("Cannot open port") + " " + portName);
    } else {
        outcome = Probe(modem, portName, view);
        modem.port().Close();
    }
    modem.SetAutodetectTimeout(false);
    return outcome;
}

}  // namespace nimbra::handset
