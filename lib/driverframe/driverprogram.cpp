#include "driverprogram.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <QApplication>
#include <QDBusConnection>

#include "Transmit_TLB.h"
#include "frmlog.h"
#include "frmmain.h"
#include "frmpref.h"
#include "messageboxnotifier.h"
#include "notifier.h"
#include "stopsignals.h"

namespace nimbra::driver {

namespace {

// Drivers are started by an engine that may run without a display; their windows then
// exist off screen and the operator reaches them through a windowed engine only.
void ChoosePlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

int Run(const FrameConfig& config) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!com::TransmitEngine::IsRunning(bus)) {
        return 0;
    }
    MessageBoxNotifier notifier;
    SetProcessNotifier(&notifier);
    std::unique_ptr<TfrmMain> main;
    try {
        main = std::make_unique<TfrmMain>(config, com::TransmitEngine::Attach(bus));
    } catch (const std::exception&) {
        // The engine went away while the driver started.
        return 0;
    }
    QObject::connect(main.get(), &TfrmMain::shutDown, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!main->FormCreate()) {
        return 0;
    }
    TfrmPref pref(config, main->realName(), static_cast<FieldStore&>(main->Fields()));
    TfrmLog log(config.logCaption);
    main->AttachWindows(&pref, &log);
    StopSignals stop([&main] { main->ShutDownByRequest(); });
    int code = QApplication::exec();
    main.reset();
    SetProcessNotifier(nullptr);
    return code;
}

}  // namespace

int RunDriver(int argc, char** argv, const FrameConfig& config) {
    ChoosePlatform();
    QApplication app(argc, argv);
    int code = Run(config);
    // Qt's D-Bus thread would still take apart what comes in while the statics are
    // destroyed; nothing is left to do, so the program ends here.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

}  // namespace nimbra::driver
