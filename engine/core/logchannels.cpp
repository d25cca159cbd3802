#include "logchannels.h"

#include <array>
#include <utility>

#include "atomicfile.h"
#include "unStrings.h"

namespace nimbra {

namespace {

constexpr const char* kScreenLogFile = "screen-log.txt";

// One line whatever the text holds: a line break from a message or a peer must not start a
// log line of its own.
std::string OneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return ReplaceAll("\n", " ", ReplaceAll("\r", " ", ReplaceAll("\r\n", " ", text)));
}

}  // namespace

LogChannels::LogChannels(std::string logsFolder, std::function<TDateTime()> clock)
    : folder_(std::move(logsFolder)), clock_(std::move(clock)) {
    files_["sql"] = {"sql-log.txt", "Could not write sql log!"};
    files_["send"] = {"send-log.txt", "Could not write send log!"};
    files_["receive"] = {"receive-log.txt", "Could not write receive log!"};
    files_["error"] = {"error-log.txt", "Could not write error log!"};
    files_["status"] = {"status-log.txt", "Could not write status log!"};
}

LogChannels::~LogChannels() {
    CloseFiles();
}

std::string LogChannels::ScreenLogPath() const {
    return folder_ + kScreenLogFile;
}

std::string LogChannels::Stamp() const {
    return NowText(clock_());
}

void LogChannels::LoadScreenLog() {
    std::string text;
    if (!ReadWholeFile(ScreenLogPath(), text))
        return;
    for (std::string_view line : TextLines(text)) {
        pane_.push_back({std::string(line), PaneStyle::Plain});
        if (pane_.size() > kScreenLogLines)
            pane_.pop_front();
    }
}

void LogChannels::OpenFiles() {
    static constexpr std::array<const char*, 5> kOrder{"sql", "send", "receive", "error", "status"};
    for (const char* name : kOrder) {
        FileChannel& channel = files_[name];
        if (channel.file || channel.switchedOff)
            continue;
        const std::string path = folder_ + channel.fileName;
        // "e": programs the engine starts do not inherit its log files.
        channel.file = std::fopen(path.c_str(), "abe");
        if (!channel.file) {
            channel.switchedOff = true;
            Log("screen", "Cannot open logfile:" + path);
        }
    }
}

void LogChannels::CloseFiles() {
    for (auto& [name, channel] : files_) {
        if (channel.file)
            std::fclose(channel.file);
        channel.file = nullptr;
    }
}

bool LogChannels::IsOpen(const std::string& channel) const {
    const auto found = files_.find(channel);
    return found != files_.end() && found->second.file != nullptr;
}

void LogChannels::Log(const std::string& channel, const std::string& text) {
    const std::string line = OneLine(Stamp() + " " + text);
    if (channel == "screen") {
        AddToPane({line, PaneStyle::Plain});
        return;
    }
    const auto found = files_.find(channel);
    if (found != files_.end())
        WriteFileChannel(found->second, line);
}

void LogChannels::AppendToPane(const std::string& line, PaneStyle style) {
    AddToPane({OneLine(line), style});
}

void LogChannels::WriteFileChannel(FileChannel& channel, const std::string& line) {
    if (!channel.file)
        return;
    const std::string record = line + "\r\n";
    const bool written =
        std::fwrite(record.data(), 1, record.size(), channel.file) == record.size() &&
        std::fflush(channel.file) == 0;
    if (written)
        return;
    std::fclose(channel.file);
    channel.file = nullptr;
    channel.switchedOff = true;
    Log("screen", channel.failureText);
}

void LogChannels::AddToPane(PaneLine line) {
    pane_.push_back(std::move(line));
    if (pane_.size() > kScreenLogLines)
        pane_.pop_front();
    SavePane();
    if (onPaneLine)
        onPaneLine(pane_.back());
}

void LogChannels::SavePane() {
    std::string text;
    for (const PaneLine& line : pane_)
        text += line.text + "\r\n";
    if (WriteFileAtomically(ScreenLogPath(), text))
        return;
    pane_.push_back({Stamp() + " Could not save log screen", PaneStyle::Plain});
    if (pane_.size() > kScreenLogLines)
        pane_.pop_front();
}

}  // namespace nimbra
