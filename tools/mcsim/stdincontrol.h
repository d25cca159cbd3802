#pragma once
// Control commands typed on stdin; the answers go to stdout. At the end of stdin the
// simulator goes on running (it may have been started with stdin closed).

#include <QObject>

#include "controllines.h"

class QSocketNotifier;

namespace mcsim {

class ControlCommands;

class StdinControl : public QObject {
    Q_OBJECT
public:
    explicit StdinControl(ControlCommands& commands, QObject* parent = nullptr);

signals:
    void quitRequested();

private:
    void ReadAvailable();

    ControlCommands& commands_;
    ControlLines lines_;
    QSocketNotifier* notifier_;
};

}  // namespace mcsim
