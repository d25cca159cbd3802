#include "atanswers.h"

#include <cctype>

#include "atresult.h"

namespace nimbra::handset {

namespace {

bool Holds(const std::string& line, std::string_view part) {
    return line.find(part) != std::string::npos;
}

// Index of the last line holding part, or nullopt.
std::optional<std::size_t> LastHolding(const Lines& lines, std::string_view part) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (Holds(lines[i], part))
            return i;
    }
    return std::nullopt;
}

// From the last line down to the second: the first holding "CMGR:" (or the echo, when
// stopAtEcho); 0 when none.
std::size_t FindReadLine(const Lines& lines, bool stopAtEcho) {
    for (std::size_t i = lines.size(); i-- > 1;) {
        if (Holds(lines[i], "CMGR:") || (stopAtEcho && Holds(lines[i], "AT+CMGR=")))
            return i;
    }
    return 0;
}

// The text between the quotes that follow the first comma of line, starting `skip`
// characters after the comma; sets `end` to the closing quote (or the line's end).
std::string QuotedAfterFirstComma(const std::string& line, std::size_t skip, std::size_t& end) {
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
        end = line.size();
        return {};
    }
    const std::size_t start = std::min(line.size(), comma + skip);
    end = line.find('"', start);
    if (end == std::string::npos)
        end = line.size();
    return line.substr(start, end - start);
}

}  // namespace

std::optional<std::string> MessageReference(const Lines& lines) {
    const auto at = LastHolding(lines, "CMGS: ");
    if (!at)
        return std::nullopt;
    const std::string& line = lines[*at];
    std::string reference = line.size() > 7 ? line.substr(7) : std::string();
    while (!reference.empty() && std::isspace(static_cast<unsigned char>(reference.back())))
        reference.pop_back();
    return reference;
}

PduReadLine FindPduLine(const Lines& lines, const PduReadRules& rules) {
    PduReadLine read;
    if (lines.empty())
        return read;
    const std::size_t found = FindReadLine(lines, rules.echoAware);
    const std::string& line = lines[found];
    if (rules.needCmgrLine && !Holds(line, "CMGR:")) {
        read.outcome = PduReadLine::Outcome::Empty;
        return read;
    }
    if (rules.echoAware && rules.echoMeansEmpty && Holds(line, "CMGR=")) {
        read.outcome = PduReadLine::Outcome::Empty;
        return read;
    }
    if (rules.emptySlotAware && Holds(line, "CMGR: 0")) {
        read.outcome = PduReadLine::Outcome::Empty;
        return read;
    }
    if (found + 1 >= lines.size())
        return read;
    read.pdu = lines[found + 1];
    if (rules.minPduLength > 0 && read.pdu.size() <= rules.minPduLength) {
        read.outcome = PduReadLine::Outcome::Empty;
        read.pdu.clear();
        return read;
    }
    read.outcome = PduReadLine::Outcome::Pdu;
    return read;
}

std::optional<TextRead> ParseTextRead(const Lines& lines) {
    if (lines.empty())
        return std::nullopt;
    const std::size_t found = FindReadLine(lines, false);
    if (found + 1 >= lines.size())
        return std::nullopt;
    TextRead read;
    std::size_t end = 0;
    read.sender = QuotedAfterFirstComma(lines[found], 2, end);
    read.text = lines[found + 1];
    return read;
}

std::optional<TextRead> ParseTimeStampedTextRead(const Lines& lines) {
    const std::size_t found = FindReadLine(lines, false);
    if (found == 0 || !Holds(lines[found], "CMGR:") || !Holds(lines[found], ","))
        return std::nullopt;
    const std::string& line = lines[found];
    TextRead read;
    std::size_t end = 0;
    read.sender = QuotedAfterFirstComma(line, 2, end);
    // Past the closing quote, two commas and the opening quote.
    std::size_t start = std::min(line.size(), end + 4);
    // The time zone after the time ("+04", "-08") is left out.
    std::size_t stop = line.find_first_of("\"+-", start);
    if (stop == std::string::npos)
        stop = line.size();
    std::string stamp = line.substr(start, stop - start);
    for (char& c : stamp) {
        if (c == ',')
            c = ' ';
    }
    read.receivedTime = "20" + stamp;
    if (found + 1 < lines.size())
        read.text = lines[found + 1];
    return read;
}

std::string SignalQuality(const std::string& result, const Lines& lines) {
    if (result != kResultOk)
        return "0";
    const auto at = LastHolding(lines, "+CSQ: ");
    if (!at || lines[*at].size() <= 6)
        return "0";
    // The digits from the 7th character of the line on.
    std::string digits;
    for (std::size_t i = 6; i < lines[*at].size(); ++i) {
        const char c = lines[*at][i];
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        digits.push_back(c);
    }
    return digits.empty() ? "0" : digits;
}

std::string NetworkRegistration(const std::string& result, const Lines& lines) {
    if (result != kResultOk)
        return {};
    const auto at = LastHolding(lines, "+CREG: ");
    if (!at || lines[*at].size() < 10)
        return "0";
    const char stat = lines[*at][9];
    return std::isdigit(static_cast<unsigned char>(stat)) ? std::string(1, stat) : "0";
}

}  // namespace nimbra::handset
