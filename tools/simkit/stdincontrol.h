#pragma once
// Control commands typed on stdin; the answers go to stdout. At the end of stdin the
// simulator goes on running (it may have been started with stdin closed).

#include <QObject>

#include "controllines.h"

class QSocketNotifier;

namespace simkit {

class CommandSet;

class StdinControl : public QObject {
    Q_OBJECT
public:
    explicit StdinControl(CommandSet& commands, QObject* parent = nullptr);

signals:
    void quitRequested();

private:
    void ReadAvailable();

    CommandSet& commands_;
    ControlLines lines_;
    QSocketNotifier* notifier_;
};

}  // namespace simkit
