#pragma once
// Device autodetection on a thread of its own, so that the preferences window keeps
// answering: a bare modem on the chosen port with the port settings window's line settings,
// the speed of each try, the progress and the messages carried to the window thread. The
// runner is given up (its waits end at once) when it is destroyed before it has finished.

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "portsettings.h"

class QObject;

namespace nimbra::handset {

class TfrmComport;

class AutodetectRunner {
public:
    struct Window {
        QObject* context;  // the calls below run on its thread
        std::function<void(const std::string&)> status;
        std::function<void(int)> selectSpeed;
        std::function<void(bool)> setPduMode;
        std::function<void(const std::string& result, const std::string& identification)> done;
    };
    AutodetectRunner(PortSettings settings, Window window);
    ~AutodetectRunner();
    AutodetectRunner(const AutodetectRunner&) = delete;
    AutodetectRunner& operator=(const AutodetectRunner&) = delete;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace nimbra::handset
