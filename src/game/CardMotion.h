#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "time/ITimeSystem.h"

namespace Gamespace {

// Runs the field's short animations on the game's time: one time object
// ticks every kFrameMs while anything moves, and each animation is given its
// progress from 0 to 1 at every tick. Animations only show what the rules
// already decided; a press finishes them all at once, and with "Reduce
// motion" each one ends as soon as it is added.
//
// Threads: Add, FinishAll and Cancel on the main thread; ticks on the timer
// thread. m_lock orders both (after the time object's lock, before the
// factory's).
class CardMotion : public TimeLibrary::TimeObjectMessageObserver {
public:
    static constexpr int32_t kFrameMs = 10;

    // `step` gets the progress (0 to 1, reaching exactly 1 once); `done`, if
    // any, runs right after the last step.
    struct Animation {
        int32_t lengthMs = 0;
        std::function<void(double)> step;
        std::function<void()> done;
        int32_t delayMs = 0;  // waits this long before its first step
    };

    CardMotion() = default;
    ~CardMotion() override;
    CardMotion(const CardMotion&) = delete;
    CardMotion& operator=(const CardMotion&) = delete;

    // Starts `animation`; finished at once when motion is reduced, or when
    // the time system cannot run it.
    void Add(Animation animation);
    // Brings every running animation to its end state, in the order added.
    void FinishAll();
    // Drops every animation without its end (the objects are going away).
    void Cancel();
    bool IsMoving();

    void OnTimeObjectTick(int32_t id) override;

private:
    struct Running {
        Animation animation;
        int32_t elapsedMs = 0;
    };
    static void Finish(Animation& animation);

    std::recursive_mutex m_lock;
    std::vector<Running> m_running;                // guarded by m_lock
    bool m_finishing = false;                      // guarded by m_lock
    TimeLibrary::ITimeObject* m_ticker = nullptr;  // owned by the time system
};

}  // namespace Gamespace
