#pragma once
// Values between the bus and the engine core: VARIANTs are D-Bus variants (an integer is
// "i", a text "s", an empty VARIANT an empty "av"); texts are UTF-8 on the bus and code-page
// bytes in the engine.
#include <stdexcept>
#include <string>

#include <QDBusVariant>
#include <QVariant>

#include "automationvalue.h"

namespace nimbra {

// A text argument above this size is refused: no record, number list or status line comes
// near it, and the engine keeps whole texts in memory and in its logs.
inline constexpr qsizetype kMaxArgumentChars = 1 << 20;

// An argument the operation cannot take; the caller gets the text as the error.
class ArgumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QDBusVariant EmptyVariant();
QDBusVariant ToBus(const AutoValue& value);
QVariant ToBusText(const std::string& text);
// A text as a VARIANT argument of an event.
QVariant ToBusVariantText(const std::string& text);
// The text of an argument (a string, an integer as decimal digits, an empty VARIANT as "");
// name says which argument in the error. Throws ArgumentError.
std::string TextArgument(const QVariant& value, const char* name);
// A message text argument as the engine keeps texts: in the code page, or in the "_UCS2_"
// form when the code page lacks one of its characters (which would otherwise become "?").
std::string MessageTextArgument(const QVariant& value, const char* name);
// A GSMSMS record argument: in the code page, its text as MessageTextArgument takes it.
std::string RecordArgument(const QVariant& value, const char* name);
// A file path argument, in the file system's encoding rather than the code page.
std::string PathArgument(const QVariant& value, const char* name);
// A file path for the bus (a text holding a path in the file system's encoding).
QDBusVariant PathToBus(const AutoValue& value);
// The text of a failure for the bus: paths in it are in the file system's encoding (UTF-8),
// everything else in the code page.
QString FailureText(const char* what);

}  // namespace nimbra
