#pragma once
// Arguments of control commands: bytes written in hexadecimal, and message texts turned into
// the single-byte text the drivers exchange.

#include <optional>
#include <string>

#include <QByteArray>
#include <QString>

namespace simkit {

// Hex digits in pairs, blanks between them allowed; nullopt for anything else.
std::optional<QByteArray> HexBytes(const QString& text);

// A message text as the single-byte text drivers exchange: the code page's letters, and the
// Hungarian letters with double acute at their Central European code-page places, which the
// user-data encoding knows.
std::string MessageBytes(const QString& text);

}  // namespace simkit
