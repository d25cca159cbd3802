#include "portlogfile.h"

#include <filesystem>

#include "unDate.h"

namespace nimbra::handset {

PortLogFile::PortLogFile(std::function<void(std::string)> cannotOpen)
    : cannotOpen_(std::move(cannotOpen)) {}

void PortLogFile::Configure(bool view, bool file, std::string path) {
    std::lock_guard lock(mutex_);
    view_ = view;
    file_ = file;
    if (path != path_ && out_.is_open())
        out_.close();
    path_ = std::move(path);
}

void PortLogFile::Line(std::string_view line) {
    std::lock_guard lock(mutex_);
    if (view_) {
        lines_.emplace_back(line);
        while (lines_.size() > kViewLines)
            lines_.pop_front();
    }
    if (!file_)
        return;
    if (!out_.is_open()) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
        out_.open(path_, std::ios::binary | std::ios::app);
        if (!out_.is_open()) {
            cannotOpen_(path_);
            return;
        }
    }
    out_ << NowText() << ' ' << line << "\r\n";
    out_.flush();
}

void PortLogFile::Close() {
    std::lock_guard lock(mutex_);
    if (out_.is_open())
        out_.close();
}

std::vector<std::string> PortLogFile::ViewLines() const {
    std::lock_guard lock(mutex_);
    return {lines_.begin(), lines_.end()};
}

}  // namespace nimbra::handset
