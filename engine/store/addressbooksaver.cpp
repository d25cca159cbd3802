#include "addressbooksaver.h"

#include <utility>

#include "addressbookfiles.h"
#include "atomicfile.h"
#include "notifier.h"

namespace nimbra {

TMyThread::TMyThread(const std::vector<Contact>& contacts, WriteFunction write,
                     ErrorFunction reportError)
    : contacts_(contacts), write_(std::move(write)), reportError_(std::move(reportError)) {
    if (!write_)
        write_ = [](const std::string& path, const std::string& text) {
            return WriteFileDurably(path, text);
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

std::unique_lock<std::mutex> TMyThread::LockContacts() {
    return std::unique_lock(mutex_);
}

void TMyThread::Request(std::string path) {
    // The thread starts before anything is marked pending: should starting it throw, no
    // request is left that WaitUntilSaved() would wait for forever.
    if (!thread_.joinable())
        thread_ = std::thread(&TMyThread::Run, this);
    {
        std::lock_guard lock(mutex_);
        path_ = std::move(path);
        pending_ = true;
    }
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
        // The one copy of this write, taken while the owner cannot change the contacts. An
        // edit after it comes with a request of its own, which makes the next write.
        const std::vector<Contact> contacts = contacts_;
        const std::string path = std::move(path_);
        path_.clear();
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
