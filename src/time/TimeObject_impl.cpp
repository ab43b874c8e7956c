#include "time/TimeObject_impl.h"

#include <algorithm>

namespace TimeLibrary {

namespace {
constexpr int32_t kStep = 5;

// Advances of 5 ms needed to add at least `remaining` ms; always at least one.
uint64_t StepsToReach(int64_t remaining) {
    return remaining <= kStep ? 1 : static_cast<uint64_t>((remaining + kStep - 1) / kStep);
}
}  // namespace

TimeObject_impl::TimeObject_impl(int32_t id, TimeObjectMessageObserver* observer, int32_t duration,
                                 int32_t period, StepSchedule& schedule)
    : m_id(id),
      m_observer(observer),
      m_schedule(schedule),
      m_duration(duration),
      m_period(period) {}

template <typename Apply>
void TimeObject_impl::Change(Apply apply) {
    std::lock_guard lock(m_lock);
    CatchUp();
    apply();
    ScheduleNext();
}

void TimeObject_impl::SetTimes(int32_t duration, int32_t period) {
    Change([&] {
        m_duration = duration;
        m_period = period;
    });
}

void TimeObject_impl::SetDuration(int32_t duration) {
    Change([&] { m_duration = duration; });
}

void TimeObject_impl::SetPeriod(int32_t period) {
    Change([&] { m_period = period; });
}

void TimeObject_impl::SetLooped(bool looped) {
    Change([&] { m_looped = looped; });
}

void TimeObject_impl::SetPaused(bool paused) {
    Change([&] { m_paused = paused; });
}

bool TimeObject_impl::Start(bool paused, uint16_t delay) {
    {
        std::lock_guard lock(m_lock);
        if (m_running || m_period <= 0 || (m_duration <= 0 && !m_looped)) {
            return false;
        }
        m_accumulator = 0;
        m_elapsed = -1;
        ++m_notifying;  // an observer destroying the object only marks it for deletion
    }
    // Outside the object's lock: the observer may reach the time system's
    // table, whose lock comes first in the lock order.
    if (m_observer != nullptr) {
        m_observer->OnTimeObjectStart(m_id);
    }
    std::lock_guard lock(m_lock);
    --m_notifying;
    m_running = true;
    m_paused = paused;
    m_startDelay = delay;
    // Counting starts with the next step. Started from its own notification,
    // the object has already had the step in progress (the schedule still
    // counts it as due for this object): it must not take it a second time.
    m_step = std::max(m_step, m_schedule.CurrentStep(m_id));
    ScheduleNext();
    return true;
}

void TimeObject_impl::Stop() {
    std::lock_guard lock(m_lock);
    CatchUp();
    m_running = false;
}

bool TimeObject_impl::IsNotifying() {
    std::lock_guard lock(m_lock);
    return m_notifying > 0;
}

void TimeObject_impl::AdvanceTo(uint64_t step) {
    std::lock_guard lock(m_lock);
    // Checked again under the lock, and at each advance: a Stop or pause that
    // returned before this step took the lock, or one made by a notification
    // of this object, is never followed by a notification.
    while (m_step < step && m_running && !m_paused) {
        ++m_step;
        AdvanceOne();
    }
    m_step = std::max(m_step, step);
}

void TimeObject_impl::CatchUp() {
    const uint64_t now = m_schedule.CurrentStep(m_id);
    while (m_step < now && m_running && !m_paused) {
        if (NextAdvanceNotifies()) {
            // Due already (the timer thread is late): it notifies on the
            // timer thread, at its next step, as a late step would.
            return;
        }
        ++m_step;
        AdvanceOne();
    }
    m_step = std::max(m_step, now);
}

void TimeObject_impl::ScheduleNext() {
    const uint64_t due = DueStepLocked();
    if (due != kNever) {
        m_schedule.Reschedule(due);
    }
}

uint64_t TimeObject_impl::DueStep() {
    std::lock_guard lock(m_lock);
    return DueStepLocked();
}

uint64_t TimeObject_impl::DueStepLocked() const {
    if (!m_running || m_paused) {
        return kNever;
    }
    // Each step while a delay remains only takes 5 ms off it.
    const uint64_t delaySteps = m_startDelay > 0 ? StepsToReach(m_startDelay) : 0;
    const int64_t elapsed = std::max<int64_t>(m_elapsed, 0);
    uint64_t steps = StepsToReach(int64_t{m_period} - m_accumulator);
    if (!m_looped) {
        steps = std::min(steps, StepsToReach(int64_t{m_duration} - elapsed));
    }
    return m_step + delaySteps + steps;
}

bool TimeObject_impl::NextAdvanceNotifies() const {
    if (m_startDelay > 0) {
        return false;
    }
    const int64_t elapsed = std::max<int64_t>(m_elapsed, 0) + kStep;
    return (elapsed >= m_duration && !m_looped) || m_accumulator + kStep >= m_period;
}

void TimeObject_impl::AdvanceOne() {
    if (m_startDelay > 0) {
        m_startDelay -= kStep;
        return;
    }
    if (m_elapsed == -1) {
        m_elapsed = 0;
    }
    m_elapsed += kStep;
    ++m_notifying;
    if (m_elapsed >= m_duration && !m_looped) {
        m_running = false;
        if (m_observer != nullptr) {
            m_observer->OnTimeObjectTick(m_id);
            m_observer->OnTimeObjectFinish(m_id);
        }
    } else {
        m_accumulator += kStep;
        if (m_accumulator >= m_period) {
            m_accumulator = 0;
            if (m_observer != nullptr) {
                m_observer->OnTimeObjectTick(m_id);
            }
        }
    }
    --m_notifying;
}

}  // namespace TimeLibrary
