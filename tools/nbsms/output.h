#pragma once
// What nbsms prints: results on stdout, problems on stderr behind "nbsms: ".

#include <QString>
#include <QVariant>

namespace nbsms {

void PrintLine(const QString& line);
void PrintProblem(const QString& text);
// A VARIANT as text: its value, or "(empty)" when the engine sent an empty VARIANT.
QString ValueText(const QVariant& value);

}  // namespace nbsms
