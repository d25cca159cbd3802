// driver_scenes: the preferences windows of the message-centre drivers as pictures, for
// scripts/screenshots. Each window shows its last page, where the connection's window of
// messages in flight and its rate cap are set, on settings of a temporary folder.
//
//   driver_scenes OUTPUT_DIR

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>

#include "cimdconfig.h"
#include "event_wait.h"
#include "fieldstore.h"
#include "frmpref.h"
#include "smppconfig.h"

namespace {

using nimbra::driver::FieldStore;
using nimbra::driver::FrameConfig;
using nimbra::driver::TfrmPref;

int Fail(const char* what) {
    std::fprintf(stderr, "driver_scenes: %s\n", what);
    return 1;
}

bool SaveLastPage(const FrameConfig& config, const char* realName, const QDir& out,
                  const char* file) {
    FieldStore store;
    TfrmPref pref(config, realName, store);
    auto* tabs = pref.findChild<QTabWidget*>();
    if (tabs)
        tabs->setCurrentIndex(tabs->count() - 1);
    pref.show();
    pref.raise();
    pref.activateWindow();
    nimbra::testing_support::ProcessEventsFor(500);
    return pref.grab().save(out.filePath(QString::fromLatin1(file)));
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir settings;
    if (!settings.isValid())
        return Fail("cannot make a settings folder");
    qputenv("NIMBRA_SETTINGS_DIR", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    if (argc != 2)
        return Fail("usage: driver_scenes OUTPUT_DIR");
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!SaveLastPage(nimbra::smpp::SmppFrameConfig(), "smpp1", out, "smpp-advanced.png"))
        return Fail("cannot save the SMPP picture");
    if (!SaveLastPage(nimbra::cimd::CimdFrameConfig(), "cimd1", out, "cimd-advanced.png"))
        return Fail("cannot save the CIMD2 picture");
    return 0;
}
