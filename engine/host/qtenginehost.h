#pragma once
// The engine host on Qt's event loop: timers are QTimers and posted actions are queued calls,
// both on the thread that created the host (the main thread), programs start detached in the
// current folder, sounds play through a SoundPlayer, filter libraries load with QLibrary.
// An exception that escapes a timer's or a posted action goes to the process notifier instead
// of ending the program. The host must outlive the timers it made.

#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "enginehost.h"
#include "soundplayer.h"

namespace nimbra {

// Runs engine work from the event loop: an exception it lets out is reported to the operator
// instead of ending the program.
void RunGuarded(const std::function<void()>& action);

class QtEngineHost final : public EngineHost {
public:
    QtEngineHost();
    ~QtEngineHost() override;
    QtEngineHost(const QtEngineHost&) = delete;
    QtEngineHost& operator=(const QtEngineHost&) = delete;

    // What TellHandsetToClose does: the program sends the engine's closing signal on the bus.
    void SetCloseNotice(std::function<void()> notice) { closeNotice_ = std::move(notice); }

    std::unique_ptr<EngineTimer> CreateTimer(std::function<void()> action,
                                             bool singleShot) override;
    // May be called from any thread; the action runs on the host's thread.
    void Post(std::function<void()> action) override;
    bool StartProgram(const std::string& path) override;
    void PlaySound(const std::string& path) override;
    std::unique_ptr<FilterLibrary> LoadFilterLibrary(const std::string& path,
                                                     std::string& error) override;
    void TellHandsetToClose() override;
    void Quit() override;
    std::string ProcessId() const override;

    const SoundPlayer& Sounds() const { return sounds_; }

private:
    // Receives the queued calls and parents the timers; lives on the host's thread.
    QObject context_;
    SoundPlayer sounds_;
    std::function<void()> closeNotice_;
};

}  // namespace nimbra
