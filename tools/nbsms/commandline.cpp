#include "commandline.h"

#include <QCommandLineParser>

namespace nbsms {
namespace {

QString Usage(const Command& command) {
    QString usage = QStringLiteral("nbsms %1").arg(QLatin1String(command.name));
    if (command.argumentCount > 0)
        usage += QLatin1Char(' ') + QLatin1String(command.arguments);
    return usage;
}

}  // namespace

Invocation ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    // Whatever follows the command is its arguments, also when it starts with "-".
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    Invocation invocation;
    if (!parser.parse(arguments)) {
        invocation.error = parser.errorText();
        return invocation;
    }
    if (parser.isSet(help)) {
        invocation.help = true;
        return invocation;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        invocation.error = QStringLiteral("no command given");
        return invocation;
    }
    const QString name = words.takeFirst();
    for (const Command& command : Commands()) {
        if (name != QLatin1String(command.name))
            continue;
        if (words.size() != command.argumentCount) {
            invocation.error = QStringLiteral("usage: %1").arg(Usage(command));
            return invocation;
        }
        invocation.command = &command;
        invocation.arguments = words;
        return invocation;
    }
    invocation.error = QStringLiteral("unknown command \"%1\"").arg(name);
    return invocation;
}

QString HelpText() {
    QString text = QStringLiteral(
        "Usage: nbsms COMMAND [ARGUMENTS]\n"
        "Works with the running Nimbra engine on the D-Bus session bus.\n\n"
        "Commands:\n");
    for (const Command& command : Commands())
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(Usage(command), QLatin1String(command.description));
    text += QStringLiteral(
        "\nExit codes: 0 done, 1 the engine did not do it, 2 no engine is running,\n"
        "64 the command line is wrong.\n");
    return text;
}

}  // namespace nbsms
