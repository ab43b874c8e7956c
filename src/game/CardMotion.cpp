#include "game/CardMotion.h"

#include <algorithm>

#include "game/Profiles.h"
#include "time/TimeSystem_impl.h"

namespace Gamespace {

CardMotion::~CardMotion() {
    // Found by address: an object the time system has already destroyed is ignored.
    if (TimeLibrary::GetTimeSystem() != nullptr) {
        TimeLibrary::GetTimeSystem()->DestroyTimeObject(m_ticker);
    }
}

void CardMotion::Finish(Animation& animation) {
    if (animation.step) {
        animation.step(1.0);
    }
    if (animation.done) {
        animation.done();
    }
}

void CardMotion::Add(Animation animation) {
    TimeLibrary::ITimeSystem* time = TimeLibrary::GetTimeSystem();
    if (m_ticker == nullptr && time != nullptr) {
        m_ticker = time->CreateTimeObject(this, -1, kFrameMs);
        if (m_ticker != nullptr) {
            m_ticker->SetLooped(true);
        }
    }
    {
        std::unique_lock lock(m_lock);
        // Added while everything is being finished: it ends too.
        if (m_finishing || ReduceMotion() || m_ticker == nullptr || animation.lengthMs <= 0) {
            Finish(animation);
            return;
        }
        if (animation.delayMs == 0 && animation.step) {
            animation.step(0.0);
        }
        m_running.push_back({std::move(animation), 0});
    }
    // Outside m_lock: the time object's lock comes first.
    if (!m_ticker->IsRunning()) {
        m_ticker->Start(false, 0);
    }
}

void CardMotion::FinishAll() {
    std::lock_guard lock(m_lock);
    m_finishing = true;  // what a `done` adds now finishes at once
    std::vector<Running> running;
    running.swap(m_running);
    for (Running& r : running) {
        Finish(r.animation);
    }
    m_finishing = false;
}

void CardMotion::Cancel() {
    std::lock_guard lock(m_lock);
    m_running.clear();
}

bool CardMotion::IsMoving() {
    std::lock_guard lock(m_lock);
    return !m_running.empty();
}

void CardMotion::OnTimeObjectTick(int32_t /*id*/) {
    std::lock_guard lock(m_lock);
    std::vector<Running> running;
    running.swap(m_running);
    std::vector<Running> still;
    for (Running& r : running) {
        r.elapsedMs += kFrameMs;
        const int32_t t = r.elapsedMs - r.animation.delayMs;
        if (t < 0) {
            still.push_back(std::move(r));
        } else if (t >= r.animation.lengthMs) {
            Finish(r.animation);
        } else {
            if (r.animation.step) {
                r.animation.step(static_cast<double>(t) / r.animation.lengthMs);
            }
            still.push_back(std::move(r));
        }
    }
    // Animations added by a `done` above come after those still running.
    still.insert(still.end(), std::make_move_iterator(m_running.begin()),
                 std::make_move_iterator(m_running.end()));
    m_running = std::move(still);
    if (m_running.empty()) {
        m_ticker->Stop();  // from its own tick: no more ticks until the next Add
    }
}

}  // namespace Gamespace
