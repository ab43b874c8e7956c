#include "framework/platform/Clock.h"

#include <chrono>
#include <thread>

namespace Brisk::Platform {
namespace {

class SteadyClock final : public Clock {
public:
    uint32_t Milliseconds() const override {
        return static_cast<uint32_t>(Since<std::chrono::milliseconds>());
    }
    uint64_t Counter() const override {
        return static_cast<uint64_t>(Since<std::chrono::nanoseconds>());
    }
    uint64_t CounterFrequency() const override { return 1'000'000'000; }
    void Sleep(uint32_t ms) override {
        if (ms == 0) {
            std::this_thread::yield();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void SleepMicros(uint64_t us) override {
        std::this_thread::sleep_for(std::chrono::microseconds(us));
    }
    void Yield() override { std::this_thread::yield(); }

private:
    template <typename Unit>
    int64_t Since() const {
        return std::chrono::duration_cast<Unit>(std::chrono::steady_clock::now() - m_start).count();
    }

    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace Brisk::Platform
