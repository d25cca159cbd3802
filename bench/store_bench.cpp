// Loading a folder of 100,000 message files and adding to a queue of that size with
// housekeeping on. Prints the times and the memory each stored message takes.
//
//   store_bench [message count]      (default 100000)

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "addressbook.h"
#include "durablewrites.h"
#include "smsqueue.h"
#include "storeenvironment.h"

namespace {

using namespace nimbra;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

void WriteMessages(StoreEnvironment& store, const std::string& directory, int count) {
    TSmsQueue writer(store, directory, QueueFlags{});
    // A bulk write: the files share their flushes, as a burst of calls does in the engine.
    const DurableWritesHold hold;
    for (int i = 0; i < count; ++i) {
        auto message = std::make_unique<TSms>(store.sms);
        message->from = "+4930" + std::to_string(1000000 + i);
        message->to = "Anna Smith (+491701234567)";
        message->text =
            "Meeting moved to 15:30 in room B, see you there - message " + std::to_string(i);
        writer.Add(std::move(message), false);
    }
    ProcessDurableWrites().Commit();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const fs::path home = fs::temp_directory_path() / "nimbra-store-bench";
    fs::remove_all(home);
    SmsEnvironment sms;
    StoreEnvironment store(sms, home.string());
    const std::string directory = store.PathOf("SysFolders/Inbox");

    auto start = Clock::now();
    WriteMessages(store, directory, count);
    std::printf("wrote %d message files in %.2f s\n", count, SecondsSince(start));

    // The first read warms the page cache; the figures are of the reads after it.
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        TSmsQueue queue(store, directory, QueueFlags{});
        start = Clock::now();
        queue.LoadFolder();
        const double seconds = SecondsSince(start);
        if (round > 0)
            best = std::min(best, seconds);
        if (queue.Count() != count) {
            std::fprintf(stderr, "loaded %d of %d messages\n", queue.Count(), count);
            return 1;
        }
    }
    std::printf("load folder (warm cache): %.3f s, %.0f messages/s\n", best, count / best);

    // Every loaded address is looked up in the address book.
    TAddressBook book(home.string());
    for (int i = 0; i < 10000; ++i)
        book.AddContact(MakeContact("Contact " + std::to_string(i),
                                    "+4930" + std::to_string(1000000 + i * 7), "", ""));
    sms.addressBook = &book;
    {
        TSmsQueue queue(store, directory, QueueFlags{});
        start = Clock::now();
        queue.LoadFolder();
        std::printf("load folder with a 10,000-contact address book: %.3f s\n",
                    SecondsSince(start));
    }
    sms.addressBook = nullptr;

    const std::size_t heapBefore = HeapInUse();
    auto queue = std::make_unique<TSmsQueue>(store, directory, QueueFlags{false, true, true});
    queue->LoadFolder();
    const std::size_t heapAfter = HeapInUse();
    std::printf("memory per stored message: %.0f bytes (heap in use)\n",
                static_cast<double>(heapAfter - heapBefore) / count);

    // Housekeeping walks the whole queue on every addition; nothing is old enough to go.
    store.housekeepingRules = [] { return HousekeepingRules{30, true}; };
    constexpr int kAdds = 1000;
    for (bool save : {false, true}) {
        start = Clock::now();
        for (int i = 0; i < kAdds; ++i) {
            auto message = std::make_unique<TSms>(sms);
            message->from = "+4930999";
            message->text = "added";
            queue->Add(std::move(message), true, !save);
        }
        std::printf("add to a %d-message queue with housekeeping%s: %.1f us per message\n", count,
                    save ? " and file write" : " (no file write)",
                    SecondsSince(start) * 1e6 / kAdds);
    }
    queue.reset();
    fs::remove_all(home);
    return 0;
}
