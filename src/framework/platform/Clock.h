#pragma once

#include <atomic>
#include <cstdint>

namespace Brisk::Platform {

// Every time source of the program goes through a Clock so that tests can
// substitute a manual one. All operations may be called from any thread.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; wraps like a 32-bit tick count.
    virtual uint32_t Milliseconds() const = 0;
    // High-resolution counter and its frequency in counts per second.
    virtual uint64_t Counter() const = 0;
    virtual uint64_t CounterFrequency() const = 0;
    // Blocks the calling thread; a manual clock advances its time instead.
    virtual void Sleep(uint32_t ms) = 0;
    // Blocks for `us` microseconds, as precisely as the system allows.
    virtual void SleepMicros(uint64_t us) = 0;
    // Gives up the rest of the time slice (a zero-length sleep).
    virtual void Yield() = 0;
};

// The steady wall clock of the process. Never null; lives for the process.
Clock& SystemClock();

// A clock that moves only when told to: Sleep and Advance add to its time.
// Counter() counts microseconds. Thread-safe.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint64_t startMicros = 0) : m_micros(startMicros) {}

    uint32_t Milliseconds() const override { return static_cast<uint32_t>(m_micros.load() / 1000); }
    uint64_t Counter() const override { return m_micros.load(); }
    uint64_t CounterFrequency() const override { return 1'000'000; }
    void Sleep(uint32_t ms) override {
        m_sleptMs += ms;
        ++m_sleepCalls;
        Advance(ms);
    }
    void SleepMicros(uint64_t us) override {
        ++m_sleepCalls;
        AdvanceMicros(us);
    }
    void Yield() override { ++m_yieldCalls; }

    void Advance(uint32_t ms) { m_micros += uint64_t{ms} * 1000; }
    void AdvanceMicros(uint64_t us) { m_micros += us; }

    uint64_t SleptMs() const { return m_sleptMs.load(); }
    uint64_t SleepCalls() const { return m_sleepCalls.load(); }
    uint64_t YieldCalls() const { return m_yieldCalls.load(); }

private:
    std::atomic<uint64_t> m_micros;
    std::atomic<uint64_t> m_sleptMs{0};
    std::atomic<uint64_t> m_sleepCalls{0};
    std::atomic<uint64_t> m_yieldCalls{0};
};

}  // namespace Brisk::Platform
