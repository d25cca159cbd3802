#include "unPatterns.h"

#include <QRegularExpression>
#include <QString>

namespace nimbra {
namespace {

// Patterns work on bytes: each byte stands for the character of the same number, so that
// an escape such as \x80 in a pattern matches the byte 0x80 and every byte comes back.
QString ToQString(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQString(const QString& s) {
    const QByteArray bytes = s.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

bool RegexMatches(std::string_view pattern, std::string_view s) {
    if (pattern.empty() || s.empty())
        return false;
    const QRegularExpression re(ToQString(pattern));
    return re.isValid() && re.match(ToQString(s)).hasMatch();
}

std::string RegexReplace(std::string_view pattern, std::string_view replacement,
                         std::string_view s) {
    if (pattern.empty() || s.empty())
        return std::string(s);
    const QRegularExpression re(ToQString(pattern));
    if (!re.isValid())
        return std::string(s);
    const QString subject = ToQString(s);
    QString out;
    qsizetype pos = 0;
    auto it = re.globalMatch(subject);
    while (it.hasNext()) {
        const auto m = it.next();
        out += subject.mid(pos, m.capturedStart() - pos);
        out += ToQString(replacement);
        pos = m.capturedEnd();
    }
    out += subject.mid(pos);
    return FromQString(out);
}

}  // namespace nimbra
