#include "uniquetimestamps.h"

namespace mcsim {

std::string UniqueTimestamps::Next(const QDateTime& now) {
    QDateTime stamp = now.addMSecs(-now.time().msec());
    if (last_.isValid() && stamp <= last_)
        stamp = last_.addSecs(1);
    last_ = stamp;
    return stamp.toString(QStringLiteral("yyMMddHHmmss")).toStdString();
}

}  // namespace mcsim
