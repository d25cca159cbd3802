#pragma once
// VARIANT values on the bus: an integer is "i", a text "s", an empty VARIANT a variant
// holding an empty "av". On this side an empty VARIANT is an invalid QVariant.

#include <QDBusVariant>
#include <QVariant>

namespace nimbra::com {

// An integer that fits 32 bits goes as "i", a text (or bytes, as UTF-8) as "s", an invalid
// QVariant as the empty VARIANT. Throws TransmitError for any other kind of value: the
// engine takes no other.
QDBusVariant ToBusVariant(const QVariant& value);
// The value a VARIANT holds: int or QString as sent, invalid for the empty VARIANT.
QVariant FromBusVariant(const QDBusVariant& value);
// A value as it came in a message (an argument, an element of an "av"): a VARIANT is
// unwrapped, an empty "av" is the empty VARIANT, anything else is kept as it came.
QVariant FromBusValue(const QVariant& value);

}  // namespace nimbra::com
