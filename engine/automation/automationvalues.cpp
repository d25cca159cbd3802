#include "automationvalues.h"

#include <QDBusArgument>
#include <QFile>
#include <QStringDecoder>
#include <QVariantList>

#include "enginetext.h"
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

const QString& Checked(const QString& text, const char* name) {
    if (text.size() > kMaxArgumentChars)
        throw ArgumentError(std::string("The argument ") + name + " is too long (" +
                            std::to_string(text.size()) + " characters)");
    return text;
}

QVariant Unwrapped(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return value.value<QDBusVariant>().variant();
    return value;
}

std::u16string_view Utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
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
    const QVariant inner = Unwrapped(value);
    switch (inner.metaType().id()) {
        case QMetaType::QString:
            return QToAnsi(Checked(inner.toString(), name));
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

std::string MessageTextArgument(const QVariant& value, const char* name) {
    const QVariant inner = Unwrapped(value);
    if (inner.metaType().id() != QMetaType::QString)
        return TextArgument(value, name);
    return EngineText(Utf16(Checked(inner.toString(), name)));
}

std::string RecordArgument(const QVariant& value, const char* name) {
    const QVariant inner = Unwrapped(value);
    if (inner.metaType().id() != QMetaType::QString)
        return TextArgument(value, name);
    const QString record = inner.toString();
    Checked(record, name);
    if (AnsiCanHold(Utf16(record)))
        return QToAnsi(record);
    return RecordForEngine(record.toStdString());
}

std::string PathArgument(const QVariant& value, const char* name) {
    // Read as a text first: that checks type and size.
    TextArgument(value, name);
    return QFile::encodeName(Unwrapped(value).toString()).toStdString();
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
