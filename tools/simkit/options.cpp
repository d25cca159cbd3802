#include "options.h"

namespace simkit {

QCommandLineOption Flag(const char* name, const char* description) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description));
}

QCommandLineOption Valued(const char* name, const char* description, const char* valueName,
                          const QString& defaultValue) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(valueName), defaultValue);
}

std::optional<quint16> PortNumber(const QString& text) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

}  // namespace simkit
