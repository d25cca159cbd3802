#include "automationvariant.h"

#include <limits>

#include <QDBusArgument>
#include <QMetaType>
#include <QVariantList>

#include "transmiterror.h"

namespace nimbra::com {
namespace {

QDBusVariant EmptyVariant() {
    return QDBusVariant(QVariant::fromValue(QVariantList{}));
}

bool IsInteger(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

}  // namespace

QDBusVariant ToBusVariant(const QVariant& value) {
    if (!value.isValid())
        return EmptyVariant();
    if (IsInteger(value)) {
        bool fits = false;
        const qlonglong number = value.toLongLong(&fits);
        if (fits && number >= std::numeric_limits<int>::min() &&
            number <= std::numeric_limits<int>::max())
            return QDBusVariant(static_cast<int>(number));
        return QDBusVariant(value.toString());
    }
    switch (value.typeId()) {
        case QMetaType::QString:
            return QDBusVariant(value.toString());
        case QMetaType::QByteArray:
            return QDBusVariant(QString::fromUtf8(value.toByteArray()));
        case QMetaType::QChar:
            return QDBusVariant(QString(value.toChar()));
        default:
            throw TransmitError(
                QString(), QStringLiteral("a VARIANT for the engine holds an integer or a text, "
                                          "not a value of type %1")
                               .arg(QString::fromLatin1(value.typeName())));
    }
}

QVariant FromBusVariant(const QDBusVariant& value) {
    return FromBusValue(value.variant());
}

QVariant FromBusValue(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusVariant>())
        return FromBusVariant(value.value<QDBusVariant>());
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return value;
    // Arrays inside a VARIANT come undecoded; the empty VARIANT is the one the engine sends.
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("av"))
        return value;
    QVariantList list;
    argument >> list;
    if (list.isEmpty())
        return QVariant();
    for (QVariant& element : list)
        element = FromBusValue(element);
    return list;
}

}  // namespace nimbra::com
