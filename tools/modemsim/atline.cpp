#include "atline.h"

#include <cctype>
#include <charconv>

namespace modemsim {
namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '!' || c == '%' || c == '-' ||
           c == '.' || c == '/' || c == ':' || c == '_';
}

// The line without blanks outside double quotes.
std::string WithoutBlanks(std::string_view line) {
    std::string out;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        if (quoted || c != ' ')
            out.push_back(c);
    }
    return out;
}

std::string Digits(std::string_view s, std::size_t& i) {
    const std::size_t start = i;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    return std::string(s.substr(start, i - start));
}

// An extended command at s[i] ("+"); false when it is malformed.
bool ReadExtended(std::string_view s, std::size_t& i, AtCommand& command) {
    command.name = "+";
    for (++i; i < s.size() && IsNameCharacter(s[i]); ++i)
        command.name.push_back(Upper(s[i]));
    if (command.name.size() < 2)
        return false;
    if (s.substr(i).starts_with("=?")) {
        command.form = AtCommand::Form::kTest;
        i += 2;
    } else if (i < s.size() && s[i] == '?') {
        command.form = AtCommand::Form::kRead;
        ++i;
    } else if (i < s.size() && s[i] == '=') {
        command.form = AtCommand::Form::kSet;
        bool quoted = false;
        for (++i; i < s.size() && (quoted || s[i] != ';'); ++i) {
            if (s[i] == '"')
                quoted = !quoted;
            command.value.push_back(s[i]);
        }
        if (quoted)
            return false;
    }
    if (i < s.size() && s[i] == ';')
        ++i;
    return true;
}

// A basic command at s[i]; false when it is malformed.
bool ReadBasic(std::string_view s, std::size_t& i, AtCommand& command) {
    const char first = Upper(s[i++]);
    if (first == '&') {
        if (i >= s.size() || !std::isalpha(static_cast<unsigned char>(s[i])))
            return false;
        command.name = std::string("&") + Upper(s[i++]);
        command.value = Digits(s, i);
        return true;
    }
    if (!std::isalpha(static_cast<unsigned char>(first)))
        return false;
    command.name = std::string(1, first);
    if (first == 'D') {  // the rest of the line is the dial string
        command.value = std::string(s.substr(i));
        i = s.size();
        return true;
    }
    if (first == 'S') {
        const std::string number = Digits(s, i);
        if (number.empty())
            return false;
        command.name += number;
        if (i < s.size() && s[i] == '?') {
            command.form = AtCommand::Form::kRead;
            ++i;
        } else if (i < s.size() && s[i] == '=') {
            command.form = AtCommand::Form::kSet;
            ++i;
            command.value = Digits(s, i);
        }
        return true;
    }
    command.value = Digits(s, i);
    return true;
}

}  // namespace

AtLine ParseAtLine(std::string_view line) {
    AtLine parsed;
    const std::string s = WithoutBlanks(line);
    if (s.size() < 2 || Upper(s[0]) != 'A' || Upper(s[1]) != 'T')
        return parsed;
    for (std::size_t i = 2; i < s.size();) {
        if (s[i] == ';') {
            ++i;
            continue;
        }
        AtCommand command;
        const bool ok = s[i] == '+' ? ReadExtended(s, i, command) : ReadBasic(s, i, command);
        if (!ok)
            return parsed;
        parsed.commands.push_back(std::move(command));
    }
    parsed.valid = true;
    return parsed;
}

std::vector<std::string> SplitValues(std::string_view value) {
    std::vector<std::string> values;
    if (value.empty())
        return values;
    std::string current;
    bool quoted = false;
    for (char c : value) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            values.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    values.push_back(std::move(current));
    return values;
}

bool ParseNumber(std::string_view text, int min, int max, int& number) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min ||
        value > max) {
        return false;
    }
    number = value;
    return true;
}

}  // namespace modemsim
