#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/platform/Clock.h"
#include "time/ITimeSystem.h"
#include "time/TimeObject_impl.h"

namespace TimeLibrary {

// The time system: a table of 1024 time objects (id 0 is never handed out)
// advanced in 5 ms steps by a timer thread.
//
// Locks, always taken in this order: the alive lock (held by the timer
// thread for its whole life), the table lock, an object's own lock. Both
// the table and object locks are recursive, so a receiver may create, start,
// stop or destroy other objects from inside a notification.
class TimeSystem_impl final : public ITimeSystem {
public:
    static constexpr int kTableSize = 1024;
    static constexpr uint64_t kStepMs = 5;

    // `clock` must outlive the system.
    explicit TimeSystem_impl(Brisk::Platform::Clock& clock);
    ~TimeSystem_impl() override;
    TimeSystem_impl(const TimeSystem_impl&) = delete;
    TimeSystem_impl& operator=(const TimeSystem_impl&) = delete;

    uint64_t GetTime() override { return m_clockMs.load(std::memory_order_relaxed); }
    ITimeObject* CreateTimeObject(TimeObjectMessageObserver* observer, int32_t duration,
                                  int32_t period) override;
    void DestroyTimeObject(ITimeObject* timeObject) override;

    // Launches the timer thread; false when it already runs or the counter
    // frequency is unusable. Resets the clock to 0.
    bool StartTimer();
    // Stops the timer thread and waits for it; nothing when it is not running.
    void StopTimer();
    void DestroyAllTimeObjects();

    // One step: advances every running, unpaused object by 5 ms, then adds
    // 5 to the clock. The timer thread calls it; tests may call it directly.
    void Step();

    // How the thread waits, in counter units; exposed for the benchmark.
    struct Timing {
        uint64_t perMs = 0;    // counts per millisecond
        uint64_t step = 0;     // S = 5 ms
        uint64_t catchUp = 0;  // C = 1/8 ms
    };
    const Timing& GetTiming() const { return m_timing; }
    bool IsTimerRunning() const { return m_thread.joinable(); }

private:
    void ThreadProc();
    void DeletePending();

    Brisk::Platform::Clock& m_clock;
    std::atomic<bool> m_running{false};
    std::atomic<uint64_t> m_clockMs{0};
    std::atomic<uint64_t> m_stepStart{0};
    std::recursive_mutex m_tableLock;
    std::array<std::unique_ptr<TimeObject_impl>, kTableSize> m_table;
    // Objects destroyed from inside their own notification; deleted after it returns.
    std::vector<std::unique_ptr<TimeObject_impl>> m_pendingDelete;

    std::mutex m_aliveLock;
    std::thread m_thread;
    Timing m_timing;
    uint64_t m_lateness = 0;     // timer thread only
    int64_t m_wakeDelayUs = 50;  // timer thread only: how late sleeps end, on average
};

// Process-wide access. CreateTimeSystem replaces nothing when one exists.
void CreateTimeSystem(Brisk::Platform::Clock& clock = Brisk::Platform::SystemClock());
TimeSystem_impl* GetTimeSystem();
void DestroyTimeSystem();

}  // namespace TimeLibrary
