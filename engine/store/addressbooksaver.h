#pragma once

// Writes the contacts file on a thread of its own, so that the window never waits for the
// disk. The saver reads the owner's contact list itself: a request only records the path, and
// the list is copied once per write, when the write starts, under a mutex the owner holds
// while it changes the list. Requests that come while one is pending are combined: the
// contacts as they are when the write starts go to the latest path, once.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "contact.h"

namespace nimbra {

class TMyThread {
public:
    // Writes the text to the path; false on failure.
    using WriteFunction = std::function<bool(const std::string& path, const std::string& text)>;
    // Tells the operator about a failed write; called on the saver thread.
    using ErrorFunction = std::function<void(const std::string& message)>;

    // contacts must outlive the saver, and may be changed only while LockContacts() is held;
    // reading them needs no lock on the one thread that changes them. Without functions:
    // WriteFileDurably, and the process notifier for errors.
    explicit TMyThread(const std::vector<Contact>& contacts, WriteFunction write = {},
                       ErrorFunction reportError = {});
    // Writes what is still pending, then stops the thread.
    ~TMyThread();
    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    // Held by the owner while it changes the contacts, so that a write never copies half an
    // edit. Request() and WaitUntilSaved() must not be called while it is held.
    [[nodiscard]] std::unique_lock<std::mutex> LockContacts();
    // Marks the contacts to be written to path; starts the thread the first time. Takes
    // constant time: nothing is copied here.
    void Request(std::string path);
    // Blocks until nothing is pending or being written.
    void WaitUntilSaved();

private:
    void Run();

    const std::vector<Contact>& contacts_;
    WriteFunction write_;
    ErrorFunction reportError_;

    // Guards the owner's changes of contacts_ and the state below.
    std::mutex mutex_;
    std::condition_variable wake_;  // a request is pending or the thread is to stop
    std::condition_variable idle_;  // a write has finished
    std::string path_;
    bool pending_ = false;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace nimbra
