// billboard: the message wall plugin. The engine starts it from its Plugins folder; it logs in
// as a message-server client, collects incoming messages for moderation and shows the
// accepted ones on a full-screen wall page. It ends with the engine.

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>

#include "Transmit_TLB.h"
#include "messageboxnotifier.h"
#include "notifier.h"
#include "stopsignals.h"
#include "unBillboardMain.h"
#include "unDate.h"
#include "wallwatch.h"

namespace {

// An engine without a display starts the plugin without one; its windows then exist off
// screen.
void ChoosePlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

int Run() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!nimbra::com::TransmitEngine::IsRunning(bus))
        return 0;
    nimbra::MessageBoxNotifier notifier;
    nimbra::SetProcessNotifier(&notifier);
    std::unique_ptr<nimbra::TfrmMain> main;
    try {
        main = std::make_unique<nimbra::TfrmMain>(
            nimbra::com::TransmitEngine::Attach(bus),
            nimbra::TfrmMain::Options{QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                                      QDir::currentPath(),
                                      [] { return nimbra::LocalEpochSeconds(); }});
    } catch (const std::exception&) {
        // The engine went away while the plugin started.
        return 0;
    }
    QObject::connect(main.get(), &nimbra::TfrmMain::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    nimbra::StopSignals stop([&main] { main->CloseByRequest(); });
    if (!main->FormCreate())
        return 0;
    // The view from outside, when asked for (see wallwatch.h).
    std::unique_ptr<nimbra::TWallWatch> watch;
    if (const QString path = qEnvironmentVariable(nimbra::kWatchVariable); !path.isEmpty())
        watch = std::make_unique<nimbra::TWallWatch>(*main->moderate(), *main->display(), path);
    const int code = QApplication::exec();
    watch.reset();
    main.reset();
    nimbra::SetProcessNotifier(nullptr);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    ChoosePlatform();
    // The browser of the wall shares its graphics contexts with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int code = Run();
    // Qt's D-Bus thread would still take apart what comes in while the statics are
    // destroyed; nothing is left to do, so the program ends here.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}
