// The AT commands other than those of the message memories: identity, echo and profile,
// message format, indications, memories, service centre, signal and registration.

#include <map>

#include "modem.h"

namespace modemsim {
namespace {

using Form = AtCommand::Form;

const std::string kImei = "356938035643809";
const std::string kImsi = "216700000000001";
const std::string kMemoryList = R"(("SM","ME","MT"))";

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Values of S registers that are not 0 at start.
int RegisterDefault(const std::string& name) {
    static const std::map<std::string, int> kDefaults = {{"S3", 13}, {"S4", 10}, {"S5", 8}};
    const auto found = kDefaults.find(name);
    return found == kDefaults.end() ? 0 : found->second;
}

std::string ThreeDigits(int value) {
    std::string text = std::to_string(value);
    return std::string(text.size() < 3 ? 3 - text.size() : 0, '0') + text;
}

}  // namespace

std::optional<Fault::Kind> ParseFaultKind(std::string_view text, int& code) {
    if (text == "none")
        return Fault::Kind::kNone;
    if (text == "silent")
        return Fault::Kind::kSilent;
    if (text == "error")
        return Fault::Kind::kError;
    if (text == "garbage")
        return Fault::Kind::kGarbage;
    if (text.starts_with("cms:") && ParseNumber(text.substr(4), 0, 999, code))
        return Fault::Kind::kCmsError;
    return std::nullopt;
}

std::string FaultText(const Fault& fault) {
    switch (fault.kind) {
        case Fault::Kind::kNone:
            return "none";
        case Fault::Kind::kSilent:
            return "silent";
        case Fault::Kind::kError:
            return "error";
        case Fault::Kind::kCmsError:
            return "cms:" + std::to_string(fault.code);
        case Fault::Kind::kGarbage:
            break;
    }
    return "garbage";
}

void Modem::ResetProfile() {
    echo_ = settings_.echo;
    pduMode_ = settings_.offersPdu && (settings_.pduMode || !settings_.offersText);
    cnmi_ = settings_.cnmi;
    registrationMode_ = 0;
    firstOctet_ = 17;
    validity_ = 167;
    protocolId_ = 0;
    codingScheme_ = 0;
    errorMode_ = 0;
    showHeader_ = 0;
}

Modem::Reply Modem::Execute(const AtCommand& command) {
    const std::string& name = command.name;
    if (name.front() != '+')
        return Basic(command);
    if (name == "+GMI" || name == "+CGMI")
        return Identity(command, settings_.manufacturer);
    if (name == "+GMM" || name == "+CGMM")
        return Identity(command, settings_.model);
    if (name == "+GMR" || name == "+CGMR")
        return Identity(command, settings_.revision);
    if (name == "+GSN" || name == "+CGSN")
        return Identity(command, kImei);
    if (name == "+CIMI")
        return Identity(command, kImsi);
    if (name == "+CMGF")
        return Format(command);
    if (name == "+CNMI")
        return NewMessageIndications(command);
    if (name == "+CPMS")
        return Memories(command);
    if (name == "+CSCA")
        return ServiceCentre(command);
    if (name == "+CMGS")
        return SendCommand(command);
    if (name == "+CMGR")
        return Read(command);
    if (name == "+CMGL")
        return List(command);
    if (name == "+CMGD")
        return Delete(command);
    if (name == "+CREG")
        return Registration(command);
    if (name == "+CSMP")
        return TextParameters(command);
    if (name == "+CMEE")
        return Setting(command, errorMode_, 0, 2, "0-2");
    if (name == "+CSDH")
        return Setting(command, showHeader_, 0, 1, "0,1");
    if (name == "+CSQ") {
        if (command.form == Form::kTest)
            return Ok({"+CSQ: (0-31,99),(0-7,99)"});
        if (command.form != Form::kAction)
            return Error();
        return Ok({"+CSQ: " + std::to_string(signal_) + ",99"});
    }
    if (name == "+CPIN") {
        if (command.form == Form::kRead)
            return Ok({"+CPIN: READY"});
        return command.form == Form::kSet ? Ok() : Error();
    }
    if (name == "+CSMS") {
        if (command.form == Form::kRead)
            return Ok({"+CSMS: 0,1,1,1"});
        if (command.form == Form::kTest)
            return Ok({"+CSMS: (0,1)"});
        int service = 0;
        if (command.form == Form::kSet && ParseNumber(command.value, 0, 1, service))
            return Ok({"+CSMS: 1,1,1"});
        return Error();
    }
    if (name == "+CSCS") {
        static const std::vector<std::string> kSets = {"GSM", "IRA", "PCCP437", "8859-1", "UCS2"};
        if (command.form == Form::kRead)
            return Ok({"+CSCS: \"GSM\""});
        if (command.form == Form::kTest)
            return Ok({R"(+CSCS: ("GSM","IRA","PCCP437","8859-1","UCS2"))"});
        const std::vector<std::string> values = SplitValues(command.value);
        const bool known =
            values.size() == 1 && std::find(kSets.begin(), kSets.end(), values[0]) != kSets.end();
        return command.form == Form::kSet && known ? Ok() : Error();
    }
    return Error();
}

Modem::Reply Modem::Basic(const AtCommand& command) {
    const std::string& name = command.name;
    const std::string& value = command.value;
    if (name == "E") {
        if (value != "" && value != "0" && value != "1")
            return Error();
        echo_ = value == "1";
        return Ok();
    }
    if (name == "Z" || name == "&F") {
        ResetProfile();
        return Ok();
    }
    if (name == "I")
        return Ok({settings_.model});
    if (name == "V")
        return value == "1" ? Ok() : Error();  // only verbose answers
    if (name == "Q")
        return value.empty() || value == "0" ? Ok() : Error();  // answers are never quiet
    if (name.front() == 'S') {
        return command.form == Form::kRead ? Ok({ThreeDigits(RegisterDefault(name))}) : Ok();
    }
    static const std::vector<std::string> kAccepted = {"H", "L", "M", "X", "&C", "&D", "&K", "&W"};
    if (std::find(kAccepted.begin(), kAccepted.end(), name) != kAccepted.end())
        return Ok();
    return Error();  // D, A and the rest: no calls here
}

Modem::Reply Modem::Identity(const AtCommand& command, const std::string& value) {
    if (command.form == Form::kTest)
        return Ok();
    if (command.form != Form::kAction)
        return Error();
    return Ok({value});
}

Modem::Reply Modem::Format(const AtCommand& command) {
    switch (command.form) {
        case Form::kRead:
            if (!settings_.offersPdu && !settings_.offersText)
                return Error();
            return Ok({std::string("+CMGF: ") + (pduMode_ ? "0" : "1")});
        case Form::kTest: {
            if (!settings_.offersPdu && !settings_.offersText)
                return Error();
            const std::string formats = settings_.offersPdu && settings_.offersText ? "0,1"
                                        : settings_.offersPdu                       ? "0"
                                                                                    : "1";
            return Ok({"+CMGF: (" + formats + ")"});
        }
        case Form::kSet: {
            int format = 0;
            if (!ParseNumber(command.value, 0, 1, format) ||
                !(format == 0 ? settings_.offersPdu : settings_.offersText)) {
                return Error();
            }
            pduMode_ = format == 0;
            return Ok();
        }
        case Form::kAction:
            break;
    }
    return Error();
}

Modem::Reply Modem::NewMessageIndications(const AtCommand& command) {
    static constexpr std::array<int, 5> kMax = {3, 3, 3, 2, 1};
    if (command.form == Form::kTest)
        return Ok({"+CNMI: (0-3),(0-3),(0-3),(0-2),(0,1)"});
    if (command.form == Form::kRead) {
        std::string text = "+CNMI: ";
        for (std::size_t i = 0; i < cnmi_.size(); ++i)
            text += (i ? "," : "") + std::to_string(cnmi_[i]);
        return Ok({text});
    }
    if (command.form != Form::kSet)
        return Error();
    const std::vector<std::string> values = SplitValues(command.value);
    if (values.empty() || values.size() > cnmi_.size())
        return Error();
    std::array<int, 5> settings = cnmi_;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i].empty() && !ParseNumber(values[i], 0, kMax[i], settings[i]))
            return CmsError(kOperationNotSupported);
    }
    cnmi_ = settings;
    return Ok();
}

Modem::Reply Modem::Memories(const AtCommand& command) {
    const auto counts = [this](Memory memory) {
        return std::to_string(store_.Used(memory)) + "," + std::to_string(store_.Capacity(memory));
    };
    if (command.form == Form::kTest)
        return Ok({"+CPMS: " + kMemoryList + "," + kMemoryList + "," + kMemoryList});
    if (command.form == Form::kRead) {
        std::string text;
        for (const Memory memory : {readMemory_, writeMemory_, receiveMemory_})
            text += (text.empty() ? "+CPMS: " : ",") + Quoted(MemoryName(memory)) + "," +
                    counts(memory);
        return Ok({text});
    }
    if (command.form != Form::kSet)
        return Error();
    const std::vector<std::string> values = SplitValues(command.value);
    if (values.empty() || values.size() > 3)
        return Error();
    std::array<Memory*, 3> targets = {&readMemory_, &writeMemory_, &receiveMemory_};
    std::array<Memory, 3> chosen = {readMemory_, writeMemory_, receiveMemory_};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::optional<Memory> memory = ParseMemory(values[i]);
        if (!memory)
            return CmsError(kOperationNotAllowed);
        chosen[i] = *memory;
    }
    for (std::size_t i = 0; i < targets.size(); ++i)
        *targets[i] = chosen[i];
    return Ok({"+CPMS: " + counts(readMemory_) + "," + counts(writeMemory_) + "," +
               counts(receiveMemory_)});
}

Modem::Reply Modem::ServiceCentre(const AtCommand& command) {
    if (command.form == Form::kTest)
        return Ok();
    if (command.form == Form::kRead) {
        const bool international = serviceCentre_.starts_with('+');
        return Ok({"+CSCA: " + Quoted(serviceCentre_) + "," + (international ? "145" : "129")});
    }
    const std::vector<std::string> values = SplitValues(command.value);
    if (command.form != Form::kSet || values.empty() || values.size() > 2 || values[0].empty())
        return Error();
    serviceCentre_ = values[0];
    return Ok();
}

Modem::Reply Modem::Registration(const AtCommand& command) {
    switch (command.form) {
        case Form::kRead:
            return Ok({"+CREG: " + std::to_string(registrationMode_) + "," +
                       std::to_string(registration_)});
        case Form::kTest:
            return Ok({"+CREG: (0-2)"});
        case Form::kSet:
            return ParseNumber(command.value, 0, 2, registrationMode_) ? Ok() : Error();
        case Form::kAction:
            break;
    }
    return Error();
}

Modem::Reply Modem::TextParameters(const AtCommand& command) {
    if (command.form == Form::kRead) {
        return Ok({"+CSMP: " + std::to_string(firstOctet_) + "," + std::to_string(validity_) + "," +
                   std::to_string(protocolId_) + "," + std::to_string(codingScheme_)});
    }
    if (command.form == Form::kTest)
        return Ok();
    const std::vector<std::string> values = SplitValues(command.value);
    if (command.form != Form::kSet || values.empty() || values.size() > 4)
        return Error();
    std::array<int*, 4> targets = {&firstOctet_, &validity_, &protocolId_, &codingScheme_};
    std::array<int, 4> chosen = {firstOctet_, validity_, protocolId_, codingScheme_};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i].empty() && !ParseNumber(values[i], 0, 255, chosen[i]))
            return CmsError(kInvalidTextParameter);
    }
    for (std::size_t i = 0; i < targets.size(); ++i)
        *targets[i] = chosen[i];
    return Ok();
}

Modem::Reply Modem::Setting(const AtCommand& command, int& value, int min, int max,
                            const std::string& range) {
    switch (command.form) {
        case Form::kRead:
            return Ok({command.name + ": " + std::to_string(value)});
        case Form::kTest:
            return Ok({command.name + ": (" + range + ")"});
        case Form::kSet:
            return ParseNumber(command.value, min, max, value) ? Ok() : Error();
        case Form::kAction:
            break;
    }
    return Error();
}

}  // namespace modemsim
