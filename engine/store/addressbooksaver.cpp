#include "addressbooksaver.h"

#include <utility>

#include "addressbookfiles.h"
#include "atomicfile.h"
#include "notifier.h"

namespace nimbra {

TMyThread::TMyThread(WriteFunction write, ErrorFunction reportError)
    : write_(std::move(write)), reportError_(std::move(reportError)) {
    if (!write_)
        write_ = [](const std::string& path, const std::string& text) {
            return WriteFileAtomically(path, text);
        };
    if (!reportError_)
        reportError_ = [](const std::string& message) { ProcessNotifier().ShowMessage(message); };
}

TMyThread::~TMyThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void TMyThread::Request(std::vector<Contact> contacts, std::string path) {
    {
        std::lock_guard lock(mutex_);
        contacts_ = std::move(contacts);
        path_ = std::move(path);
        pending_ = true;
    }
    if (!thread_.joinable())
        thread_ = std::thread(&TMyThread::Run, this);
    else
        wake_.notify_one();
}

void TMyThread::WaitUntilSaved() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !writing_; });
}

void TMyThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        // Stopping waits for the last pending request to be written.
        if (!pending_)
            return;
        const std::vector<Contact> contacts = std::move(contacts_);
        const std::string path = std::move(path_);
        contacts_.clear();
        pending_ = false;
        writing_ = true;
        lock.unlock();

        if (!write_(path, ContactsFileText(contacts)))
            reportError_(CannotWriteMessage(path));

        lock.lock();
        writing_ = false;
        idle_.notify_all();
    }
}

}  // namespace nimbra
