#pragma once
// Splits a control stream into lines (LF, with or without CR). A line longer than kLimit is
// not kept whole: what came of it is dropped and reported as one overlong line.

#include <cstddef>
#include <vector>

#include <QByteArray>

namespace simkit {

class ControlLines {
public:
    static constexpr std::size_t kLimit = 1024 * 1024;

    struct Line {
        QByteArray text;  // without CR LF
        bool overlong = false;
    };
    std::vector<Line> Append(const QByteArray& bytes);

private:
    QByteArray pending_;
    bool overlong_ = false;  // the line under way went past kLimit
};

}  // namespace simkit
