#include "console.h"

#include <cstdio>

#include <QCoreApplication>

#include "controlport.h"
#include "stdincontrol.h"

namespace simkit {

int Fail(const QString& text, int exitCode) {
    std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
    return exitCode;
}

void PrintLine(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void QuitOnRequest(ControlPort& controlPort, StdinControl& stdinControl) {
    // Queued: the answer to quit is written before the event loop ends.
    QObject::connect(&controlPort, &ControlPort::quitRequested, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&stdinControl, &StdinControl::quitRequested, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace simkit
