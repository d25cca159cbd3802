// Qt WebEngine in tests: it refuses to run as root unless its sandbox is switched off, and it
// shares its graphics contexts with the windows. Both must be settled before the test main
// makes the application object, so this runs while the program's statics are made.

#include <cstdlib>

#include <QCoreApplication>

namespace {

struct WebEngineSetup {
    WebEngineSetup() {
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    }
};

const WebEngineSetup setup;

}  // namespace
