#pragma once
// Service-centre time stamps yyMMddHHmmss that never repeat within a run: a driver takes
// them as message references, so two submits in the same second get consecutive seconds.

#include <string>

#include <QDateTime>

namespace mcsim {

class UniqueTimestamps {
public:
    // The time stamp of `now` (local time), or one second after the last one given when
    // `now` is not later than that.
    std::string Next(const QDateTime& now = QDateTime::currentDateTime());

private:
    QDateTime last_;
};

}  // namespace mcsim
