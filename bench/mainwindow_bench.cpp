// The main window over a folder of 100,000 messages: from selecting the folder, not read yet
// (its files in the page cache), until its rows show; sorting it again by a column; and the
// memory the window adds to the store's. Runs on the offscreen platform.
//
//   mainwindow_bench [message count]      (default 100000)

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>

#include "durablewrites.h"
#include "engine.h"
#include "foldertreemodel.h"
#include "mainwindow.h"
#include "manual_host.h"
#include "messagelistmodel.h"

namespace {

using namespace nimbra;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double HeapMegabytes() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

void WriteMessages(Engine& engine, const std::string& directory, int count) {
    TSmsQueue writer(engine.Store(), directory, QueueFlags{});
    // A bulk write: the files share their flushes.
    const DurableWritesHold hold;
    for (int i = 0; i < count; ++i) {
        auto message = std::make_unique<TSms>(engine.Sms());
        message->from = "+4930" + std::to_string(1000000 + (i * 7919) % count);
        message->to = "Anna Smith (+491701234567)";
        message->text =
            "Meeting moved to 15:30 in room B, see you there - message " + std::to_string(i);
        message->receivedTime = NowText(engine.Now() - (i % 5000) / 1440.0);
        writer.Add(std::move(message), false);
    }
    ProcessDurableWrites().Commit();
}

// Runs the event loop until done holds.
template <class Condition>
void Wait(Condition done) {
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path root = fs::temp_directory_path() / "nimbra-mainwindow-bench";
    fs::remove_all(root);
    fs::create_directories(root / "home" / "Folders" / "Big");
    fs::create_directories(root / "settings");
    qputenv("NIMBRA_SETTINGS_DIR", QByteArray::fromStdString((root / "settings").string()));

    testing_support::ManualHost host;
    auto engine = std::make_unique<Engine>(host, (root / "home").string());
    engine->Init();
    auto start = Clock::now();
    WriteMessages(*engine, engine->PathOf("Folders/Big"), count);
    std::printf("wrote %d message files in %.1f s\n", count, SecondsSince(start));
    // Warm cache: the files are read once before the window reads them.
    ReadFolderSnapshot(engine->PathOf("Folders/Big/"));
    start = Clock::now();
    FolderSnapshot files = ReadFolderSnapshot(engine->PathOf("Folders/Big/"));
    const double readAlone = SecondsSince(start);
    start = Clock::now();
    {
        TSmsQueue queue(engine->Store(), engine->PathOf("Folders/Big"), QueueFlags{});
        queue.LoadSnapshot(std::move(files));
    }
    std::printf("the files alone: read in %.2f s (on the worker), their messages in %.2f s\n",
                readAlone, SecondsSince(start));

    const double heapBeforeWindow = HeapMegabytes();
    auto window = std::make_unique<ui::TNbsmForm>(*engine);
    window->resize(1280, 800);
    window->show();
    QApplication::processEvents();
    const double heapWithWindow = HeapMegabytes();

    QTreeView* tree = window->FolderView();
    ui::MessageListModel* list = window->MessageModel();
    const QModelIndex big =
        window->FolderModel()->IndexOf(engine->Folders().Tree().NodeAt(kFirstUserFolderIndex));
    // The longest the window's thread is kept from its event loop meanwhile.
    QElapsedTimer sinceTick;
    qint64 longestBusyMs = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestBusyMs = std::max(longestBusyMs, sinceTick.restart()); });
    start = Clock::now();
    tree->setCurrentIndex(big);
    const double clickReturned = SecondsSince(start);
    sinceTick.start();
    ticks.start(5);
    Wait([&] { return !window->ReadingFolder() && list->rowCount() == count; });
    window->MessageView()->viewport()->repaint();
    const double shown = SecondsSince(start);
    longestBusyMs = std::max(longestBusyMs, sinceTick.elapsed());
    ticks.stop();
    const double heapWithFolder = HeapMegabytes();
    std::printf(
        "select a folder of %d messages not read yet: rows show after %.2f s "
        "(the click returns after %.3f s; the window's thread is busy for at most "
        "%.2f s at a time)\n",
        count, shown, clickReturned, static_cast<double>(longestBusyMs) / 1000.0);

    for (int column : {ui::kListPhone, ui::kListMessage, ui::kListTime}) {
        start = Clock::now();
        window->MessageView()->sortByColumn(column, Qt::DescendingOrder);
        window->MessageView()->viewport()->repaint();
        std::printf("sort by %-12s %.3f s\n",
                    list->headerData(column, Qt::Horizontal, Qt::DisplayRole)
                        .toString()
                        .toStdString()
                        .c_str(),
                    SecondsSince(start));
    }

    // What the same folder costs the store alone, without a window.
    const double heapBeforeQueue = HeapMegabytes();
    {
        TSmsQueue queue(engine->Store(), engine->PathOf("Folders/Big"), QueueFlags{});
        queue.LoadFolder();
        const double storeShare = HeapMegabytes() - heapBeforeQueue;
        std::printf(
            "heap: the window %.1f MB; showing the folder %.1f MB, of which the "
            "store's messages %.1f MB and the window %.1f MB (%.0f bytes a row)\n",
            heapWithWindow - heapBeforeWindow, heapWithFolder - heapWithWindow, storeShare,
            heapWithFolder - heapWithWindow - storeShare,
            (heapWithFolder - heapWithWindow - storeShare) * 1024 * 1024 / count);
    }
    window.reset();
    engine.reset();
    fs::remove_all(root);
    return 0;
}
