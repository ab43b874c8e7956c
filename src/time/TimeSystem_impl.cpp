#include "time/TimeSystem_impl.h"
#include "common/ProcessWide.h"

#include <algorithm>

#include "framework/platform/Threads.h"

namespace TimeLibrary {
namespace {
std::unique_ptr<TimeSystem_impl>& g_timeSystem = CommonLibrary::ProcessWide<TimeSystem_impl>();
}  // namespace

void CreateTimeSystem(Brisk::Platform::Clock& clock) {
    if (g_timeSystem == nullptr) {
        g_timeSystem = std::make_unique<TimeSystem_impl>(clock);
    }
}

TimeSystem_impl* GetTimeSystem() {
    return g_timeSystem.get();
}

void DestroyTimeSystem() {
    g_timeSystem.reset();
}

TimeSystem_impl::TimeSystem_impl(Brisk::Platform::Clock& clock) : m_clock(clock) {}

TimeSystem_impl::~TimeSystem_impl() {
    StopTimer();
    DestroyAllTimeObjects();
}

ITimeObject* TimeSystem_impl::CreateTimeObject(TimeObjectMessageObserver* observer,
                                               int32_t duration, int32_t period) {
    std::lock_guard lock(m_tableLock);
    for (int id = 1; id < kTableSize; ++id) {
        if (m_table[id] == nullptr) {
            m_table[id] = std::make_unique<TimeObject_impl>(id, observer, duration, period);
            return m_table[id].get();
        }
    }
    return nullptr;
}

void TimeSystem_impl::DestroyTimeObject(ITimeObject* timeObject) {
    if (timeObject == nullptr) {
        return;
    }
    std::lock_guard lock(m_tableLock);
    // Found by address rather than by asking the object for its id, so that
    // destroying an object twice never touches freed memory.
    auto entry = std::find_if(m_table.begin(), m_table.end(),
                              [timeObject](const auto& o) { return o.get() == timeObject; });
    if (entry == m_table.end()) {
        return;
    }
    std::unique_ptr<TimeObject_impl> object = std::move(*entry);
    if (object->IsNotifying()) {
        // Its lock is still held further up this thread's stack: the id is
        // free now, the memory goes once the notification has returned.
        m_pendingDelete.push_back(std::move(object));
    }
}

void TimeSystem_impl::DestroyAllTimeObjects() {
    std::lock_guard lock(m_tableLock);
    for (auto& entry : m_table) {
        if (entry != nullptr && entry->IsNotifying()) {
            m_pendingDelete.push_back(std::move(entry));
        }
        entry.reset();
    }
    DeletePending();
}

void TimeSystem_impl::DeletePending() {
    std::erase_if(m_pendingDelete, [](const auto& o) { return !o->IsNotifying(); });
}

void TimeSystem_impl::Step() {
    {
        std::lock_guard lock(m_tableLock);
        for (int i = 0; i < kTableSize; ++i) {
            TimeObject_impl* object = m_table[i].get();
            if (object != nullptr && object->IsRunning() && !object->IsPaused()) {
                object->Advance();
            }
        }
        DeletePending();
    }
    m_clockMs.fetch_add(kStepMs, std::memory_order_relaxed);
}

bool TimeSystem_impl::StartTimer() {
    if (m_thread.joinable()) {
        return false;
    }
    const uint64_t frequency = m_clock.CounterFrequency();
    const uint64_t v = frequency / 1000;
    if (v == 0) {
        return false;
    }
    m_timing.perMs = v;
    m_timing.step = 5 * v;
    m_timing.catchUp = v >> 3;
    m_lateness = 0;
    m_clockMs = 0;
    m_running = true;
    m_thread = std::thread([this] { ThreadProc(); });
    return true;
}

void TimeSystem_impl::StopTimer() {
    if (!m_thread.joinable()) {
        return;
    }
    m_running = false;
    {
        // Waits until the thread has left its loop.
        std::lock_guard alive(m_aliveLock);
        std::lock_guard table(m_tableLock);
    }
    m_thread.join();
}

void TimeSystem_impl::ThreadProc() {
    std::lock_guard alive(m_aliveLock);
    Brisk::Platform::SetCurrentThreadPriority(Brisk::Platform::ThreadPriority::Highest);
    // Sleeps here end within a few microseconds of their target, so the end
    // of each wait sleeps too instead of spinning on yields.
    Brisk::Platform::SetCurrentThreadTimerSlack(1000);
    const Timing t = m_timing;
    uint64_t waitTarget = t.step;
    const uint64_t lateLimit = t.step + t.catchUp;
    while (m_running) {
        const uint64_t t0 = m_clock.Counter();
        m_stepStart = t0;
        Step();
        uint64_t elapsed = m_clock.Counter() - t0;
        // Wait until the target, stopping within 1/8 ms of it. Each sleep
        // asks for a little less than what remains, by the wake-up delay
        // seen so far, so that steps end on time rather than late.
        while (elapsed < waitTarget && waitTarget - elapsed >= t.catchUp) {
            const int64_t remainingUs =
                static_cast<int64_t>((waitTarget - elapsed) * 1000 / t.perMs);
            const int64_t requestUs = remainingUs - m_wakeDelayUs;
            const uint64_t before = m_clock.Counter();
            if (requestUs > 0) {
                m_clock.SleepMicros(static_cast<uint64_t>(requestUs));
                const auto sleptUs =
                    static_cast<int64_t>((m_clock.Counter() - before) * 1000 / t.perMs);
                m_wakeDelayUs +=
                    (std::clamp<int64_t>(sleptUs - requestUs, 0, 1000) - m_wakeDelayUs) / 8;
            } else {
                m_clock.Yield();
            }
            elapsed = m_clock.Counter() - t0;
        }
        if (elapsed > lateLimit) {
            m_lateness += elapsed - t.step;
        }
        // Lateness is repaid by shortening later steps by at most 1/8 ms each.
        if (m_lateness == 0) {
            waitTarget = t.step;
        } else if (m_lateness <= t.catchUp) {
            waitTarget = t.step - m_lateness;
            m_lateness = 0;
        } else {
            waitTarget = t.step - t.catchUp;
            m_lateness -= t.catchUp;
        }
    }
}

}  // namespace TimeLibrary
