#include "controllines.h"

namespace simkit {

std::vector<ControlLines::Line> ControlLines::Append(const QByteArray& bytes) {
    std::vector<Line> lines;
    pending_ += bytes;
    qsizetype start = 0;
    for (qsizetype lf = pending_.indexOf('\n'); lf >= 0; lf = pending_.indexOf('\n', start)) {
        QByteArray text = pending_.mid(start, lf - start);
        if (text.endsWith('\r'))
            text.chop(1);
        lines.push_back(overlong_ ? Line{{}, true} : Line{text, false});
        overlong_ = false;
        start = lf + 1;
    }
    pending_.remove(0, start);
    if (static_cast<std::size_t>(pending_.size()) > kLimit) {
        pending_.clear();
        overlong_ = true;
    }
    return lines;
}

}  // namespace simkit
