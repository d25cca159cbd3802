#pragma once

// Writes the contacts file on a thread of its own, so that the window never waits for the
// disk. Requests that come while one is pending are combined: the latest contacts and the
// latest path are written once.

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

    // Without functions: WriteFileAtomically, and the process notifier for errors.
    explicit TMyThread(WriteFunction write = {}, ErrorFunction reportError = {});
    // Writes what is still pending, then stops the thread.
    ~TMyThread();
    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    // Hands over a copy of the contacts to be written to path; starts the thread the first
    // time.
    void Request(std::vector<Contact> contacts, std::string path);
    // Blocks until nothing is pending or being written.
    void WaitUntilSaved();

private:
    void Run();

    WriteFunction write_;
    ErrorFunction reportError_;

    std::mutex mutex_;
    std::condition_variable wake_;  // a request is pending or the thread is to stop
    std::condition_variable idle_;  // a write has finished
    std::vector<Contact> contacts_;
    std::string path_;
    bool pending_ = false;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace nimbra
