// billboard_scenes: the message wall's windows as pictures, for scripts/screenshots-billboard.
// It runs the wall's main object (the one the billboard program runs) against the engine on
// the session bus, puts the wall full screen, has the message-centre simulator deliver a few
// messages through the engine's driver, and saves the wall and the Moderate window as PNGs
// once the first message is on the wall and the others wait in the lists.
//
//   billboard_scenes CONTROL_PORT OUTPUT_DIR

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>

#include "Transmit_TLB.h"
#include "event_wait.h"
#include "loopback_peer.h"
#include "unBillboardDisplay.h"
#include "unBillboardMain.h"
#include "unDate.h"
#include "unModerator.h"

namespace {

using nimbra::testing_support::ProcessEventsFor;
using nimbra::testing_support::ProcessEventsUntil;

constexpr int kTimeoutMs = 30000;

bool Deliver(int controlPort, const std::string& text) {
    nimbra::testing_support::LoopbackPeer control(controlPort);
    return control.Send("deliver +36301234567 +36205550123 " + text + "\n") &&
           control.ReadUntil("\n").rfind("ok", 0) == 0;
}

int Count(nimbra::TfrmModerate& window, const char* list) {
    return window.findChild<QListWidget*>(QString::fromLatin1(list))->count();
}

QString WallText(nimbra::TfrmDisplay& display) {
    QString text;
    bool answered = false;
    display.ReadCurrentText([&](const QString& value) {
        text = value;
        answered = true;
    });
    ProcessEventsUntil([&] { return answered; }, kTimeoutMs);
    return text;
}

int Fail(const char* what) {
    std::fprintf(stderr, "billboard_scenes: %s\n", what);
    return 1;
}

int Run(int controlPort, const QDir& out) {
    nimbra::TfrmMain wall(nimbra::com::TransmitEngine::Attach(QDBusConnection::sessionBus()),
                          {QStringLiteral("billboard"), QDir::currentPath(),
                           [] { return nimbra::LocalEpochSeconds(); }});
    if (!wall.FormCreate())
        return Fail("cannot log in to the engine");
    nimbra::TfrmModerate& moderate = *wall.moderate();
    nimbra::TfrmDisplay& display = *wall.display();
    moderate.move(60, 60);
    moderate.show();

    bool loaded = false;
    QObject::connect(&display, &nimbra::TfrmDisplay::pageLoaded, [&] { loaded = true; });
    display.ShowOn(moderate.screen());
    if (!ProcessEventsUntil([&] { return loaded; }, kTimeoutMs))
        return Fail("the wall page did not load");

    const std::string first = "Happy birthday, Anna! Greetings from table 12";
    if (!Deliver(controlPort, first) || !Deliver(controlPort, "Best band ever {encore!} \\o/") ||
        !Deliver(controlPort, "Can we have one more song please?"))
        return Fail("the simulator did not deliver");
    if (!ProcessEventsUntil([&] { return WallText(display) == QString::fromStdString(first); },
                            kTimeoutMs))
        return Fail("the first message did not reach the wall");
    if (!Deliver(controlPort, "Who parked the blue van at the gate?") ||
        !Deliver(controlPort, "Greetings to everyone from Szeged"))
        return Fail("the simulator did not deliver");
    if (!ProcessEventsUntil(
            [&] { return Count(moderate, "qInbox") == 2 && Count(moderate, "qDisplay") == 2; },
            kTimeoutMs))
        return Fail("the messages did not reach the lists");
    // Let the page's fade-in and the lists settle.
    ProcessEventsFor(1200);

    QScreen* screen = display.screen();
    const QPixmap wallPicture =
        screen->grabWindow(0, display.x(), display.y(), display.width(), display.height());
    if (!wallPicture.save(out.filePath(QStringLiteral("billboard-wall.png"))))
        return Fail("cannot write billboard-wall.png");
    if (!moderate.grab().save(out.filePath(QStringLiteral("billboard-moderate.png"))))
        return Fail("cannot write billboard-moderate.png");
    wall.CloseByRequest();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 3) {
        std::fprintf(stderr, "usage: billboard_scenes CONTROL_PORT OUTPUT_DIR\n");
        return 64;
    }
    const int code = Run(std::atoi(argv[1]), QDir(QString::fromLocal8Bit(argv[2])));
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}
