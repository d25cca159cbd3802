#include <chrono>
#include <thread>

#include "modemport.h"

namespace nimbra::handset {
namespace {

class SteadyClock final : public ModemClock {
public:
    long long NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

ModemClock& SteadyModemClock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace nimbra::handset
