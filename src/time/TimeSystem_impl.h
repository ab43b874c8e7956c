#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "framework/platform/Clock.h"
#include "time/ITimeSystem.h"
#include "time/TimeObject_impl.h"

namespace TimeLibrary {

// The time system: a table of 1024 time objects (id 0 is never handed out)
// advanced in 5 ms steps by a timer thread.
//
// The thread wakes only for steps at which some object notifies (at most a
// second apart): the steps in between are silent, so each object takes them
// when it is next stepped or changed, and every notification still arrives
// at the step the 5 ms grid gives it. A change to an object (start, pause,
// times) first brings that object up to the current step and then wakes the
// thread early when the object now notifies sooner.
//
// Locks, always taken in this order: the alive lock (held by the timer
// thread for its whole life), the table lock, an object's own lock, the plan
// lock (the schedule, never held while calling out). The table and object
// locks are recursive, so a receiver may create, start, stop or destroy
// other objects from inside a notification.
class TimeSystem_impl final : public ITimeSystem, private StepSchedule {
public:
    static constexpr int kTableSize = 1024;
    static constexpr uint64_t kStepMs = 5;
    // The longest the thread sleeps with nothing due: 200 steps, 1 s.
    static constexpr uint64_t kMaxSilentSteps = 200;

    // `clock` must outlive the system.
    explicit TimeSystem_impl(Brisk::Platform::Clock& clock);
    ~TimeSystem_impl() override;
    TimeSystem_impl(const TimeSystem_impl&) = delete;
    TimeSystem_impl& operator=(const TimeSystem_impl&) = delete;

    // 5 ms for every step since StartTimer, counting the steps whose time
    // has passed while the thread slept through them.
    uint64_t GetTime() override;
    ITimeObject* CreateTimeObject(TimeObjectMessageObserver* observer, int32_t duration,
                                  int32_t period) override;
    void DestroyTimeObject(ITimeObject* timeObject) override;

    // Launches the timer thread; false when it already runs or the counter
    // frequency is unusable. Resets the clock to 0.
    bool StartTimer();
    // Stops the timer thread and waits for it; nothing when it is not running.
    void StopTimer();
    // Tests: runs the schedule without the thread. The clock starts as with
    // StartTimer; RunDueSteps then runs every step the thread would have
    // woken for by the clock's present time and returns how many.
    bool StartSchedule();
    int RunDueSteps();
    void DestroyAllTimeObjects();

    // One step: advances every running, unpaused object by 5 ms, then adds
    // 5 to the clock. Tests and demo playback call it with the thread stopped.
    void Step();

    // How the thread waits, in counter units; exposed for the benchmark.
    struct Timing {
        uint64_t perMs = 0;    // counts per millisecond
        uint64_t step = 0;     // S = 5 ms
        uint64_t catchUp = 0;  // C = 1/8 ms
    };
    const Timing& GetTiming() const { return m_timing; }
    bool IsTimerRunning() const { return m_thread.joinable(); }
    // Steps the thread has woken for since StartTimer (benchmarks, tests).
    uint64_t GetWakeCount() const { return m_wakes.load(std::memory_order_relaxed); }

    // Milliseconds (rounded up) until the next step the thread wakes for: the
    // earliest notification any object has coming, or the once-a-second step.
    // 0 when it is due or past; nullopt while the schedule is not running.
    std::optional<uint32_t> MsUntilNextStep();
    // Called on the timer thread after every step it wakes for (with no
    // lock held), so that a waiting reader of the objects looks again. Set
    // before StartTimer or StartSchedule; it must stay callable until
    // StopTimer has returned.
    void SetStepListener(std::function<void()> listener) { m_stepListener = std::move(listener); }

private:
    // StepSchedule
    uint64_t CurrentStep(int32_t id) override;
    void Reschedule(uint64_t due) override;

    void ThreadProc();
    // Runs the planned step and plans the next one.
    void RunPlannedStep();
    // Runs step `step` over the table: each object takes the steps it has
    // not had yet, the last with its notifications.
    void StepTo(uint64_t step);
    void DeletePending();
    // Waits until the planned step is due (true) or the thread must stop.
    bool WaitForPlannedStep();
    // Plan lock held: the counter value at which step `step` is due, and the
    // last step whose time has passed at counter value `now`.
    uint64_t StepTimeLocked(uint64_t step) const;
    uint64_t PassedStepLocked(uint64_t now) const;

    Brisk::Platform::Clock& m_clock;
    std::atomic<bool> m_running{false};
    std::atomic<uint64_t> m_clockMs{0};
    std::recursive_mutex m_tableLock;
    std::array<std::unique_ptr<TimeObject_impl>, kTableSize> m_table;
    // Objects destroyed from inside their own notification; deleted after it returns.
    std::vector<std::unique_ptr<TimeObject_impl>> m_pendingDelete;

    // Steps done, and the step being run (0 between steps) with the highest
    // table index it has finished: an object started from inside a step
    // takes that step when the step has not reached it yet.
    std::atomic<uint64_t> m_lastStep{0};
    std::atomic<uint64_t> m_stepRunning{0};
    std::atomic<int> m_stepDoneThrough{-1};

    // The schedule, under m_planLock. Each step is due S after the one
    // before, less up to C while lateness is owed; a step the thread starts
    // more than C after its time adds what it was late to the lateness. So
    // steps keep their 5 ms spacing, and lateness is repaid by shortening
    // later steps by at most 1/8 ms each, slept-through steps included.
    std::mutex m_planLock;
    std::condition_variable m_wake;
    bool m_woken = false;
    uint64_t m_startStep = 0;                          // m_lastStep when the timer started
    uint64_t m_lastRealStep = 0;                       // the last step the thread woke for
    uint64_t m_lastRealCounter = 0;                    // the counter when it began
    uint64_t m_lateness = 0;                           // counter units owed since, repaid C a step
    uint64_t m_plannedStep = 1;                        // the next step the thread wakes for
    uint64_t m_rescheduled = TimeObject_impl::kNever;  // the earliest due asked for during a plan

    std::mutex m_aliveLock;
    std::thread m_thread;
    Timing m_timing;
    std::atomic<uint64_t> m_wakes{0};
    std::function<void()> m_stepListener;  // set while the schedule is stopped
    int64_t m_wakeDelayUs = 50;            // timer thread only: how late sleeps end, on average
};

// Process-wide access. CreateTimeSystem replaces nothing when one exists.
void CreateTimeSystem(Brisk::Platform::Clock& clock = Brisk::Platform::SystemClock());
TimeSystem_impl* GetTimeSystem();
void DestroyTimeSystem();

}  // namespace TimeLibrary
