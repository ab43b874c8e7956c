#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "time/ITimeSystem.h"

namespace TimeLibrary {

// What a time object needs from the system that steps it. Steps are numbered
// for the life of the system; an object remembers the last one it has had.
class StepSchedule {
public:
    virtual ~StepSchedule() = default;
    // The last step object `id` should have had by now: steps whose time has
    // passed while the timer thread slept through them count.
    virtual uint64_t CurrentStep(int32_t id) = 0;
    // The object's next notification falls at step `due`: the timer thread
    // must not sleep past it.
    virtual void Reschedule(uint64_t due) = 0;
};

class TimeObject_impl final : public ITimeObject {
public:
    static constexpr uint64_t kNever = UINT64_MAX;

    TimeObject_impl(int32_t id, TimeObjectMessageObserver* observer, int32_t duration,
                    int32_t period, StepSchedule& schedule);

    int32_t GetId() override { return m_id; }
    void SetTimes(int32_t duration, int32_t period) override;
    void SetDuration(int32_t duration) override;
    void SetPeriod(int32_t period) override;
    void SetLooped(bool looped) override;
    bool Start(bool paused, uint16_t delay) override;
    bool IsRunning() override { return m_running; }
    void SetPaused(bool paused) override;
    bool IsPaused() override { return m_paused; }
    void Stop() override;
    int32_t GetDuration() override { return m_duration; }
    int32_t GetPeriod() override { return m_period; }
    bool IsLooped() override { return m_looped; }

    // Timer thread: gives the object every step up to and including `step`
    // that it has not had yet, one 5 ms advance each (the steps slept
    // through are silent by construction; the last may notify).
    void AdvanceTo(uint64_t step);
    // The step of the object's next notification, kNever when it is stopped or paused.
    uint64_t DueStep();
    // True while the object is inside one of its own notifications (or its
    // start), on any thread; waits for the object's lock.
    bool IsNotifying();

    // Step state, exposed for inspection.
    int64_t GetElapsed() const { return m_elapsed; }
    // Tests: moves the elapsed time on as many steps would, without notifying.
    void SkipElapsed(int64_t ms) {
        std::lock_guard lock(m_lock);
        m_elapsed += ms;
    }
    int32_t GetStartDelay() const { return m_startDelay; }
    int32_t GetAccumulator() const { return m_accumulator; }

private:
    // One 5 ms advance of a running, unpaused object; notifies when due.
    void AdvanceOne();
    // Whether the next advance would notify.
    bool NextAdvanceNotifies() const;
    // Before a change: gives the object the steps that have passed, silently,
    // so that the change takes effect from the current step on.
    void CatchUp();
    // After a change: tells the schedule when the object next notifies.
    void ScheduleNext();
    // A change to the object's times or state, between the two above.
    template <typename Apply>
    void Change(Apply apply);
    uint64_t DueStepLocked() const;

    std::recursive_mutex m_lock;
    const int32_t m_id;
    TimeObjectMessageObserver* const m_observer;  // not owned
    StepSchedule& m_schedule;
    // Plain loads from any thread, hence atomic; changed under m_lock.
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_looped{false};
    std::atomic<int32_t> m_duration;
    std::atomic<int32_t> m_period;
    // Guarded by m_lock.
    int32_t m_accumulator = 0;
    int64_t m_elapsed = -1;  // a looped object runs for ever: 32 bits last 24.8 days
    int32_t m_startDelay = 0;
    int m_notifying = 0;
    uint64_t m_step = 0;  // the last step this object has had
};

}  // namespace TimeLibrary
