#pragma once
// Pieces of a simulator's command line.

#include <optional>

#include <QCommandLineOption>
#include <QString>

namespace simkit {

QCommandLineOption Flag(const char* name, const char* description);
QCommandLineOption Valued(const char* name, const char* description, const char* valueName,
                          const QString& defaultValue = {});
// A port number 0..65535, or nullopt.
std::optional<quint16> PortNumber(const QString& text);

}  // namespace simkit
