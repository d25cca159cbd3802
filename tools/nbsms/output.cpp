#include "output.h"

#include <cstdio>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace nbsms {

void PrintLine(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void PrintProblem(const QString& text) {
    std::fprintf(stderr, "nbsms: %s\n", text.toLocal8Bit().constData());
}

void PrintJson(const QJsonValue& value) {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    std::fputs(document.toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

QString ValueText(const QVariant& value) {
    return value.isValid() ? value.toString() : QStringLiteral("(empty)");
}

QString EscapedField(const QString& text) {
    QString field;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            field += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            field += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            field += QStringLiteral("\\r");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f ||
                 (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            field += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            field += c;
    }
    return field;
}

}  // namespace nbsms
