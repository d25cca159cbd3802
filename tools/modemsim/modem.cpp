// The modem's byte stream: echo, command lines, the "> " prompt, answers that come late,
// indications held back while a command is answered, and the faults.

#include "modem.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "visible.h"

namespace modemsim {
namespace {

constexpr char kBackspace = 8;
constexpr char kLf = 10;
constexpr char kCr = 13;
constexpr char kCtrlZ = 26;
constexpr char kEscape = 27;
// What a command line or a message after the prompt may hold; the rest is refused.
constexpr std::size_t kMaxLine = 1024;
constexpr std::size_t kMaxPromptText = 1024;

// Binary bytes, accented bytes of the device's code page and a half line.
constexpr char kGarbageBytes[] = "\xFF\xFE\x00\x7F\x80\x81\x94#~junk\r+CM";
const std::string kGarbage(kGarbageBytes, sizeof kGarbageBytes - 1);

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}

// Where "AT" (either case) first appears; npos when it does not.
std::size_t CommandStart(std::string_view line) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (StartsWithIgnoringCase(line.substr(i), "AT"))
            return i;
    }
    return std::string_view::npos;
}

std::string Framed(const std::vector<std::string>& lines) {
    if (lines.empty())
        return {};
    std::string text = "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

bool IsSend(const AtCommand& command) {
    return command.name == "+CMGS" && command.form == AtCommand::Form::kSet;
}

}  // namespace

Modem::Modem(ModemSettings settings, const ModemClock& clock)
    : settings_(std::move(settings)),
      clock_(clock),
      store_(settings_.simSlots, settings_.phoneSlots, settings_.firstIndex),
      serviceCentre_(settings_.serviceCentre),
      fault_(settings_.fault),
      delayMs_(settings_.delayMs),
      signal_(settings_.signal),
      registration_(settings_.registration),
      nextReference_(settings_.firstReference) {
    ResetProfile();
}

void Modem::ResetSession() {
    input_.clear();
    line_.clear();
    lineEcho_.clear();
    lineTooLong_ = false;
    prompt_.reset();
    promptFault_ = {};
    out_.clear();
}

void Modem::PortOpened() {
    ResetSession();
    ++stats_.opens;
}

void Modem::PortClosed() {
    ResetSession();
}

bool Modem::Waiting() const {
    return !out_.empty() && out_.back().dueMs > clock_.NowMs();
}

void Modem::Receive(std::string_view bytes) {
    input_ += bytes;
    Pump();
}

void Modem::Pump() {
    std::size_t used = 0;
    while (used < input_.size() && !Waiting())
        ProcessByte(input_[used++]);
    input_.erase(0, used);
    if (!held_.empty() && !Waiting() && !prompt_ && line_.empty()) {
        Emit(std::move(held_), 0);
        held_.clear();
    }
}

void Modem::Emit(std::string bytes, int delayMs) {
    long long due = clock_.NowMs() + delayMs;
    if (!out_.empty())
        due = std::max(due, out_.back().dueMs);
    if (!out_.empty() && out_.back().dueMs == due)
        out_.back().bytes += bytes;
    else
        out_.push_back({due, std::move(bytes)});
}

void Modem::Unsolicited(std::string bytes) {
    if (Waiting() || prompt_ || !line_.empty())
        held_ += bytes;
    else
        Emit(std::move(bytes), 0);
}

void Modem::RunDueActions() {
    while (!actions_.empty() && actions_.begin()->first <= clock_.NowMs()) {
        const std::function<void()> action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        action();
    }
}

std::string Modem::TakeOutput() {
    RunDueActions();
    Pump();
    std::string bytes;
    const long long now = clock_.NowMs();
    while (!out_.empty() && out_.front().dueMs <= now) {
        bytes += out_.front().bytes;
        out_.pop_front();
    }
    return bytes;
}

std::optional<long long> Modem::NextDueMs() const {
    std::optional<long long> next;
    if (!out_.empty())
        next = out_.front().dueMs;
    if (!actions_.empty() && (!next || actions_.begin()->first < *next))
        next = actions_.begin()->first;
    return next;
}

std::vector<std::string> Modem::TakeNotes() {
    return std::exchange(notes_, {});
}

void Modem::SendRaw(std::string_view bytes) {
    Emit(std::string(bytes), 0);
}

void Modem::ProcessByte(char c) {
    if (prompt_) {
        PromptByte(c);
        return;
    }
    if (echo_) {
        // A line that a silent fault takes gets no echo either, so it waits for the line end.
        if (fault_.active() && fault_.kind == Fault::Kind::kSilent)
            lineEcho_.push_back(c);
        else
            Emit(std::string(1, c), 0);
    }
    switch (c) {
        case kCr:
            HandleLine(std::exchange(line_, {}));
            break;
        case kLf:
            break;
        case kBackspace:
            if (!line_.empty())
                line_.pop_back();
            break;
        default:
            if (line_.size() < kMaxLine)
                line_.push_back(c);
            else
                lineTooLong_ = true;
    }
}

Fault Modem::TakeFault(std::string_view line) {
    if (!fault_.active() || !StartsWithIgnoringCase(line, fault_.prefix))
        return {};
    const Fault taken = fault_;
    if (fault_.remaining > 0)
        --fault_.remaining;
    return taken;
}

std::string Modem::FinalText(const Reply& reply, const Fault& fault) const {
    if (fault.kind == Fault::Kind::kError)
        return "\r\nERROR\r\n";
    if (fault.kind == Fault::Kind::kCmsError)
        return "\r\n+CMS ERROR: " + std::to_string(fault.code) + "\r\n";
    switch (reply.final) {
        case Reply::Final::kOk:
            return "\r\nOK\r\n";
        case Reply::Final::kCmsError:
            return "\r\n+CMS ERROR: " + std::to_string(reply.code) + "\r\n";
        case Reply::Final::kPrompt:
            return "\r\n> ";
        case Reply::Final::kError:
            break;
    }
    return "\r\nERROR\r\n";
}

void Modem::HandleLine(const std::string& line) {
    const bool tooLong = std::exchange(lineTooLong_, false);
    const std::string echo = std::exchange(lineEcho_, {});
    const std::size_t start = CommandStart(line);
    const std::string text = start == std::string::npos ? std::string() : line.substr(start);
    if (!text.empty())
        ++stats_.commands;
    const Fault fault = text.empty() ? Fault{} : TakeFault(text);
    if (fault.kind == Fault::Kind::kSilent) {
        Note("no answer (fault) to " + Escaped(text));
        return;
    }
    if (!echo.empty())
        Emit(echo, 0);
    if (text.empty()) {
        if (!line.empty())
            Note("not a command line: " + Escaped(line));
        return;
    }
    const std::string garbage = fault.kind == Fault::Kind::kGarbage ? kGarbage : std::string();
    if (tooLong) {
        Note("command line longer than " + std::to_string(kMaxLine) + " characters");
        EmitAnswer(garbage + FinalText(Error(), fault));
        return;
    }
    const AtLine parsed = ParseAtLine(text);
    const bool refused = fault.kind == Fault::Kind::kError || fault.kind == Fault::Kind::kCmsError;
    if (refused && !std::any_of(parsed.commands.begin(), parsed.commands.end(), IsSend)) {
        Note("fault answer to " + Escaped(text));
        EmitAnswer(FinalText(Ok(), fault));
        return;
    }
    std::string info;
    Reply reply = parsed.valid ? Ok() : Error();
    for (const AtCommand& command : parsed.commands) {
        Reply result = Execute(command);
        info += Framed(result.lines);
        if (result.final != Reply::Final::kOk) {
            reply = std::move(result);
            break;
        }
    }
    if (reply.final == Reply::Final::kPrompt) {
        promptFault_ = refused ? fault : Fault{};
        EmitAnswer(garbage + info + FinalText(reply, {}));
        return;
    }
    EmitAnswer(garbage + info + FinalText(reply, fault));
}

void Modem::PromptByte(char c) {
    if (c == kCtrlZ || c == kEscape) {
        FinishPrompt(c == kCtrlZ);
        return;
    }
    if (echo_)
        Emit(std::string(1, c), 0);
    Prompt& prompt = *prompt_;
    if (c == kLf || (prompt.pdu && (c == kCr || c == ' ')))
        return;
    if (c == kCr) {  // text mode: a line break in the message, and the prompt again
        prompt.body.push_back('\n');
        Emit("\r\n> ", 0);
        return;
    }
    prompt.body.push_back(c);
    if (prompt.body.size() > kMaxPromptText) {
        const bool pdu = prompt.pdu;
        prompt_.reset();
        Note("message after the prompt longer than " + std::to_string(kMaxPromptText) +
             " characters");
        EmitAnswer(FinalText(CmsError(pdu ? kInvalidPduParameter : kInvalidTextParameter), {}));
    }
}

void Modem::FinishPrompt(bool send) {
    const Prompt prompt = std::move(*prompt_);
    prompt_.reset();
    const Fault fault = std::exchange(promptFault_, {});
    if (!send) {
        Note("message cancelled with ESC");
        EmitAnswer(FinalText(Ok(), {}));
        return;
    }
    if (fault.kind != Fault::Kind::kNone) {
        Note("message refused (fault): " + Escaped(prompt.body));
        EmitAnswer(FinalText(Ok(), fault));
        return;
    }
    const Reply reply = SendMessage(prompt);
    EmitAnswer(Framed(reply.lines) + FinalText(reply, {}));
}

}  // namespace modemsim
