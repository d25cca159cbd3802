#pragma once
// The handset's port log: every line written to the device ("<...") and read from it
// (">..."). With "View" the last 20 lines are kept for the driver window; with "File" each
// line goes, after the local date and time, to logs/comlog_<realName>.txt in the engine's
// folder, opened on the first line and kept open until the driver ends. A file that cannot
// be opened is reported once per attempt and tried again with the next line. Any thread.

#include <deque>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "modemport.h"

namespace nimbra::handset {

class PortLogFile final : public PortLog {
public:
    static constexpr std::size_t kViewLines = 20;

    // cannotOpen(path) tells the operator; it must not block.
    explicit PortLogFile(std::function<void(std::string)> cannotOpen);

    // The mode ("View", "File", both or neither) and the file's path.
    void Configure(bool view, bool file, std::string path);
    void Line(std::string_view line) override;
    void Close();
    std::vector<std::string> ViewLines() const;

private:
    std::function<void(std::string)> cannotOpen_;
    mutable std::mutex mutex_;
    bool view_ = false;
    bool file_ = false;
    std::string path_;
    std::ofstream out_;
    std::deque<std::string> lines_;
};

}  // namespace nimbra::handset
