// transmit, the engine: finds its home, claims its place on the session bus (a second start
// hands over to the running engine and ends), starts the engine core, opens its main window
// when there is a display (not with --headless) and runs the event loop until the engine has
// shut down.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string_view>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include "automationregistry.h"
#include "durablewrites.h"
#include "engine.h"
#include "engineadmin.h"
#include "enginebus.h"
#include "qtenginehost.h"
#include "stopsignals.h"
#include "userhome.h"

#if NIMBRA_WITH_WINDOWS
#include <QApplication>
#include <QMessageBox>

#include "aboutform.h"
#include "mainwindow.h"
#endif

namespace {

void Say(const QString& text) {
    std::fprintf(stderr, "transmit: %s\n", text.toLocal8Bit().constData());
}

// The home given on the command line, else $NIMBRA_HOME, else the program's own folder when
// the user may write to it, else the user's own home made from the installed programs.
QString ParseHome(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Nimbra engine: keeps the message store, hands messages to the device drivers and\n"
        "serves other programs on the D-Bus session bus. Stop it with Ctrl-C or SIGTERM.\n"
        "After a change of the user-interface language it ends with exit code 75, to be\n"
        "started again."));
    parser.addHelpOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("headless"),
        QStringLiteral("Run without windows, as without a display: messages go to stderr and "
                       "the error log, questions get the answer No.")));
    const QCommandLineOption homeOption(
        QStringLiteral("home"),
        QStringLiteral("The engine home <dir> (default: $NIMBRA_HOME, else the folder of this "
                       "program, or $XDG_DATA_HOME/nimbra when that folder is not writable)."),
        QStringLiteral("dir"));
    parser.addOption(homeOption);
    parser.process(app);

    if (parser.isSet(homeOption))
        return parser.value(homeOption);
    const QString fromEnvironment = qEnvironmentVariable("NIMBRA_HOME");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const std::filesystem::path programDir =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    if (nimbra::FolderWritable(programDir))
        return QFile::decodeName(programDir.c_str());
    const std::filesystem::path userHome =
        nimbra::UserDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (userHome.empty())
        throw std::runtime_error(
            "the folder of this program is not writable and neither "
            "XDG_DATA_HOME nor HOME names a home to use instead");
    nimbra::PrepareUserHome(userHome, programDir, nimbra::InstalledDataDir(programDir));
    return QFile::decodeName(userHome.c_str());
}

// Windows when they are built, asked for and there is a display to show them on.
bool WantsWindows(int argc, char** argv) {
#if NIMBRA_WITH_WINDOWS
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--headless")
            return false;
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    (void)argc;
    (void)argv;
    return false;
#endif
}

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv, bool windows) {
#if NIMBRA_WITH_WINDOWS
    if (windows) {
        auto app = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationDisplayName(QString::fromLatin1(nimbra::ui::kProductName));
        // The window hides to the tray and asks before closing; only the engine ends the run.
        QApplication::setQuitOnLastWindowClosed(false);
        return app;
    }
#else
    (void)windows;
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

// False when the engine is not to run: it runs already (handed over) or the bus failed;
// exitCode says how to end.
bool ClaimBus(nimbra::EngineBus& bus, int& exitCode) {
    QString error;
    switch (bus.ClaimName(error)) {
        case nimbra::EngineBus::Claim::Owned:
            return true;
        case nimbra::EngineBus::Claim::HandedOver:
            if (!error.isEmpty())
                Say(QStringLiteral("the running engine did not answer: %1").arg(error));
            exitCode = 0;
            return false;
        case nimbra::EngineBus::Claim::NoBus:
            Say(QStringLiteral("cannot reach the D-Bus session bus: %1; set "
                               "DBUS_SESSION_BUS_ADDRESS or start one with dbus-run-session")
                    .arg(error));
            break;
        case nimbra::EngineBus::Claim::Refused:
            Say(QStringLiteral("the D-Bus session bus refused the engine: %1").arg(error));
            break;
    }
    exitCode = 1;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool windows = WantsWindows(argc, argv);
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv, windows);
    QCoreApplication::setApplicationName(QStringLiteral("transmit"));
    QString home;
    try {
        home = ParseHome(*app);
    } catch (const std::exception& e) {
        Say(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    if (!QDir::setCurrent(home)) {
        Say(QStringLiteral("cannot enter the engine home %1").arg(home));
        return 1;
    }
    // The programs the engine starts run in its home and find it here too.
    qputenv("NIMBRA_HOME", QFile::encodeName(QDir::currentPath()));

    // The bus name decides which engine runs, before anything is written into the home.
    nimbra::EngineBus bus;
    int exitCode = 0;
    if (!ClaimBus(bus, exitCode))
        return exitCode;

    nimbra::QtEngineHost host;
    host.SetCloseNotice([&bus] { bus.EmitEngineClosing(); });
    std::unique_ptr<nimbra::Engine> engine;
    std::unique_ptr<nimbra::AutomationRegistry> objects;
    std::unique_ptr<nimbra::EngineAdmin> admin;
#if NIMBRA_WITH_WINDOWS
    std::unique_ptr<nimbra::ui::TNbsmForm> window;
#endif
    // A stop signal that comes during start-up is handled once the event loop runs.
    const nimbra::StopSignals stopSignals([&engine] {
        if (engine)
            engine->Exit();
    });
    try {
        engine = std::make_unique<nimbra::Engine>(host);
        bus.Root().SetActivateHandler(
            [&engine] { nimbra::RunGuarded([&] { engine->Activate(); }); });
        engine->Init();
        objects = std::make_unique<nimbra::AutomationRegistry>(*engine, bus.Connection());
        bus.Root().SetCreateHandler(
            [&objects](const QString& className, const QString& caller, QString& error) {
                return objects->Create(className, caller, error);
            });
        admin = std::make_unique<nimbra::EngineAdmin>(*engine);
        bus.Root().SetAdminHandler(admin.get());
#if NIMBRA_WITH_WINDOWS
        if (windows) {
            window = std::make_unique<nimbra::ui::TNbsmForm>(*engine);
            window->ShowAtStart();
        }
#endif
    } catch (const nimbra::EngineStartError& e) {
        std::fprintf(stderr, "%s\n", e.what());
#if NIMBRA_WITH_WINDOWS
        if (windows)
            QMessageBox::critical(nullptr, QApplication::applicationDisplayName(),
                                  QString::fromLocal8Bit(e.what()));
#endif
        return 1;
    } catch (const std::exception& e) {
        Say(QStringLiteral("start-up failed: %1").arg(QString::fromLocal8Bit(e.what())));
        return 1;
    }
    // Stored messages are flushed on a thread of their own; answers that wait for them go
    // out from the event loop.
    nimbra::ProcessDurableWrites().StartFlusher(
        [&host](std::function<void()> action) { host.Post(std::move(action)); });
    const int result = QCoreApplication::exec();
#if NIMBRA_WITH_WINDOWS
    window.reset();
#endif
    nimbra::ProcessDurableWrites().StopFlusher();
    bus.Root().SetActivateHandler({});
    bus.Root().SetCreateHandler({});
    bus.Root().SetAdminHandler(nullptr);
    objects.reset();
    // A change of language ends the engine to be started again.
    return engine->ExitCode() != 0 ? engine->ExitCode() : result;
}
