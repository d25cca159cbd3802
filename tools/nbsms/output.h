#pragma once
// What nbsms prints: results on stdout, problems on stderr behind "nbsms: ".

#include <QJsonValue>
#include <QString>
#include <QVariant>

namespace nbsms {

void PrintLine(const QString& line);
void PrintProblem(const QString& text);
// A JSON document on stdout, indented.
void PrintJson(const QJsonValue& value);
// A VARIANT as text: its value, or "(empty)" when the engine sent an empty VARIANT.
QString ValueText(const QVariant& value);
// A text as one field of an output line: line breaks and other control characters (a
// message's text comes from the network) stay visible but neither break the line nor reach
// the terminal; a backslash is doubled.
QString EscapedField(const QString& text);

}  // namespace nbsms
