#include "output.h"

#include <cstdio>

namespace nbsms {

void PrintLine(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void PrintProblem(const QString& text) {
    std::fprintf(stderr, "nbsms: %s\n", text.toLocal8Bit().constData());
}

QString ValueText(const QVariant& value) {
    return value.isValid() ? value.toString() : QStringLiteral("(empty)");
}

}  // namespace nbsms
