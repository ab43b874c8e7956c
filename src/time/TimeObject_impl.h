#pragma once

#include <atomic>
#include <mutex>

#include "time/ITimeSystem.h"

namespace TimeLibrary {

class TimeObject_impl final : public ITimeObject {
public:
    TimeObject_impl(int32_t id, TimeObjectMessageObserver* observer, int32_t duration,
                    int32_t period);

    int32_t GetId() override { return m_id; }
    void SetTimes(int32_t duration, int32_t period) override;
    void SetDuration(int32_t duration) override { m_duration = duration; }
    void SetPeriod(int32_t period) override { m_period = period; }
    void SetLooped(bool looped) override { m_looped = looped; }
    bool Start(bool paused, uint16_t delay) override;
    bool IsRunning() override { return m_running; }
    void SetPaused(bool paused) override { m_paused = paused; }
    bool IsPaused() override { return m_paused; }
    void Stop() override;
    int32_t GetDuration() override { return m_duration; }
    int32_t GetPeriod() override { return m_period; }
    bool IsLooped() override { return m_looped; }

    // Advances a running, unpaused object by one 5 ms step (timer thread).
    void Advance();
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
    std::recursive_mutex m_lock;
    const int32_t m_id;
    TimeObjectMessageObserver* const m_observer;  // not owned
    // Plain stores and loads from any thread, hence atomic.
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
};

}  // namespace TimeLibrary
