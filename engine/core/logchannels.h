#pragma once
// The engine's six log channels. "screen" is the log pane: its last 100 lines, saved whole to
// "screen-log.txt" after every line. The others are files in the logs folder, opened for
// appending and flushed after every line; a channel that fails is switched off for the run.
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "unDate.h"

namespace nimbra {

inline constexpr std::size_t kScreenLogLines = 100;

enum class PaneStyle { Plain, Red, BoldRed };

struct PaneLine {
    std::string text;
    PaneStyle style = PaneStyle::Plain;
};

class LogChannels {
public:
    // logsFolder: the folder of the log files, with a trailing "/".
    LogChannels(std::string logsFolder, std::function<TDateTime()> clock);
    ~LogChannels();
    LogChannels(const LogChannels&) = delete;
    LogChannels& operator=(const LogChannels&) = delete;

    // Puts the lines of "screen-log.txt" into the pane, when it exists.
    void LoadScreenLog();
    // Opens the file channels in the order sql, send, receive, error, status.
    void OpenFiles();
    void CloseFiles();
    // Time stamp + " " + text to a channel, line breaks within it made spaces; unknown
    // channels are ignored.
    void Log(const std::string& channel, const std::string& text);
    // A line of the pane exactly as given (a trailing line break is dropped).
    void AppendToPane(const std::string& line, PaneStyle style = PaneStyle::Plain);

    const std::deque<PaneLine>& Pane() const { return pane_; }
    bool IsOpen(const std::string& channel) const;
    std::string ScreenLogPath() const;
    // Called after every line the pane gets.
    std::function<void(const PaneLine&)> onPaneLine;

private:
    struct FileChannel {
        std::string fileName;
        std::string failureText;
        std::FILE* file = nullptr;
        bool switchedOff = false;
    };
    void AddToPane(PaneLine line);
    void SavePane();
    void WriteFileChannel(FileChannel& channel, const std::string& line);
    std::string Stamp() const;

    std::string folder_;
    std::function<TDateTime()> clock_;
    std::deque<PaneLine> pane_;
    std::map<std::string, FileChannel> files_;
};

}  // namespace nimbra
