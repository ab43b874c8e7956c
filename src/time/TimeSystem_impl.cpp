#include "time/TimeSystem_impl.h"
#include "common/ProcessWide.h"

#include <algorithm>
#include <chrono>

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

uint64_t TimeSystem_impl::GetTime() {
    if (!m_running || m_stepRunning.load() != 0) {
        return m_clockMs.load(std::memory_order_relaxed);
    }
    std::lock_guard lock(m_planLock);
    const uint64_t passed = std::min(PassedStepLocked(m_clock.Counter()), m_plannedStep - 1);
    return kStepMs * (std::max(m_lastStep.load(), passed) - m_startStep);
}

ITimeObject* TimeSystem_impl::CreateTimeObject(TimeObjectMessageObserver* observer,
                                               int32_t duration, int32_t period) {
    StepSchedule& schedule = *this;
    std::lock_guard lock(m_tableLock);
    for (int id = 1; id < kTableSize; ++id) {
        if (m_table[id] == nullptr) {
            m_table[id] =
                std::make_unique<TimeObject_impl>(id, observer, duration, period, schedule);
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
    StepTo(m_lastStep.load() + 1);
}

void TimeSystem_impl::StepTo(uint64_t step) {
    {
        std::lock_guard lock(m_tableLock);
        // Notifications read the clock of the step before, slept-through steps included.
        m_clockMs.store(kStepMs * (step - 1 - m_startStep), std::memory_order_relaxed);
        m_stepDoneThrough = -1;
        m_stepRunning = step;
        for (int i = 0; i < kTableSize; ++i) {
            if (TimeObject_impl* object = m_table[i].get()) {
                object->AdvanceTo(step);
            }
            m_stepDoneThrough = i;
        }
        DeletePending();
        m_lastStep = step;
        m_stepRunning = 0;
    }
    m_clockMs.store(kStepMs * (step - m_startStep), std::memory_order_relaxed);
}

uint64_t TimeSystem_impl::CurrentStep(int32_t id) {
    if (const uint64_t running = m_stepRunning.load(); running != 0) {
        // Inside a step: objects it has passed have had it, the others not yet.
        return id <= m_stepDoneThrough.load() ? running : running - 1;
    }
    const uint64_t last = m_lastStep.load();
    if (!m_running) {
        return last;
    }
    std::lock_guard lock(m_planLock);
    // Never the planned step itself: that one the thread runs, with notifications.
    return std::max(last, std::min(PassedStepLocked(m_clock.Counter()), m_plannedStep - 1));
}

void TimeSystem_impl::Reschedule(uint64_t due) {
    std::lock_guard lock(m_planLock);
    m_rescheduled = std::min(m_rescheduled, due);
    if (due < m_plannedStep) {
        m_plannedStep = due;
        m_woken = true;
        m_wake.notify_one();
    }
}

uint64_t TimeSystem_impl::StepTimeLocked(uint64_t step) const {
    // Each step after the last one the thread ran takes S, less up to C of
    // the lateness still owed.
    const uint64_t k = step - m_lastRealStep;
    return m_lastRealCounter + k * m_timing.step - std::min(m_lateness, k * m_timing.catchUp);
}

uint64_t TimeSystem_impl::PassedStepLocked(uint64_t now) const {
    if (now < m_lastRealCounter) {
        return m_lastRealStep;
    }
    const uint64_t d = now - m_lastRealCounter;
    uint64_t k = (d + m_lateness) / m_timing.step;
    if (k * m_timing.catchUp < m_lateness) {
        k = d / (m_timing.step - m_timing.catchUp);  // still repaying at every step
    }
    return m_lastRealStep + k;
}

bool TimeSystem_impl::StartTimer() {
    if (m_thread.joinable() || !StartSchedule()) {
        return false;
    }
    m_thread = std::thread([this] { ThreadProc(); });
    return true;
}

bool TimeSystem_impl::StartSchedule() {
    if (m_running) {
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
    {
        std::lock_guard lock(m_planLock);
        m_startStep = m_lastStep.load();
        m_lastRealStep = m_startStep;
        m_lastRealCounter = m_clock.Counter();
        m_lateness = 0;
        m_plannedStep = m_startStep + 1;
        m_rescheduled = TimeObject_impl::kNever;
        m_woken = false;
    }
    m_clockMs = 0;
    m_wakes = 0;
    m_running = true;
    return true;
}

void TimeSystem_impl::StopTimer() {
    if (!m_running) {
        return;
    }
    uint64_t passed = 0;
    {
        std::lock_guard lock(m_planLock);
        passed = std::min(PassedStepLocked(m_clock.Counter()), m_plannedStep - 1);
        m_running = false;
        m_wake.notify_all();
    }
    {
        // Waits until the thread has left its loop.
        std::lock_guard alive(m_aliveLock);
        std::lock_guard table(m_tableLock);
        // The steps the thread slept through count as done: the clock keeps
        // them, and each object takes them when it is next stepped or changed.
        if (passed > m_lastStep) {
            m_lastStep = passed;
            m_clockMs = kStepMs * (passed - m_startStep);
        }
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool TimeSystem_impl::WaitForPlannedStep() {
    const Timing t = m_timing;
    std::unique_lock lock(m_planLock);
    while (m_running) {
        const uint64_t due = StepTimeLocked(m_plannedStep);
        const uint64_t now = m_clock.Counter();
        // Waiting stops within 1/8 ms of the target.
        if (now >= due || due - now < t.catchUp) {
            return true;
        }
        // Each wait asks for a little less than what remains, by the
        // wake-up delay seen so far, so that steps start on time, not late.
        const auto remainingUs = static_cast<int64_t>((due - now) * 1000 / t.perMs);
        const int64_t requestUs = remainingUs - m_wakeDelayUs;
        if (requestUs <= 0) {
            lock.unlock();
            m_clock.Yield();
            lock.lock();
            continue;
        }
        // A sooner step (an object started or changed) or StopTimer wakes it early.
        m_woken = false;
        const uint64_t before = m_clock.Counter();
        m_wake.wait_for(lock, std::chrono::microseconds(requestUs),
                        [this] { return m_woken || !m_running; });
        if (!m_woken) {
            const auto sleptUs =
                static_cast<int64_t>((m_clock.Counter() - before) * 1000 / t.perMs);
            m_wakeDelayUs +=
                (std::clamp<int64_t>(sleptUs - requestUs, 0, 1000) - m_wakeDelayUs) / 8;
        }
    }
    return false;
}

void TimeSystem_impl::ThreadProc() {
    std::lock_guard alive(m_aliveLock);
    Brisk::Platform::SetCurrentThreadPriority(Brisk::Platform::ThreadPriority::Highest);
    // Waits here end within a few microseconds of their target, so the end
    // of each wait sleeps too instead of spinning on yields.
    Brisk::Platform::SetCurrentThreadTimerSlack(1000);
    while (WaitForPlannedStep()) {
        RunPlannedStep();
    }
}

int TimeSystem_impl::RunDueSteps() {
    int steps = 0;
    for (;;) {
        {
            std::lock_guard lock(m_planLock);
            if (!m_running || m_clock.Counter() < StepTimeLocked(m_plannedStep)) {
                return steps;
            }
        }
        RunPlannedStep();
        ++steps;
    }
}

void TimeSystem_impl::RunPlannedStep() {
    uint64_t step = 0;
    {
        std::lock_guard lock(m_planLock);
        step = m_plannedStep;
        // The steps slept through repaid lateness as they passed; a step that
        // starts more than C after its time adds to it.
        const uint64_t now = m_clock.Counter();
        const uint64_t due = StepTimeLocked(step);
        m_lateness -= std::min(m_lateness, (step - m_lastRealStep) * m_timing.catchUp);
        if (now > due + m_timing.catchUp) {
            m_lateness += now - due;
        }
        m_lastRealStep = step;
        m_lastRealCounter = now;
    }
    m_wakes.fetch_add(1, std::memory_order_relaxed);
    StepTo(step);
    // The next step worth waking for: the earliest notification any object
    // has coming, or a second from now. Changes made while the table is read
    // are caught by Reschedule.
    {
        std::lock_guard lock(m_planLock);
        m_rescheduled = TimeObject_impl::kNever;
    }
    uint64_t next = step + kMaxSilentSteps;
    {
        std::lock_guard lock(m_tableLock);
        for (const auto& object : m_table) {
            if (object != nullptr) {
                next = std::min(next, object->DueStep());
            }
        }
    }
    {
        std::lock_guard lock(m_planLock);
        m_plannedStep = std::max(step + 1, std::min(next, m_rescheduled));
    }
    if (m_stepListener) {
        m_stepListener();
    }
}

std::optional<uint32_t> TimeSystem_impl::MsUntilNextStep() {
    std::lock_guard lock(m_planLock);
    if (!m_running) {
        return std::nullopt;
    }
    const uint64_t due = StepTimeLocked(m_plannedStep);
    const uint64_t now = m_clock.Counter();
    if (now >= due) {
        return 0;
    }
    return static_cast<uint32_t>((due - now + m_timing.perMs - 1) / m_timing.perMs);
}

}  // namespace TimeLibrary
