#include "automationvalues.h"

#include <QDBusArgument>
#include <QFile>
#include <QStringDecoder>
#include <QVariantList>

#include "qansi.h"

namespace nimbra {
namespace {

// A variant from the bus that holds an array (QDBusArgument): "" when it is an empty one,
// which is how an empty VARIANT travels.
bool IsEmptyArray(const QVariant& value) {
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return false;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentType() != QDBusArgument::ArrayType)
        return false;
    argument.beginArray();
    const bool empty = argument.atEnd();
    argument.endArray();
    return empty;
}

std::string Checked(const QString& text, const char* name) {
    if (text.size() > kMaxArgumentChars)
        throw ArgumentError(std::string("The argument ") + name + " is too long (" +
                            std::to_string(text.size()) + " characters)");
    return QToAnsi(text);
}

}  // namespace

QDBusVariant EmptyVariant() {
    return QDBusVariant(QVariant::fromValue(QVariantList{}));
}

QVariant ToBusText(const std::string& text) {
    return QVariant(QFromAnsi(text));
}

QVariant ToBusVariantText(const std::string& text) {
    return QVariant::fromValue(QDBusVariant(ToBusText(text)));
}

QDBusVariant ToBus(const AutoValue& value) {
    if (const int* number = std::get_if<int>(&value))
        return QDBusVariant(QVariant(*number));
    if (const std::string* text = std::get_if<std::string>(&value))
        return QDBusVariant(ToBusText(*text));
    return EmptyVariant();
}

std::string TextArgument(const QVariant& value, const char* name) {
    QVariant inner = value;
    if (inner.metaType() == QMetaType::fromType<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    switch (inner.metaType().id()) {
        case QMetaType::QString:
            return Checked(inner.toString(), name);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar:
            return inner.toString().toStdString();
        default:
            break;
    }
    if (!inner.isValid() || IsEmptyArray(inner))
        return {};
    throw ArgumentError(std::string("The argument ") + name + " must be a text or a number");
}

std::string PathArgument(const QVariant& value, const char* name) {
    // Read as a text first: that checks type and size.
    TextArgument(value, name);
    QVariant inner = value;
    if (inner.metaType() == QMetaType::fromType<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    return QFile::encodeName(inner.toString()).toStdString();
}

QDBusVariant PathToBus(const AutoValue& value) {
    if (const std::string* path = std::get_if<std::string>(&value))
        return QDBusVariant(QFile::decodeName(QByteArray::fromStdString(*path)));
    return ToBus(value);
}

QString FailureText(const char* what) {
    auto decode = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decode(QByteArrayView(what));
    return decode.hasError() ? QFromAnsi(what) : text;
}

}  // namespace nimbra
