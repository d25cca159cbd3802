#include "commandline.h"

namespace nbsms {
namespace {

const QString kExitCodes = QStringLiteral(
    "Exit codes: 0 done, 1 the engine did not do it, 2 no engine is running,\n"
    "64 the command line is wrong.\n");

QString Usage(const Command& command) {
    QString usage = QStringLiteral("nbsms %1").arg(QLatin1String(command.name));
    if (*command.arguments)
        usage += QLatin1Char(' ') + QLatin1String(command.arguments);
    if (command.json)
        usage += QStringLiteral(" [--json]");
    return usage;
}

bool IsHelp(const QString& word) {
    return word == QLatin1String("--help") || word == QLatin1String("-h");
}

const Command* FindCommand(const QString& name) {
    for (const Command& command : Commands()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

}  // namespace

Invocation ParseCommandLine(const QStringList& arguments) {
    Invocation invocation;
    QStringList words = arguments.mid(1);
    if (!words.isEmpty() && IsHelp(words.first())) {
        invocation.help = true;
        return invocation;
    }
    if (words.isEmpty()) {
        invocation.error = QStringLiteral("no command given");
        return invocation;
    }
    const QString name = words.takeFirst();
    invocation.command = FindCommand(name);
    if (!invocation.command) {
        invocation.error = QStringLiteral("unknown command \"%1\"").arg(name);
        return invocation;
    }
    const Command& command = *invocation.command;
    bool options = true;
    for (const QString& word : words) {
        if (options && word == QLatin1String("--")) {
            options = false;
        } else if (options && IsHelp(word)) {
            invocation.help = true;
            return invocation;
        } else if (options && word == QLatin1String("--json")) {
            if (!command.json) {
                invocation.error = QStringLiteral("%1 takes no --json").arg(name);
                return invocation;
            }
            invocation.request.json = true;
        } else {
            invocation.request.arguments << word;
        }
    }
    const auto count = invocation.request.arguments.size();
    if (count < command.leastArguments ||
        (command.mostArguments != kAnyNumber && count > command.mostArguments))
        invocation.error = QStringLiteral("usage: %1").arg(Usage(command));
    return invocation;
}

QString HelpText() {
    QString text = QStringLiteral(
        "Usage: nbsms COMMAND [ARGUMENTS]\n"
        "Works with the running Nimbra engine on the D-Bus session bus.\n"
        "nbsms COMMAND --help describes a command.\n\n"
        "Commands:\n");
    for (const Command& command : Commands())
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(Usage(command), QLatin1String(command.description));
    return text + QLatin1Char('\n') + kExitCodes;
}

QString CommandHelpText(const Command& command) {
    QString text =
        QStringLiteral("Usage: %1\n%2\n").arg(Usage(command), QLatin1String(command.description));
    if (command.json)
        text += QStringLiteral("--json prints the result as JSON.\n");
    return text + QLatin1Char('\n') + kExitCodes;
}

}  // namespace nbsms
