#pragma once

// Code-page text (Windows-1252 bytes) to and from QString, one to one.

#include <string>
#include <string_view>

#include <QString>

#include "codepage.h"

namespace nimbra {

inline QString QFromAnsi(std::string_view s) {
    const std::u16string wide = AnsiToWide(s);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

inline std::string QToAnsi(const QString& s) {
    return WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                          static_cast<std::size_t>(s.size())));
}

}  // namespace nimbra
