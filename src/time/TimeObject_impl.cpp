#include "time/TimeObject_impl.h"

namespace TimeLibrary {

namespace {
constexpr int32_t kStep = 5;
}  // namespace

TimeObject_impl::TimeObject_impl(int32_t id, TimeObjectMessageObserver* observer, int32_t duration,
                                 int32_t period)
    : m_id(id), m_observer(observer), m_duration(duration), m_period(period) {}

void TimeObject_impl::SetTimes(int32_t duration, int32_t period) {
    m_duration = duration;
    m_period = period;
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
    return true;
}

void TimeObject_impl::Stop() {
    std::lock_guard lock(m_lock);
    m_running = false;
}

bool TimeObject_impl::IsNotifying() {
    std::lock_guard lock(m_lock);
    return m_notifying > 0;
}

void TimeObject_impl::Advance() {
    std::lock_guard lock(m_lock);
    // Checked again under the lock: a Stop or pause that returned before this
    // step took the lock is never followed by a notification.
    if (!m_running || m_paused) {
        return;
    }
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
