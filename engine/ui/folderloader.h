#pragma once
// Reads a folder's message files on a worker thread, so that the window never waits for the
// disk; progress and the result come back on the thread that owns the loader. A new read
// cancels the one before, whose result is then dropped.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QThread>

#include "smsqueue.h"

namespace nimbra::ui {

class FolderLoader final : public QObject {
    Q_OBJECT
public:
    explicit FolderLoader(QObject* parent = nullptr);
    // Cancels what runs and waits for the workers to end.
    ~FolderLoader() override;

    // done gets the snapshot of directory (with a trailing "/") unless another read or Cancel
    // came first; progress gets done of total on the way.
    void Read(const std::string& directory, std::function<void(FolderSnapshot)> done,
              std::function<void(std::size_t, std::size_t)> progress = {});
    void Cancel();
    bool Busy() const { return current_ != nullptr; }
    // The directory being read; empty when none.
    const std::string& Directory() const { return directory_; }

private:
    struct Job;
    void Finished(const std::shared_ptr<Job>& job, FolderSnapshot snapshot);
    void ForgetEndedThreads();

    std::shared_ptr<Job> current_;
    std::string directory_;
    std::vector<QThread*> threads_;
};

}  // namespace nimbra::ui
