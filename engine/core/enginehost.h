#pragma once
// What the engine core needs of the program around it: timers and a queue of actions on the
// main thread, starting programs, playing a sound, loading filter libraries and ending the run.
// The core is plain C++; the program supplies these on its event loop, tests supply a manual
// clock of their own.
#include <functional>
#include <memory>
#include <string>

namespace nimbra {

// A timer that calls its action on the main thread. Start while active restarts it.
class EngineTimer {
public:
    virtual ~EngineTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
};

// The five entry points of a message filter library; any of them may be missing.
struct FilterEntries {
    void (*filterInit)() = nullptr;
    const char* (*filterMessage)(const char*) = nullptr;
    void (*freeFilterMessage)(const char*) = nullptr;
    void (*ShowConfigForm)() = nullptr;
    void (*filterFree)() = nullptr;
};

// A loaded filter library; destroying it unloads the library.
class FilterLibrary {
public:
    virtual ~FilterLibrary() = default;
    virtual FilterEntries Entries() const = 0;
};

class EngineHost {
public:
    virtual ~EngineHost() = default;
    // singleShot timers fire once per Start.
    virtual std::unique_ptr<EngineTimer> CreateTimer(std::function<void()> action,
                                                     bool singleShot) = 0;
    // Runs action later on the main thread, after every action posted before it. Safe to call
    // from any thread.
    virtual void Post(std::function<void()> action) = 0;
    // Starts a program of the engine home on its own, without arguments, in the engine's
    // folder; false when it could not be started.
    virtual bool StartProgram(const std::string& path) = 0;
    // Starts playing a sound file and returns at once; a missing file or audio device plays
    // nothing.
    virtual void PlaySound(const std::string& path) = 0;
    // The library at path, or null with error set.
    virtual std::unique_ptr<FilterLibrary> LoadFilterLibrary(const std::string& path,
                                                             std::string& error) = 0;
    // Tells a running handset driver that the engine closes.
    virtual void TellHandsetToClose() = 0;
    // Ends the event loop: the engine has shut down.
    virtual void Quit() = 0;
    // The identifier other programs find the engine by, as decimal text.
    virtual std::string ProcessId() const = 0;
};

}  // namespace nimbra
