#include "commandset.h"

#include <QRegularExpression>

namespace simkit {

CommandSet::Words CommandSet::Split(const QByteArray& line) {
    static const QRegularExpression kWord(QStringLiteral("^(\\S+)\\s*(.*)$"));
    const QRegularExpressionMatch match = kWord.match(QString::fromUtf8(line).trimmed());
    return {match.captured(1), match.captured(2)};
}

QByteArray CommandSet::ExecuteAll(const std::vector<ControlLines::Line>& lines, bool& quit) {
    QByteArray answers;
    for (const ControlLines::Line& line : lines) {
        const Answer answer =
            line.overlong ? Error(QStringLiteral("line too long")) : Execute(line.text);
        if (!answer.line.isEmpty())
            answers += answer.line.toUtf8() + '\n';
        if (answer.quit) {
            quit = true;
            break;
        }
    }
    return answers;
}

}  // namespace simkit
