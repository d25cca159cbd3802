#include "folderloader.h"

#include <QMetaObject>

namespace nimbra::ui {

struct FolderLoader::Job {
    std::atomic<bool> cancelled{false};
    std::function<void(FolderSnapshot)> done;
    std::function<void(std::size_t, std::size_t)> progress;
};

FolderLoader::FolderLoader(QObject* parent) : QObject(parent) {}

FolderLoader::~FolderLoader() {
    Cancel();
    for (QThread* thread : threads_) {
        thread->wait();
        delete thread;
    }
}

void FolderLoader::Cancel() {
    if (current_)
        current_->cancelled = true;
    current_.reset();
    directory_.clear();
}

void FolderLoader::ForgetEndedThreads() {
    std::erase_if(threads_, [](QThread* thread) {
        if (!thread->isFinished())
            return false;
        thread->wait();
        delete thread;
        return true;
    });
}

void FolderLoader::Read(const std::string& directory, std::function<void(FolderSnapshot)> done,
                        std::function<void(std::size_t, std::size_t)> progress) {
    Cancel();
    ForgetEndedThreads();
    auto job = std::make_shared<Job>();
    job->done = std::move(done);
    job->progress = std::move(progress);
    current_ = job;
    directory_ = directory;
    QThread* thread = QThread::create([this, job, directory] {
        FolderSnapshot snapshot =
            ReadFolderSnapshot(directory, [this, job](std::size_t read, std::size_t total) {
                if (job->cancelled)
                    return false;
                QMetaObject::invokeMethod(
                    this,
                    [job, read, total] {
                        if (!job->cancelled && job->progress)
                            job->progress(read, total);
                    },
                    Qt::QueuedConnection);
                return true;
            });
        QMetaObject::invokeMethod(
            this,
            [this, job, result = std::make_shared<FolderSnapshot>(std::move(snapshot))] {
                Finished(job, std::move(*result));
            },
            Qt::QueuedConnection);
    });
    threads_.push_back(thread);
    thread->start();
}

void FolderLoader::Finished(const std::shared_ptr<Job>& job, FolderSnapshot snapshot) {
    if (job->cancelled || job != current_)
        return;
    current_.reset();
    directory_.clear();
    if (job->done)
        job->done(std::move(snapshot));
}

}  // namespace nimbra::ui
