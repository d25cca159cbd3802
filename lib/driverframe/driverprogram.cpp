#include "driverprogram.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <QApplication>
#include <QDBusConnection>

#include "Transmit_TLB.h"
#include "frmmain.h"
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

int Run(const MakeDriverWindow& makeMainWindow) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!com::TransmitEngine::IsRunning(bus)) {
        return 0;
    }
    MessageBoxNotifier notifier;
    SetProcessNotifier(&notifier);
    std::unique_ptr<DriverWindow> main;
    try {
        main = makeMainWindow(com::TransmitEngine::Attach(bus));
    } catch (const std::exception&) {
        // The engine went away while the driver started.
        return 0;
    }
    QObject::connect(main.get(), &DriverWindow::shutDown, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!main->FormCreate()) {
        return 0;
    }
    main->CreateWindows();
    StopSignals stop([&main] { main->ShutDownByRequest(); });
    int code = QApplication::exec();
    main.reset();
    SetProcessNotifier(nullptr);
    return code;
}

}  // namespace

int RunDriver(int argc, char** argv, const FrameConfig& config) {
    return RunDriverProgram(argc, argv, [&config](const com::TransmitEngine& engine) {
        return std::make_unique<TfrmMain>(config, engine);
    });
}

int RunDriverProgram(int argc, char** argv, const MakeDriverWindow& makeMainWindow) {
    ChoosePlatform();
    QApplication app(argc, argv);
    int code = Run(makeMainWindow);
    // Qt's D-Bus thread would still take apart what comes in while the statics are
    // destroyed; nothing is left to do, so the program ends here.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

}  // namespace nimbra::driver
