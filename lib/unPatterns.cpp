#include "unPatterns.h"

#include <QRegularExpression>
#include <QString>

#include "codepage.h"

namespace nimbra {
namespace {

QString ToQString(std::string_view s) {
    const std::u16string wide = AnsiToWide(s);
    return QString(reinterpret_cast<const QChar*>(wide.data()),
                   static_cast<qsizetype>(wide.size()));
}

std::string FromQString(const QString& s) {
    return WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                          static_cast<std::size_t>(s.size())));
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
