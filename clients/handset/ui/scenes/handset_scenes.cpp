// handset_scenes: the GSM driver's configuration windows as pictures, for
// scripts/screenshots-handset. It logs the driver's main window in to the engine on the
// session bus, fills the preferences as an operator would (a model chosen from the list, the
// modem on a pseudo-terminal as the port) and saves the preferences window and both pages of
// the port settings window as PNGs.
//
//   handset_scenes PORT_PATH OUTPUT_DIR

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>

#include "Transmit_TLB.h"
#include "event_wait.h"
#include "frmcomport.h"
#include "frmhandset.h"
#include "frmprefphone.h"
#include "handsetwindows.h"

namespace {

using nimbra::testing_support::ProcessEventsFor;

int Fail(const char* what) {
    std::fprintf(stderr, "handset_scenes: %s\n", what);
    return 1;
}

bool Save(QWidget& window, const QDir& out, const char* name) {
    window.show();
    window.raise();
    window.activateWindow();
    ProcessEventsFor(500);
    return window.grab().save(out.filePath(QString::fromLatin1(name)));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3)
        return Fail("usage: handset_scenes PORT_PATH OUTPUT_DIR");
    const QString port = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    using nimbra::handset::HandsetWindows;
    using nimbra::handset::TfrmHandset;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!nimbra::com::TransmitEngine::IsRunning(bus))
        return Fail("no engine on the session bus");
    TfrmHandset driver(nimbra::com::TransmitEngine::Attach(bus));
    driver.SetWindowFactory(
        [](TfrmHandset& main) { return std::make_unique<HandsetWindows>(main); });
    if (!driver.FormCreate())
        return Fail("the login failed");
    driver.CreateWindows();
    auto& windows = *static_cast<HandsetWindows*>(driver.windows());

    auto& prefs = windows.preferences();
    auto* model = prefs.findChild<QComboBox*>(QStringLiteral("cbGSM"));
    const QString chosen = QStringLiteral("Siemens MC35");
    model->setCurrentIndex(model->findText(chosen));
    emit model->textActivated(chosen);
    prefs.findChild<QComboBox*>(QStringLiteral("lbComPort"))->setEditText(port);
    windows.MenuItemClick(driver.realName() + " Configuration");
    if (!Save(prefs, out, "handset-preferences.png"))
        return Fail("cannot save the preferences picture");

    auto& comport = windows.comport();
    prefs.bPortClick();
    auto* tabs = comport.findChild<QTabWidget*>();
    tabs->setCurrentIndex(0);
    if (!Save(comport, out, "handset-port-settings.png"))
        return Fail("cannot save the port settings picture");
    tabs->setCurrentIndex(1);
    if (!Save(comport, out, "handset-port-settings-server.png"))
        return Fail("cannot save the server settings picture");
    return 0;
}
