#include "stdincontrol.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include <QSocketNotifier>

#include "commandset.h"

namespace simkit {

StdinControl::StdinControl(CommandSet& commands, QObject* parent)
    : QObject(parent),
      commands_(commands),
      notifier_(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this, &StdinControl::ReadAvailable);
}

void StdinControl::ReadAvailable() {
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        notifier_->setEnabled(false);
        return;
    }
    bool quit = false;
    const QByteArray answers =
        commands_.ExecuteAll(lines_.Append(QByteArray(buffer, static_cast<qsizetype>(got))), quit);
    std::fwrite(answers.constData(), 1, static_cast<size_t>(answers.size()), stdout);
    std::fflush(stdout);
    if (quit)
        emit quitRequested();
}

}  // namespace simkit
